// The host build has no dialogs of its own: a question nobody scripted
// gets its first button.
#include "ui/prompts.h"

namespace {
class NoPrompts : public Prompts {
    int message(const std::string&, const std::string&, unsigned style) override {
        unsigned b = style & 0xF;
        return b == mb::yesNo || b == mb::yesNoCancel ? mb::idYes : mb::idOk;
    }
    std::string fileDialog(const FileDialogRequest&) override { return ""; }
    void* printDialog(unsigned long) override { return nullptr; }
    bool shellOpen(const std::string&, int) override { return false; }
    void htmlHelp(const std::string&, unsigned) override {}
};
}  // namespace

Prompts& systemPrompts() {
    static NoPrompts p;
    return p;
}
