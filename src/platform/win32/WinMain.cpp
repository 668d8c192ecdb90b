// Vacantor.exe: the Win32 program. Its only window is the one the user works with, and
// closing it ends the program; --help and --version show their text instead.
#include "main_window/StartupText.h"
#include "platform/win32/ProgramServices.h"
#include "platform/win32/Utf.h"
#include "platform/win32/window/VacantorWindow.h"

#include <windows.h>
#undef MessageBox

#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

namespace {

std::vector<std::string> CommandLineArguments() {
    std::vector<std::string> arguments;
    int count = 0;
    if (wchar_t** words = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i) {
            arguments.push_back(Utf8FromWide(words[i]));
        }
        ::LocalFree(words);
    }
    return arguments;
}

// A program of the GUI subsystem has no console of its own. Output redirected to a file or a
// pipe is written there; else the text goes to the console of the command prompt that
// started the program, when there is one, and to a message box when there is none.
void ShowStartupText(const std::string& text) {
    std::string lines;
    for (char c : text) {
        lines += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (output && output != INVALID_HANDLE_VALUE && ::GetFileType(output) != FILE_TYPE_UNKNOWN &&
        ::GetFileType(output) != FILE_TYPE_CHAR) {
        DWORD written = 0;
        ::WriteFile(output, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
        return;
    }
    const std::wstring wide = WideFromUtf8(lines);
    if (::AttachConsole(ATTACH_PARENT_PROCESS)) {
        HANDLE console = ::CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, 0, nullptr);
        if (console != INVALID_HANDLE_VALUE) {
            // The prompt has already come back: start on a line of our own.
            const std::wstring shown = L"\r\n" + wide;
            DWORD written = 0;
            ::WriteConsoleW(console, shown.data(), static_cast<DWORD>(shown.size()), &written,
                            nullptr);
            ::CloseHandle(console);
        }
        ::FreeConsole();
        return;
    }
    ::MessageBoxW(nullptr, wide.c_str(), L"Vacantor", MB_OK | MB_ICONINFORMATION);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    if (std::optional<std::string> text = StartupText(CommandLineArguments())) {
        ShowStartupText(*text);
        return 0;
    }
    // OLE for the text box's drop target; the common controls for the list view.
    if (FAILED(::OleInitialize(nullptr))) {
        return 1;
    }
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);

    int exitCode = 1;
    {
        ProgramServices services;
        win32::VacantorWindow window(services.Services());
        if (window.Create({}, showCommand)) {
            services.SetActiveForm(window.Window().Hwnd());
            MSG message;
            while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
                win32::EventPump::Dispatch(window.Window().Hwnd(), message);
            }
            exitCode = static_cast<int>(message.wParam);
        }
    }
    ::OleUninitialize();
    return exitCode;
}
