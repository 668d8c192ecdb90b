#pragma once

#include "platform/MainWindowControls.h"
#include "platform/win32/window/Button.h"
#include "platform/win32/window/CheckBox.h"
#include "platform/win32/window/EventPump.h"
#include "platform/win32/window/Label.h"
#include "platform/win32/window/ResultListView.h"
#include "platform/win32/window/TextBox.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace win32 {

// The program's window "Empty Folders in the Folder" with its controls, laid out in twips at
// its monitor's DPI (LayOutMainWindow); it can be made larger, never smaller, and follows a
// move to a monitor of another DPI. It translates: the controls' events go to their
// callbacks, and the logic sees the window through FormRuntime and MainWindowControls.
class MainWindow final : public FormRuntime {
  public:
    struct CreateArgs {
        // The folder AppPath reports; empty: the executable's folder.
        std::string appPath;
        // Post WM_QUIT when the window is destroyed (the program's window; not in tests,
        // where a stray WM_QUIT would end the next modal loop at once).
        bool quitOnDestroy = true;
    };

    MainWindow() = default;
    ~MainWindow() override;

    // Creates the window and its controls, hidden.
    bool Create(const CreateArgs& args);
    void Show(int command = SW_SHOWNORMAL);
    HWND Hwnd() const { return hwnd_; }

    MainWindowControls Controls();

    void SetMousePointer(int pointer) override;
    std::string AppPath() const override;
    void DoEvents() override;
    void Close() override;
    WindowPlacement Placement() const override;
    void SetPlacement(const WindowPlacement& placement) override;
    std::vector<PixelRect> Screens() const override;

    // A close request (WM_CLOSE); false keeps the window open.
    std::function<bool()> onQueryUnload;

    // In tab order.
    Label lblFolder;
    TextBox txtFolder;
    Button cmdFind;
    ResultListView ListView1;
    Button cmdRemove;
    CheckBox chkReadOnly;
    CheckBox chkIgnoreJunk;

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool CreateControls();
    bool SetCursorForPointer(LPARAM hitTest);
    void LayOut();
    void SetFont(int dpi);
    // The frame around a client area of `client` pixels, at the window's DPI.
    SIZE FrameSize(SIZE client) const;

    HWND hwnd_ = nullptr;
    HFONT font_ = nullptr;
    bool ownsFont_ = false;
    CreateArgs args_;
    std::optional<EventPump> pump_;
    int pointer_ = PointerDefault;
    bool maximized_ = false; // SetPlacement's, for the first Show
};

// The executable's folder, without a trailing backslash unless it is a drive's root.
std::string ExecutableFolder();

} // namespace win32
