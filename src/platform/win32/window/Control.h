#pragma once

// Event conventions of the Win32 control wrappers:
// - Each wrapper has a Create() that takes the creation arguments all controls share
//   (Control::CreateArgs) and returns false when the window could not be made. Positions
//   are in twips and are converted at the parent's DPI.
// - Events are std::function members named on<Event> (onClick, onDropFiles...). They run
//   on the user-interface thread, after the control has handled the message itself.
// - The parent window reflects WM_COMMAND and WM_NOTIFY to the wrapper of the control that
//   sent them (Control::FromHwnd), so each wrapper handles its own notifications.

#include <windows.h>

#include <string>

namespace win32 {

// A rectangle in twips (1/1440 inch), as the window's layout is given.
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// px = twips * dpi / 1440, rounded to the nearest pixel.
int PixelsFromTwips(int twips, int dpi);

// The DPI of the window's monitor (96 unless the program is DPI-aware on a larger screen).
int WindowDpi(HWND window);

class Control {
  public:
    struct CreateArgs {
        HWND parent = nullptr;
        TwipsRect position;
        HFONT font = nullptr;
        std::string text; // the caption or the first text; the list view has none
    };

    Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control() = default;

    HWND Hwnd() const { return hwnd_; }

    // The wrapper of a control created by Control::CreateChild; nullptr for other windows.
    static Control* FromHwnd(HWND window);

    // Reflected notifications; true when handled (WM_NOTIFY's result in *result).
    virtual bool OnCommand(WORD /*notification*/) { return false; }
    virtual bool OnNotify(NMHDR& /*header*/, LRESULT& /*result*/) { return false; }

  protected:
    // Creates the child window of `className` as `args` say, gives it the parent's font and
    // links it to this wrapper.
    bool CreateChild(const CreateArgs& args, const wchar_t* className, DWORD style, DWORD exStyle);
    // Sends the control's own messages to OnMessage first (a window subclass, removed when
    // the window goes).
    bool Subclass();
    // A message to the control itself; true when handled, with its result in `result`.
    // Otherwise the control's window procedure handles it.
    virtual bool OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/,
                           LRESULT& /*result*/) {
        return false;
    }

    HWND hwnd_ = nullptr;

  private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self);
};

// Sets a control's text, UTF-8 in.
void SetWindowTextUtf8(HWND window, const std::string& text);
// A window's text, UTF-8 out.
std::string WindowTextUtf8(HWND window);

} // namespace win32
