// Vacantor.exe: the Win32 program. It reads no command line; its only window is the one
// the user works with, and closing it ends the program.
#include "platform/win32/ProgramServices.h"
#include "platform/win32/window/VacantorWindow.h"

#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
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
