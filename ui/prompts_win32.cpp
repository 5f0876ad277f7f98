// The program's own prompts: the real Windows dialogs.
#include <windows.h>
#include <commdlg.h>
#include <htmlhelp.h>
#include <shellapi.h>

#include "ui/dialog_template.h"
#include "ui/prompts.h"

namespace {

class SystemPrompts : public Prompts {
public:
    int message(const std::string& text, const std::string& title, unsigned style) override {
        // The box has no owner, yet nothing else may start in the main window
        // while it is up: keep the main window disabled meanwhile.
        BOOL wasDisabled = mainWindow ? EnableWindow(mainWindow, FALSE) : TRUE;
        int answer = MessageBoxW(nullptr, wideText(text).c_str(), wideText(title).c_str(), style);
        if (!wasDisabled) EnableWindow(mainWindow, TRUE);
        return answer;
    }

    std::string fileDialog(const FileDialogRequest& request) override {
        // Filter pairs, each part NUL-terminated, the list ended by a second NUL.
        std::string filter;
        for (const auto& f : request.filters) {
            filter += f.first;
            filter += '\0';
            filter += f.second;
            filter += '\0';
        }
        filter += '\0';
        char file[MAX_PATH] = "";
        OPENFILENAMEA ofn = {};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = mainWindow;
        ofn.lpstrFilter = filter.c_str();
        ofn.lpstrFile = file;
        ofn.nMaxFile = sizeof file;
        ofn.lpstrInitialDir = request.folder.empty() ? nullptr : request.folder.c_str();
        ofn.lpstrTitle = request.caption.c_str();
        ofn.lpstrDefExt = request.defaultExtension.c_str();
        ofn.Flags = request.flags;
        BOOL ok = request.save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
        return ok ? std::string(file) : std::string();
    }

    void* printDialog(unsigned long flags) override {
        PRINTDLGA pd = {};
        pd.lStructSize = sizeof pd;
        pd.hwndOwner = mainWindow;
        pd.Flags = flags | PD_RETURNDC;
        if (!PrintDlgA(&pd)) return nullptr;
        if (pd.hDevMode) GlobalFree(pd.hDevMode);
        if (pd.hDevNames) GlobalFree(pd.hDevNames);
        return pd.hDC;
    }

    void shellOpen(const std::string& target, int showCommand) override {
        ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, showCommand);
    }

    void htmlHelp(const std::string& path, unsigned command) override {
        // hhctrl.ocx is loaded on first use, as HtmlHelp itself would.
        using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
        static HMODULE module = LoadLibraryA("hhctrl.ocx");
        if (!module) return;
        auto fn = reinterpret_cast<HtmlHelpFn>(reinterpret_cast<void*>(GetProcAddress(module, "HtmlHelpA")));
        if (fn) fn(mainWindow, path.c_str(), command, 0);
    }
};

}  // namespace

Prompts& systemPrompts() {
    static SystemPrompts p;
    return p;
}
