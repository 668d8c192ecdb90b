#include "platform/win32/window/MainWindow.h"

#include "platform/win32/ProgramResources.h"
#include "platform/win32/Utf.h"

#include <commctrl.h>

#include <vector>

namespace win32 {

namespace {

const wchar_t ClassName[] = L"VacantorMainWindow";
const char Caption[] = "Empty Folders in the Folder";
constexpr int ClientWidthTwips = 9645;
constexpr int ClientHeightTwips = 4950;
// Fixed size: no thick frame, no maximize box.
constexpr DWORD WindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD WindowExStyle = WS_EX_CONTROLPARENT;

// The program's icon at the size the system asks for; null (the system's default icon) when
// the executable has none.
HICON ProgramIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
    return static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_VACANTOR), IMAGE_ICON,
                                           ::GetSystemMetrics(widthMetric),
                                           ::GetSystemMetrics(heightMetric), LR_SHARED));
}

bool RegisterWindowClass(WNDPROC windowProc) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (::GetClassInfoExW(instance, ClassName, &windowClass)) {
        return true;
    }
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    // The large icon for Alt+Tab, the small one for the title bar and the taskbar.
    windowClass.hIcon = ProgramIcon(instance, SM_CXICON, SM_CYICON);
    windowClass.hIconSm = ProgramIcon(instance, SM_CXSMICON, SM_CYSMICON);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = ClassName;
    return ::RegisterClassExW(&windowClass) != 0;
}

int ScreenDpi() {
    HDC screen = ::GetDC(nullptr);
    int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) {
        ::ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : 96;
}

} // namespace

std::string ExecutableFolder() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            std::wstring path(buffer.data(), length);
            std::size_t slash = path.find_last_of(L"\\/");
            path.resize(slash == std::wstring::npos ? 0 : slash);
            if (path.size() == 2 && path[1] == L':') {
                path += L'\\';
            }
            return Utf8FromWide(path);
        }
        buffer.resize(buffer.size() * 2);
    }
}

MainWindow::~MainWindow() {
    if (hwnd_ && ::IsWindow(hwnd_)) {
        ::DestroyWindow(hwnd_);
    }
    if (ownsFont_) {
        ::DeleteObject(font_);
    }
}

bool MainWindow::Create(const CreateArgs& args) {
    args_ = args;
    if (!RegisterWindowClass(WindowProc)) {
        return false;
    }
    int dpi = ScreenDpi();
    RECT frame{0, 0, PixelsFromTwips(ClientWidthTwips, dpi),
               PixelsFromTwips(ClientHeightTwips, dpi)};
    ::AdjustWindowRectEx(&frame, WindowStyle, FALSE, WindowExStyle);
    hwnd_ = ::CreateWindowExW(WindowExStyle, ClassName, WideFromUtf8(Caption).c_str(), WindowStyle,
                              CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                              frame.bottom - frame.top, nullptr, nullptr,
                              ::GetModuleHandleW(nullptr), this);
    if (!hwnd_) {
        return false;
    }
    pump_.emplace(hwnd_);

    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        font_ = ::CreateFontIndirectW(&metrics.lfMessageFont);
        ownsFont_ = font_ != nullptr;
    }
    if (!font_) {
        font_ = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    }
    return CreateControls();
}

bool MainWindow::CreateControls() {
    // Created in tab order, which is the order of the children.
    return lblFolder.Create({hwnd_, {120, 240, 1095, 255}, font_, "Root Folder"}) &&
           txtFolder.Create({hwnd_, {1200, 240, 8175, 270}, font_, "Text1"}) &&
           cmdFind.Create({hwnd_, {6960, 600, 1095, 375}, font_, "Find"}) &&
           ListView1.Create({hwnd_, {120, 1080, 9495, 3735}, font_, {}}) &&
           cmdRemove.Create({hwnd_, {8280, 600, 1095, 375}, font_, "Remove"}) &&
           chkReadOnly.Create({hwnd_, {240, 720, 3375, 255}, font_, "Delete Read Only Folder"});
}

void MainWindow::Show(int command) {
    ::ShowWindow(hwnd_, command);
    ::UpdateWindow(hwnd_);
}

MainWindowControls MainWindow::Controls() {
    return MainWindowControls{*this, txtFolder, cmdFind, cmdRemove, chkReadOnly, ListView1};
}

void MainWindow::SetMousePointer(int pointer) {
    pointer_ = pointer;
    if (pointer == PointerDefault) {
        // A run is over: its last rows are shown now, before its result message, not at
        // the list's next periodic update.
        ListView1.ShowAddedRows();
    }
    // Show the new pointer now if the mouse is over the window, not at its next move.
    POINT position{};
    if (!::GetCursorPos(&position)) {
        return;
    }
    HWND below = ::WindowFromPoint(position);
    if (below && (below == hwnd_ || ::IsChild(hwnd_, below))) {
        ::SendMessageW(below, WM_SETCURSOR, reinterpret_cast<WPARAM>(below),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    }
}

std::string MainWindow::AppPath() const {
    return args_.appPath.empty() ? ExecutableFolder() : args_.appPath;
}

void MainWindow::DoEvents() {
    if (pump_) {
        pump_->RunPending();
    }
}

void MainWindow::Close() {
    if (hwnd_ && ::IsWindow(hwnd_)) {
        ::DestroyWindow(hwnd_);
    }
}

bool MainWindow::SetCursorForPointer(LPARAM hitTest) {
    if (pointer_ != PointerArrowHourglass || LOWORD(hitTest) != HTCLIENT) {
        return false;
    }
    ::SetCursor(::LoadCursorW(nullptr, IDC_APPSTARTING));
    return true;
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* created = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<MainWindow*>(created->lpCreateParams);
        self->hwnd_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (Control* control = Control::FromHwnd(reinterpret_cast<HWND>(lParam))) {
            if (control->OnCommand(HIWORD(wParam))) {
                return 0;
            }
        }
        break;
    case WM_NOTIFY: {
        NMHDR& header = *reinterpret_cast<NMHDR*>(lParam);
        LRESULT result = 0;
        if (Control* control = Control::FromHwnd(header.hwndFrom)) {
            if (control->OnNotify(header, result)) {
                return result;
            }
        }
        break;
    }
    case WM_SETCURSOR:
        if (SetCursorForPointer(lParam)) {
            return TRUE;
        }
        break;
    case WM_CLOSE:
        if (onQueryUnload && !onQueryUnload()) {
            return 0;
        }
        ::DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY:
        if (args_.quitOnDestroy) {
            ::PostQuitMessage(0);
        }
        break;
    case WM_NCDESTROY: {
        HWND window = hwnd_;
        hwnd_ = nullptr;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    default:
        break;
    }
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

} // namespace win32
