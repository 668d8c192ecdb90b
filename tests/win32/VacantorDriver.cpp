// Drives a running Vacantor.exe from outside, for the screenshot script:
//   vacantor_driver find      clicks Find and waits until the result message is shown
//   vacantor_driver dismiss   closes the result message and prints the window's screen
//                             rectangle as WIDTHxHEIGHT+LEFT+TOP
//   vacantor_driver close     closes the result message if still shown, then the window
// Exit status 0 on success, 1 when a window did not appear in time.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr DWORD TimeoutMilliseconds = 30000;

template <typename Find>
HWND WaitFor(Find find) {
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < TimeoutMilliseconds) {
        if (HWND window = find()) {
            return window;
        }
        ::Sleep(50);
    }
    return nullptr;
}

HWND MainWindow() {
    return ::FindWindowW(L"VacantorMainWindow", L"Empty Folders in the Folder");
}

HWND ResultBox() {
    HWND box = ::FindWindowW(L"#32770", L"Scryve");
    return box && ::IsWindowVisible(box) ? box : nullptr;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vacantor_driver find|dismiss|close\n");
        return 2;
    }
    if (std::strcmp(argv[1], "find") == 0) {
        // The window exists before its controls do; wait until it is shown.
        HWND find = WaitFor([] {
            HWND window = MainWindow();
            return window && ::IsWindowVisible(window)
                       ? ::FindWindowExW(window, nullptr, L"Button", L"Find")
                       : nullptr;
        });
        if (!find) {
            std::fprintf(stderr, "vacantor_driver: no window with a Find button\n");
            return 1;
        }
        ::PostMessageW(find, BM_CLICK, 0, 0);
        if (!WaitFor(ResultBox)) {
            std::fprintf(stderr, "vacantor_driver: no result message\n");
            return 1;
        }
        return 0;
    }
    if (std::strcmp(argv[1], "dismiss") == 0) {
        HWND box = ResultBox();
        HWND window = MainWindow();
        if (!box || !window) {
            std::fprintf(stderr, "vacantor_driver: no result message to dismiss\n");
            return 1;
        }
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        if (!WaitFor([] { return ResultBox() ? nullptr : ::GetDesktopWindow(); }) ||
            !WaitFor([window] { return ::GetForegroundWindow() == window ? window : nullptr; })) {
            std::fprintf(stderr, "vacantor_driver: the window did not come back\n");
            return 1;
        }
        RECT rect{};
        ::GetWindowRect(window, &rect);
        std::printf("%ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top, rect.left,
                    rect.top);
        return 0;
    }
    if (std::strcmp(argv[1], "close") == 0) {
        if (HWND box = ResultBox()) {
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        HWND window = MainWindow();
        if (window) {
            WaitFor([] { return ResultBox() ? nullptr : MainWindow(); });
            ::PostMessageW(window, WM_CLOSE, 0, 0);
        }
        return WaitFor([] { return MainWindow() ? nullptr : ::GetDesktopWindow(); }) ? 0 : 1;
    }
    std::fprintf(stderr, "vacantor_driver: unknown command %s\n", argv[1]);
    return 2;
}
