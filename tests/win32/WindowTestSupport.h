#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Helpers for tests that drive real Win32 windows and dialogs in their own process.

// OLE and the common controls for the test's thread, as the program sets them up.
struct Win32TestEnvironment {
    Win32TestEnvironment();
    ~Win32TestEnvironment();
};

// Runs the thread's messages until `done` holds, for at most ten seconds; returns `done()`.
bool PumpUntil(const std::function<bool()>& done);

// Presses a button of every dialog the thread shows (message boxes, the folder picker),
// from a timer that also fires inside the dialogs' own modal loops, and records them.
class MessageBoxCloser {
  public:
    struct Box {
        std::string title;
        std::string text;         // a message box's text; empty for other dialogs
        std::string selectedItem; // the folder picker's selected folder; else empty
    };

    // `answer`: the button id to press, asked per dialog; without it, Yes to a question,
    // OK to another message box and Cancel to other dialogs.
    explicit MessageBoxCloser(std::function<int(const Box&)> answer = {});
    ~MessageBoxCloser();
    MessageBoxCloser(const MessageBoxCloser&) = delete;
    MessageBoxCloser& operator=(const MessageBoxCloser&) = delete;

    std::vector<Box> boxes;

  private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    static BOOL CALLBACK CloseIfDialog(HWND window, LPARAM self);

    std::function<int(const Box&)> answer_;
    UINT_PTR timer_ = 0;
};
