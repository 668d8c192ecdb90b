// The window scenarios against the whole Win32 program in the test's process, driven by
// window messages under Wine.
#include "platform/win32/ProgramServices.h"
#include "platform/win32/Utf.h"
#include "platform/win32/window/VacantorWindow.h"
#include "win32/WindowTestSupport.h"
#include "window/WindowScenarios.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <memory>

namespace {

// A message-only window whose posted message runs an action: it waits in the queue for the
// first turn of the pump.
class PostedAction {
  public:
    PostedAction() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = Run;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"VacantorTestPostedAction";
        ::RegisterClassW(&windowClass);
        hwnd_ = ::CreateWindowW(windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                nullptr, windowClass.hInstance, nullptr);
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~PostedAction() { ::DestroyWindow(hwnd_); }

    void Post(std::function<void()> action) {
        action_ = std::move(action);
        ::PostMessageW(hwnd_, WM_APP, 0, 0);
    }

  private:
    static LRESULT CALLBACK Run(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<PostedAction*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (message == WM_APP && self && self->action_) {
            std::function<void()> action = std::move(self->action_);
            self->action_ = nullptr;
            action();
            return 0;
        }
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }

    HWND hwnd_ = nullptr;
    std::function<void()> action_;
};

class Win32WindowDriver : public WindowDriver {
  public:
    void Start(const std::string& settingsFolder) override {
        program_ = std::make_unique<win32::VacantorWindow>(services_.Services());
        ASSERT_TRUE(program_->Create({settingsFolder, false}, SW_SHOWNOACTIVATE));
        hwnd_ = Window().Hwnd();
        services_.SetActiveForm(hwnd_);
    }
    void Quit() override {
        EXPECT_TRUE(RequestClose());
        program_.reset();
    }
    bool RequestClose() override {
        ::SendMessageW(hwnd_, WM_CLOSE, 0, 0);
        return !::IsWindow(hwnd_);
    }
    bool IsOpen() override { return program_ && ::IsWindow(hwnd_); }

    void Drop(const std::vector<std::string>& paths) override {
        ::SendMessageW(Window().txtFolder.Hwnd(), WM_DROPFILES,
                       reinterpret_cast<WPARAM>(MakeHDrop(paths)), 0);
    }
    // The box posts its click to itself, to run once it has released the mouse.
    void ClickRootBox() override {
        HWND box = Window().txtFolder.Hwnd();
        ::SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
        ::SendMessageW(box, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
        MSG message;
        EXPECT_TRUE(PumpUntil([&] { return !::PeekMessageW(&message, box, 0, 0, PM_NOREMOVE); }));
    }
    // Dialogs other than message boxes: the folder picker.
    int ChoosersShown() override {
        return static_cast<int>(std::count(closer_.texts.begin(), closer_.texts.end(), ""));
    }
    std::string RootText() override { return win32::WindowTextUtf8(Window().txtFolder.Hwnd()); }
    void ClickFind() override { ::SendMessageW(Window().cmdFind.Hwnd(), BM_CLICK, 0, 0); }
    void ClickRemove() override { ::SendMessageW(Window().cmdRemove.Hwnd(), BM_CLICK, 0, 0); }
    void DuringTheNextRun(std::function<void()> action) override {
        posted_.Post(std::move(action));
    }

    void Select(std::size_t row) override {
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        ::SendMessageW(List(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    }
    // As the control shows them, once it has caught up with the appends.
    std::vector<std::string> Rows() override {
        const int rows = static_cast<int>(Window().ListView1.RowCount());
        EXPECT_TRUE(PumpUntil([&] { return ShownRowCount() == rows; }));
        std::vector<std::string> paths;
        for (int row = 0; row < ShownRowCount(); ++row) {
            paths.push_back(ListViewCellText(List(), row, 1));
        }
        return paths;
    }
    bool ShownAsRemoved(std::size_t row) override { return Window().ListView1.IsRemoved(row); }
    std::vector<std::string> Messages() override {
        std::vector<std::string> texts;
        std::copy_if(closer_.texts.begin(), closer_.texts.end(), std::back_inserter(texts),
                     [](const std::string& text) { return !text.empty(); });
        return texts;
    }
    // The pointer as the window sets it over the list.
    std::string Controls() override {
        win32::MainWindow& window = Window();
        ::SetCursor(nullptr);
        ::SendMessageW(hwnd_, WM_SETCURSOR, reinterpret_cast<WPARAM>(List()),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return ControlsText(
            win32::WindowTextUtf8(window.cmdFind.Hwnd()), ::IsWindowEnabled(window.cmdFind.Hwnd()),
            win32::WindowTextUtf8(window.cmdRemove.Hwnd()),
            ::IsWindowEnabled(window.cmdRemove.Hwnd()), ::IsWindowEnabled(window.txtFolder.Hwnd()),
            ::GetCursor() == ::LoadCursorW(nullptr, IDC_APPSTARTING));
    }

  private:
    win32::MainWindow& Window() { return program_->Window(); }
    HWND List() { return Window().ListView1.Hwnd(); }
    int ShownRowCount() { return static_cast<int>(::SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0)); }

    Win32TestEnvironment environment_;
    ProgramServices services_;
    DialogCloser closer_;
    PostedAction posted_;
    std::unique_ptr<win32::VacantorWindow> program_;
    HWND hwnd_ = nullptr;
};

} // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, WindowScenario, Win32WindowDriver);
