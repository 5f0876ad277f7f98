#include "tests/support/scripted_prompts.h"

Prompts& systemPrompts();  // the build's own

namespace {
// True (and one used) when this question is to be a real one.
bool takeReal(int& realPrompts) { return realPrompts > 0 && realPrompts-- > 0; }
}  // namespace

int ScriptedPrompts::message(const std::string& text, const std::string& title, unsigned style) {
    messages.push_back({text, title, style});
    if (takeReal(realPrompts)) return systemPrompts().message(text, title, style);
    if (duringMessage) duringMessage();
    if (!answers.empty()) {
        int a = answers.front();
        answers.pop_front();
        return a;
    }
    unsigned buttons = style & 0xF;
    return buttons == mb::yesNo || buttons == mb::yesNoCancel ? mb::idYes : mb::idOk;
}

std::string ScriptedPrompts::fileDialog(const FileDialogRequest& request) {
    fileRequests.push_back(request);
    if (takeReal(realPrompts)) return systemPrompts().fileDialog(request);
    if (chosenFiles.empty()) return "";
    std::string p = chosenFiles.front();
    chosenFiles.pop_front();
    return p;
}

void* ScriptedPrompts::printDialog(unsigned long flags) {
    printRequests.push_back(flags);
    if (takeReal(realPrompts)) return systemPrompts().printDialog(flags);
    void* p = printer;
    printer = nullptr;  // the caller owns and deletes it
    return p;
}

bool ScriptedPrompts::shellOpen(const std::string& target, int showCommand) {
    shellOpens.emplace_back(target, showCommand);
    return shellOpenResult;
}

void ScriptedPrompts::htmlHelp(const std::string& path, unsigned command) { helpRequests.emplace_back(path, command); }

std::vector<std::string> ScriptedPrompts::messageTexts() const {
    std::vector<std::string> v;
    for (const auto& m : messages) v.push_back(m.text);
    return v;
}
