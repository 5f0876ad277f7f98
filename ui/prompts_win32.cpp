// The program's own prompts: the real Windows dialogs.
#include <windows.h>
#include <commdlg.h>
#include <htmlhelp.h>
#include <objbase.h>
#include <shellapi.h>

#include <commctrl.h>

#include <algorithm>

#include "ui/dialog_template.h"
#include "ui/prompts.h"
#include "ui/prompts_win32.h"

namespace {

// The windows frozen by every freeze now in force, and the hook that drops
// the input still posted to them.
std::vector<HWND> frozenWindows;
HHOOK dropHook = nullptr;
constexpr UINT_PTR guardId = 0x5156;

bool isFrozen(HWND w) {
    HWND root = w ? GetAncestor(w, GA_ROOT) : nullptr;
    return root && std::find(frozenWindows.begin(), frozenWindows.end(), root) != frozenWindows.end();
}

bool isInput(UINT msg) {
    return (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) ||
           (msg >= WM_NCMOUSEMOVE && msg <= WM_NCXBUTTONDBLCLK) || msg == WM_CLOSE || msg == WM_COMMAND ||
           msg == WM_SYSCOMMAND;
}

// Posted input for a frozen window becomes a message that does nothing.
LRESULT CALLBACK dropInput(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && wp == PM_REMOVE) {
        MSG* m = reinterpret_cast<MSG*>(lp);
        if (isInput(m->message) && isFrozen(m->hwnd)) m->message = WM_NULL;
    }
    return CallNextHookEx(dropHook, code, wp, lp);
}

// Sent to a frozen window: the commands its controls raise, a close, and a
// tab change go no further.
LRESULT CALLBACK guardProc(HWND w, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    switch (msg) {
    case WM_COMMAND:
    case WM_CLOSE:
        return 0;
    case WM_SYSCOMMAND:
        if ((wp & 0xFFF0) == SC_CLOSE) return 0;
        break;
    case WM_NOTIFY: {
        int code = static_cast<int>(reinterpret_cast<const NMHDR*>(lp)->code);
        if (code <= static_cast<int>(TCN_FIRST) && code >= static_cast<int>(TCN_LAST))
            return TRUE;  // the tab stays where it is
        break;
    }
    }
    return DefSubclassProc(w, msg, wp, lp);
}

// The system's file and print dialogs are loaded on first use: their
// library, and the printing libraries it brings, would otherwise be loaded
// and initialised at every start.
FARPROC commonDialog(const char* name) {
    static HMODULE module = LoadLibraryA("comdlg32.dll");
    return module ? GetProcAddress(module, name) : nullptr;
}

// Hidden ones too: a dialog is shown only once its loop first runs idle.
BOOL CALLBACK collectEnabled(HWND w, LPARAM list) {
    if (IsWindowEnabled(w)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
    return TRUE;
}

BOOL CALLBACK collectPages(HWND w, LPARAM list) {
    char cls[16] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (std::string(cls) == "#32770") reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
    return TRUE;
}

}  // namespace

cQuestionFreeze::cQuestionFreeze() : asker_(GetActiveWindow()), focus_(GetFocus()) {
    EnumThreadWindows(GetCurrentThreadId(), collectEnabled, reinterpret_cast<LPARAM>(&disabled_));
    for (HWND w : disabled_) {
        EnableWindow(w, FALSE);
        frozenWindows.push_back(w);
        guarded_.push_back(w);
        EnumChildWindows(w, collectPages, reinterpret_cast<LPARAM>(&guarded_));
    }
    for (HWND w : guarded_) SetWindowSubclass(w, guardProc, guardId, 0);
    if (!dropHook) dropHook = SetWindowsHookExA(WH_GETMESSAGE, dropInput, nullptr, GetCurrentThreadId());
}

void cQuestionFreeze::thaw() {
    if (thawed_) return;
    thawed_ = true;
    for (HWND w : guarded_)
        if (IsWindow(w)) RemoveWindowSubclass(w, guardProc, guardId);
    for (auto w = disabled_.rbegin(); w != disabled_.rend(); ++w) {
        auto at = std::find(frozenWindows.begin(), frozenWindows.end(), *w);
        if (at != frozenWindows.end()) frozenWindows.erase(at);
        if (IsWindow(*w)) EnableWindow(*w, TRUE);
    }
    if (frozenWindows.empty() && dropHook) {
        UnhookWindowsHookEx(dropHook);
        dropHook = nullptr;
    }
    // The box (or dialog) took the activation with it: give it back.
    if (!asker_ || !IsWindow(asker_) || !IsWindowEnabled(asker_)) return;
    SetForegroundWindow(asker_);
    SetActiveWindow(asker_);
    if (focus_ && IsWindow(focus_) && (focus_ == asker_ || IsChild(asker_, focus_))) SetFocus(focus_);
}

namespace {

BOOL CALLBACK findUnownedWindow(HWND w, LPARAM found) {
    if (!IsWindowVisible(w) || GetWindow(w, GW_OWNER)) return TRUE;
    *reinterpret_cast<HWND*>(found) = w;
    return FALSE;
}

// The thread's main window: its first visible top-level window that no
// other window owns (null when there is none).
HWND threadMainWindow() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findUnownedWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

// A dialog belongs to the window that asks for it (when that closes, it is
// the one to come back), the main window when none is active.
HWND ownerFor(const cQuestionFreeze& freeze) { return freeze.asker() ? freeze.asker() : threadMainWindow(); }

class SystemPrompts : public Prompts {
public:
    int message(const std::string& text, const std::string& title, unsigned style) override {
        // The box has no owner, yet nothing else of the program may go on
        // while it is up.
        cQuestionFreeze freeze;
        return MessageBoxW(nullptr, wideText(text).c_str(), wideText(title).c_str(), style);
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
        // No folder named: the process's current one, not wherever the
        // system's dialog was used last.
        std::string folder = request.folder;
        if (folder.empty()) {
            char current[MAX_PATH] = "";
            if (GetCurrentDirectoryA(MAX_PATH, current)) folder = current;
        }
        cQuestionFreeze freeze;
        OPENFILENAMEA ofn = {};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = ownerFor(freeze);
        ofn.lpstrFilter = filter.c_str();
        ofn.lpstrFile = file;
        ofn.nMaxFile = sizeof file;
        ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
        ofn.lpstrTitle = request.caption.c_str();
        ofn.lpstrDefExt = request.defaultExtension.c_str();
        ofn.Flags = request.flags;
        using FileDialogFn = BOOL(WINAPI*)(OPENFILENAMEA*);
        auto fn = reinterpret_cast<FileDialogFn>(
            reinterpret_cast<void*>(commonDialog(request.save ? "GetSaveFileNameA" : "GetOpenFileNameA")));
        BOOL ok = fn && fn(&ofn);
        return ok ? std::string(file) : std::string();
    }

    void* printDialog(unsigned long flags) override {
        cQuestionFreeze freeze;
        PRINTDLGA pd = {};
        pd.lStructSize = sizeof pd;
        pd.hwndOwner = ownerFor(freeze);
        pd.Flags = flags | PD_RETURNDC;
        using PrintDialogFn = BOOL(WINAPI*)(PRINTDLGA*);
        auto fn = reinterpret_cast<PrintDialogFn>(reinterpret_cast<void*>(commonDialog("PrintDlgA")));
        if (!fn || !fn(&pd)) return nullptr;
        if (pd.hDevMode) GlobalFree(pd.hDevMode);
        if (pd.hDevNames) GlobalFree(pd.hDevNames);
        return pd.hDC;
    }

    bool shellOpen(const std::string& target, int showCommand) override {
        // Anything up to 32 is an error code: nothing was started.
        // shell32 is loaded on first use, as the file dialogs' library is,
        // and COM, which "open" may need for the program it starts, with it.
        static HMODULE shell = [] {
            HMODULE com = LoadLibraryA("ole32.dll");
            using InitFn = HRESULT(WINAPI*)(LPVOID, DWORD);
            auto init = com ? reinterpret_cast<InitFn>(reinterpret_cast<void*>(GetProcAddress(com, "CoInitializeEx")))
                            : nullptr;
            if (init) init(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
            return LoadLibraryA("shell32.dll");
        }();
        using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
        auto execute = shell ? reinterpret_cast<ShellExecuteFn>(reinterpret_cast<void*>(GetProcAddress(shell, "ShellExecuteA")))
                             : nullptr;
        if (!execute) return false;
        HINSTANCE result = execute(nullptr, "open", target.c_str(), nullptr, nullptr, showCommand);
        return reinterpret_cast<INT_PTR>(result) > 32;
    }

    void htmlHelp(const std::string& path, unsigned command) override {
        // hhctrl.ocx is loaded on first use, as HtmlHelp itself would.
        using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
        static HMODULE module = LoadLibraryA("hhctrl.ocx");
        if (!module) return;
        auto fn = reinterpret_cast<HtmlHelpFn>(reinterpret_cast<void*>(GetProcAddress(module, "HtmlHelpA")));
        if (fn) fn(threadMainWindow(), path.c_str(), command, 0);
    }
};

}  // namespace

Prompts& systemPrompts() {
    static SystemPrompts p;
    return p;
}
