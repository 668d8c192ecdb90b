#include "platform/win32/window/MainWindow.h"

#include "main_window/MainWindowLayout.h"
#include "platform/win32/ProgramResources.h"
#include "platform/win32/Utf.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

namespace win32 {

namespace {

const wchar_t ClassName[] = L"VacantorMainWindow";
const char Caption[] = "Empty Folders in the Folder";
constexpr DWORD WindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
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

// Functions of Windows 10 version 1607 on, for a program aware of each monitor's DPI; null
// before, where one DPI holds for all screens.
struct DpiFunctions {
    BOOL(WINAPI* adjustWindowRectExForDpi)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
    BOOL(WINAPI* systemParametersInfoForDpi)(UINT, UINT, void*, UINT, UINT) = nullptr;
};

const DpiFunctions& Dpi() {
    static const DpiFunctions functions = [] {
        DpiFunctions found;
        HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
        found.adjustWindowRectExForDpi = reinterpret_cast<decltype(found.adjustWindowRectExForDpi)>(
            reinterpret_cast<void*>(::GetProcAddress(user32, "AdjustWindowRectExForDpi")));
        found.systemParametersInfoForDpi =
            reinterpret_cast<decltype(found.systemParametersInfoForDpi)>(
                reinterpret_cast<void*>(::GetProcAddress(user32, "SystemParametersInfoForDpi")));
        return found;
    }();
    return functions;
}

// The message font at `dpi`; null when the system gives none. Before Windows 10 the metrics
// are those of the one system DPI, scaled here.
HFONT CreateMessageFont(int dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (Dpi().systemParametersInfoForDpi) {
        if (!Dpi().systemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                                              static_cast<UINT>(dpi))) {
            return nullptr;
        }
    } else {
        if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
            return nullptr;
        }
        const int systemDpi = WindowDpi(nullptr);
        metrics.lfMessageFont.lfHeight = ::MulDiv(metrics.lfMessageFont.lfHeight, dpi, systemDpi);
    }
    return ::CreateFontIndirectW(&metrics.lfMessageFont);
}

// The origin of the coordinates that GetWindowPlacement gives: the primary work area's
// corner (on the desktop, a taskbar at the left or top moves it).
POINT WorkspaceOrigin() {
    MONITORINFO primary{};
    primary.cbSize = sizeof primary;
    HMONITOR monitor = ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    if (!monitor || !::GetMonitorInfoW(monitor, &primary)) {
        return POINT{0, 0};
    }
    return POINT{primary.rcWork.left - primary.rcMonitor.left,
                 primary.rcWork.top - primary.rcMonitor.top};
}

BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, RECT*, LPARAM areas) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (::GetMonitorInfoW(monitor, &info)) {
        const RECT& work = info.rcWork;
        reinterpret_cast<std::vector<RECT>*>(areas)->push_back(work);
    }
    return TRUE;
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
    // Sized for the system's DPI, then again for its own monitor's once it is there.
    const int systemDpi = WindowDpi(nullptr);
    const PixelSize least = MinimumClientSize(systemDpi, systemDpi);
    RECT frame{0, 0, least.width, least.height};
    ::AdjustWindowRectEx(&frame, WindowStyle, FALSE, WindowExStyle);
    hwnd_ = ::CreateWindowExW(WindowExStyle, ClassName, WideFromUtf8(Caption).c_str(), WindowStyle,
                              CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                              frame.bottom - frame.top, nullptr, nullptr,
                              ::GetModuleHandleW(nullptr), this);
    if (!hwnd_) {
        return false;
    }
    pump_.emplace(hwnd_);
    const int dpi = WindowDpi(hwnd_);
    SetFont(dpi);
    if (!CreateControls()) {
        return false;
    }
    const PixelSize own = MinimumClientSize(dpi, dpi);
    const SIZE size = FrameSize({own.width, own.height});
    ::SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    LayOut();
    return true;
}

bool MainWindow::CreateControls() {
    // Created in tab order, which is the order of the children; LayOut places them.
    return lblFolder.Create({hwnd_, {120, 240, 1095, 255}, font_, "Root Folder"}) &&
           txtFolder.Create({hwnd_, {1200, 240, 8175, 270}, font_, "Text1"}) &&
           cmdFind.Create({hwnd_, {6960, 600, 1095, 375}, font_, "Find"}) &&
           ListView1.Create({hwnd_, {120, 1080, 9495, 3735}, font_, {}}) &&
           cmdRemove.Create({hwnd_, {8280, 600, 1095, 375}, font_, "Remove"}) &&
           chkReadOnly.Create({hwnd_, {240, 720, 3375, 255}, font_, "Delete Read Only Folder"}) &&
           chkIgnoreJunk.Create({hwnd_, {3720, 720, 3120, 255}, font_, "Ignore junk files"});
}

// The message font at the window's DPI, for the window and every control.
void MainWindow::SetFont(int dpi) {
    HFONT old = ownsFont_ ? font_ : nullptr;
    font_ = CreateMessageFont(dpi);
    ownsFont_ = font_ != nullptr;
    if (!font_) {
        font_ = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    }
    for (HWND child = ::GetWindow(hwnd_, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    }
    if (old) {
        ::DeleteObject(old);
    }
}

void MainWindow::LayOut() {
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    const int dpi = WindowDpi(hwnd_);
    const MainWindowLayout layout =
        LayOutMainWindow({client.right - client.left, client.bottom - client.top}, dpi, dpi);
    const std::pair<const Control*, PixelRect> places[] = {
        {&lblFolder, layout.lblFolder},
        {&txtFolder, layout.txtFolder},
        {&cmdFind, layout.cmdFind},
        {&ListView1, layout.ListView1},
        {&cmdRemove, layout.cmdRemove},
        {&chkReadOnly, layout.chkReadOnly},
        {&chkIgnoreJunk, layout.chkIgnoreJunk},
    };
    HDWP moves = ::BeginDeferWindowPos(static_cast<int>(std::size(places)));
    for (const auto& [control, rect] : places) {
        if (moves && control->Hwnd()) {
            moves = ::DeferWindowPos(moves, control->Hwnd(), nullptr, rect.left, rect.top,
                                     rect.width, rect.height, SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    if (moves) {
        ::EndDeferWindowPos(moves);
    }
}

SIZE MainWindow::FrameSize(SIZE client) const {
    RECT frame{0, 0, client.cx, client.cy};
    if (Dpi().adjustWindowRectExForDpi) {
        Dpi().adjustWindowRectExForDpi(&frame, WindowStyle, FALSE, WindowExStyle,
                                       static_cast<UINT>(WindowDpi(hwnd_)));
    } else {
        ::AdjustWindowRectEx(&frame, WindowStyle, FALSE, WindowExStyle);
    }
    return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

void MainWindow::Show(int command) {
    if (maximized_ &&
        (command == SW_SHOWNORMAL || command == SW_SHOWDEFAULT || command == SW_SHOW)) {
        command = SW_SHOWMAXIMIZED;
    }
    ::ShowWindow(hwnd_, command);
    ::UpdateWindow(hwnd_);
}

// GetWindowPlacement gives the restored place, maximized or minimized, in workspace
// coordinates; Screens speaks in the same.
WindowPlacement MainWindow::Placement() const {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    ::GetWindowPlacement(hwnd_, &placement);
    const RECT& normal = placement.rcNormalPosition;
    const SIZE frame = FrameSize({0, 0});
    const bool maximized =
        ::IsZoomed(hwnd_) || (::IsIconic(hwnd_) && (placement.flags & WPF_RESTORETOMAXIMIZED) != 0);
    return {normal.left, normal.top, normal.right - normal.left - frame.cx,
            normal.bottom - normal.top - frame.cy, maximized};
}

void MainWindow::SetPlacement(const WindowPlacement& kept) {
    const int dpi = WindowDpi(hwnd_);
    const PixelSize least = MinimumClientSize(dpi, dpi);
    const SIZE size =
        FrameSize({std::max(kept.width, least.width), std::max(kept.height, least.height)});
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    ::GetWindowPlacement(hwnd_, &placement);
    placement.flags = 0;
    placement.showCmd = ::IsWindowVisible(hwnd_) ? SW_SHOWNORMAL : SW_HIDE;
    placement.rcNormalPosition = {kept.left, kept.top, kept.left + size.cx, kept.top + size.cy};
    ::SetWindowPlacement(hwnd_, &placement);
    maximized_ = kept.maximized;
}

std::vector<PixelRect> MainWindow::Screens() const {
    std::vector<RECT> areas;
    ::EnumDisplayMonitors(nullptr, nullptr, AddWorkArea, reinterpret_cast<LPARAM>(&areas));
    const POINT origin = WorkspaceOrigin();
    std::vector<PixelRect> screens;
    for (const RECT& area : areas) {
        screens.push_back({area.left - origin.x, area.top - origin.y, area.right - area.left,
                           area.bottom - area.top});
    }
    return screens;
}

MainWindowControls MainWindow::Controls() {
    return MainWindowControls{*this,       txtFolder, cmdFind,      cmdRemove,
                              chkReadOnly, ListView1, chkIgnoreJunk};
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
    case WM_SIZE:
        LayOut();
        return 0;
    case WM_GETMINMAXINFO: {
        const int dpi = WindowDpi(hwnd_);
        const PixelSize least = MinimumClientSize(dpi, dpi);
        const SIZE size = FrameSize({least.width, least.height});
        auto& limits = *reinterpret_cast<MINMAXINFO*>(lParam);
        limits.ptMinTrackSize = POINT{size.cx, size.cy};
        return 0;
    }
    case WM_DPICHANGED: {
        // Moved to a monitor of another DPI: the system suggests the place and size there.
        SetFont(HIWORD(wParam));
        const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top,
                       suggested.right - suggested.left, suggested.bottom - suggested.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        LayOut();
        return 0;
    }
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
