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

// Presses the button of every message box the thread shows, from a timer that also fires
// inside the boxes' own modal loops, and records what each box said.
class MessageBoxCloser {
  public:
    struct Box {
        std::string title;
        std::string text;
    };

    // `answer`: the button id to press (IDOK, IDYES...), asked per box.
    explicit MessageBoxCloser(std::function<int(const Box&)> answer = {});
    ~MessageBoxCloser();
    MessageBoxCloser(const MessageBoxCloser&) = delete;
    MessageBoxCloser& operator=(const MessageBoxCloser&) = delete;

    std::vector<Box> boxes;

  private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void CloseOpenBoxes();
    static BOOL CALLBACK CloseIfMessageBox(HWND window, LPARAM self);

    std::function<int(const Box&)> answer_;
    UINT_PTR timer_ = 0;
};
