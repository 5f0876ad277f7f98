// A Prompts that answers from a script and records every question, so tests
// can check the exact text, title, buttons and icon of what the user sees.
#pragma once
#include <deque>
#include <string>
#include <vector>

#include "ui/prompts.h"

struct AskedMessage {
    std::string text;
    std::string title;
    unsigned style;
};

class ScriptedPrompts : public Prompts {
public:
    ScriptedPrompts() { setPrompts(this); }
    ~ScriptedPrompts() override { setPrompts(nullptr); }

    // Answers, used in order; when they run out a question gets its first
    // button (OK or Yes).
    std::deque<int> answers;
    std::vector<AskedMessage> messages;

    std::deque<std::string> chosenFiles;  // "" = cancel; none left = cancel
    std::vector<FileDialogRequest> fileRequests;

    void* printer = nullptr;  // what the print dialog returns
    std::vector<unsigned long> printRequests;

    std::vector<std::pair<std::string, int>> shellOpens;
    bool shellOpenResult = true;  // what every shell open returns
    std::vector<std::pair<std::string, unsigned>> helpRequests;

    // Runs while a message is "up", as if the user did something meanwhile.
    void (*duringMessage)() = nullptr;

    // The next realPrompts questions (message boxes, file and print dialogs)
    // are the program's own real windows, recorded as usual; the test
    // answers them through those windows.
    int realPrompts = 0;

    int message(const std::string& text, const std::string& title, unsigned style) override;
    std::string fileDialog(const FileDialogRequest& request) override;
    void* printDialog(unsigned long flags) override;
    bool shellOpen(const std::string& target, int showCommand) override;
    void htmlHelp(const std::string& path, unsigned command) override;

    std::vector<std::string> messageTexts() const;
};
