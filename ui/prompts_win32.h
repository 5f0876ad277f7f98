// What the program's own prompts share with its text prompt: while one of
// them waits for an answer, the rest of the program waits with it.
#pragma once
#include <windows.h>

#include <vector>

// Freezes every window of the program for as long as it lives: each enabled
// top-level window of the thread is disabled, and a click, key or
// close that is still sent or posted to one of them (or to its controls) is
// dropped, so no second command can start inside the first. When it ends,
// the windows take input again and the window that asked is the active one,
// with the keyboard focus where it was.
class cQuestionFreeze {
public:
    cQuestionFreeze();
    ~cQuestionFreeze() { thaw(); }
    cQuestionFreeze(const cQuestionFreeze&) = delete;
    cQuestionFreeze& operator=(const cQuestionFreeze&) = delete;

    // The window that was active when the question was asked (null if none).
    HWND asker() const { return asker_; }
    // Ends the freeze now (a prompt of the program's own calls it before it
    // goes, so that the asker can take the activation at once).
    void thaw();

private:
    HWND asker_ = nullptr;
    HWND focus_ = nullptr;
    std::vector<HWND> disabled_;  // top-level windows this freeze disabled
    std::vector<HWND> guarded_;   // those and their page dialogs
    bool thawed_ = false;
};
