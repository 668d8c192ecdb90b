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

// Closes every dialog the thread shows, from a timer that also fires inside the dialogs'
// own modal loops: Yes to a question, OK to another message box, Cancel to other dialogs
// (the folder picker). Records the texts of the boxes, "" for other dialogs.
class DialogCloser {
  public:
    DialogCloser();
    ~DialogCloser();
    DialogCloser(const DialogCloser&) = delete;
    DialogCloser& operator=(const DialogCloser&) = delete;

    std::vector<std::string> texts;

  private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    static BOOL CALLBACK CloseIfDialog(HWND window, LPARAM self);

    UINT_PTR timer_ = 0;
};
