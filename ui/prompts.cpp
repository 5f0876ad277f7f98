#include "ui/prompts.h"

namespace {
Prompts* installed = nullptr;
}

Prompts& systemPrompts();  // the build's own (Win32 dialogs, or a host stand-in)

Prompts& prompts() { return installed ? *installed : systemPrompts(); }

void setPrompts(Prompts* p) { installed = p; }

int showMessage(const std::string& text, const std::string& title, unsigned style) {
    return prompts().message(text, title, style);
}
