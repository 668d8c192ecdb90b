// Drives a running Vacantor.exe from outside, for the screenshot script:
//   vacantor_driver find      clicks Find and waits until the result message is shown
//   vacantor_driver dismiss   closes the result message and prints the window's screen
//                             rectangle as WIDTHxHEIGHT+LEFT+TOP
//   vacantor_driver close     closes the result message if still shown, then the window
// Exit status 0 on success, 1 when a window did not appear in time.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// Polls `done` for at most 30 seconds.
template <typename Done>
bool WaitFor(Done done) {
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < 30000; ::Sleep(50)) {
        if (done()) {
            return true;
        }
    }
    return false;
}

HWND MainWindow() {
    return ::FindWindowW(L"VacantorMainWindow", L"Empty Folders in the Folder");
}

HWND ResultBox() {
    HWND box = ::FindWindowW(L"#32770", L"Scryve");
    return box && ::IsWindowVisible(box) ? box : nullptr;
}

int Fail(const char* what) {
    std::fprintf(stderr, "vacantor_driver: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc == 2 ? argv[1] : "";
    HWND window = MainWindow();
    if (command == "find") {
        // The window exists before its controls do; wait until it is shown.
        HWND find = nullptr;
        if (!WaitFor([&] {
                window = MainWindow();
                find = window && ::IsWindowVisible(window)
                           ? ::FindWindowExW(window, nullptr, L"Button", L"Find")
                           : nullptr;
                return find != nullptr;
            })) {
            return Fail("no window with a Find button");
        }
        ::PostMessageW(find, BM_CLICK, 0, 0);
        return WaitFor(ResultBox) ? 0 : Fail("no result message");
    }
    if (command == "dismiss") {
        HWND box = ResultBox();
        if (!box || !window) {
            return Fail("no result message to dismiss");
        }
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        if (!WaitFor([] { return !ResultBox(); }) ||
            !WaitFor([&] { return ::GetForegroundWindow() == window; })) {
            return Fail("the window did not come back");
        }
        RECT rect{};
        ::GetWindowRect(window, &rect);
        std::printf("%ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top, rect.left,
                    rect.top);
        return 0;
    }
    if (command == "close") {
        if (HWND box = ResultBox()) {
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        if (window) {
            WaitFor([] { return !ResultBox(); });
            ::PostMessageW(window, WM_CLOSE, 0, 0);
        }
        return WaitFor([] { return !MainWindow(); }) ? 0 : 1;
    }
    std::fprintf(stderr, "usage: vacantor_driver find|dismiss|close\n");
    return 2;
}
