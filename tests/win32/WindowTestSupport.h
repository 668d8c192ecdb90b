#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

// Helpers for tests that drive real Win32 windows in their own process.

// OLE and the common controls for the test's thread, as the program sets them up.
class Win32TestEnvironment {
  public:
    Win32TestEnvironment();
    ~Win32TestEnvironment();
};

// Runs the thread's messages until `done` holds or `timeout` passes; returns `done()`.
bool PumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

// A shell file list (the HGLOBAL of CF_HDROP / WM_DROPFILES) holding `paths`.
HGLOBAL MakeHDrop(const std::vector<std::string>& paths);

// The text of a list view cell, read through the control.
std::string ListViewCellText(HWND list, int row, int column);

// Presses a button of every dialog the thread shows (message boxes, the folder picker),
// from a timer that also fires inside the dialogs' own modal loops, and records them.
class MessageBoxCloser {
  public:
    struct Box {
        std::string title;
        std::string text;         // a message box's text; empty for other dialogs
        std::string selectedItem; // the folder picker's selected folder; else empty
    };

    // `answer`: the button id to press (IDOK, IDYES, IDCANCEL...), asked per dialog;
    // without it, IDOK for message boxes and IDCANCEL for other dialogs.
    explicit MessageBoxCloser(std::function<int(const Box&)> answer = {});
    ~MessageBoxCloser();
    MessageBoxCloser(const MessageBoxCloser&) = delete;
    MessageBoxCloser& operator=(const MessageBoxCloser&) = delete;

    std::vector<Box> boxes;

  private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void CloseOpenBoxes();
    static BOOL CALLBACK CloseIfDialog(HWND window, LPARAM self);

    std::function<int(const Box&)> answer_;
    UINT_PTR timer_ = 0;
};
