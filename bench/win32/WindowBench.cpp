// The Win32 window on a large tree, in one process with the real services: a Find from
// the click to the result message, and how long a Stop click posted from another thread
// waits before the window answers it and before the run has wound down.
//   vacantor-win32-bench.exe TREE [RUNS]
#include "platform/win32/ProgramServices.h"
#include "platform/win32/window/VacantorWindow.h"

#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: vacantor-win32-bench TREE [RUNS]\n");
        return 2;
    }
    std::string tree = argv[1];
    int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    ::OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);

    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    ProgramServices services;
    MainWindowServices windowServices = services.Services();
    // The result message is where the user sees the run end; it is answered at once.
    Clock::time_point messageShown;
    std::string lastMessage;
    windowServices.showMessageBox = [&](const std::string& text, const std::string&, std::int32_t,
                                        std::int32_t) {
        messageShown = Clock::now();
        lastMessage = text;
        return std::int32_t{1};
    };
    win32::VacantorWindow program(windowServices);
    if (!program.Create({temp, false})) {
        return 1;
    }
    program.Form().SetRootFolder(tree);
    HWND find = program.Window().cmdFind.Hwnd();

    for (int run = 0; run < runs; ++run) {
        Clock::time_point start = Clock::now();
        ::SendMessageW(find, BM_CLICK, 0, 0);
        std::printf("find run %d: %.0f ms, %s\n", run + 1, Milliseconds(start, messageShown),
                    lastMessage.c_str());
        std::fflush(stdout);
    }

    // Stop: a click posted from another thread a while into a run, as the user's click
    // arrives in the queue.
    Clock::time_point clickPosted;
    Clock::time_point clickAnswered;
    auto findClick = program.Window().cmdFind.onClick;
    int clicks = 0;
    program.Window().cmdFind.onClick = [&] {
        if (++clicks == 2) {
            clickAnswered = Clock::now();
        }
        findClick();
    };
    std::thread user([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        clickPosted = Clock::now();
        ::PostMessageW(find, BM_CLICK, 0, 0);
    });
    ::SendMessageW(find, BM_CLICK, 0, 0);
    user.join();
    if (clicks == 2) {
        std::printf("stop: answered after %.1f ms, result message after %.1f ms (%s)\n",
                    Milliseconds(clickPosted, clickAnswered),
                    Milliseconds(clickPosted, messageShown), lastMessage.c_str());
    } else {
        std::printf("stop: the run ended before the click arrived\n");
    }

    // Adding rows to the list on its own: the list's share of a Find.
    win32::ResultListView& list = program.Window().ListView1;
    list.ClearRows();
    Clock::time_point start = Clock::now();
    for (int row = 0; row < 100000; ++row) {
        list.AddRow(std::to_string(row));
        list.SetSubItem1Text(static_cast<std::size_t>(row),
                             "folder\\subfolder\\" + std::to_string(row));
        if (row % 64 == 0) {
            program.Window().DoEvents();
        }
    }
    program.Window().DoEvents();
    std::printf("list: 100000 rows added in %.0f ms\n", Milliseconds(start, Clock::now()));

    // The list's answers on those rows, each until it is drawn again.
    HWND listWindow = list.Hwnd();
    auto timed = [&](const char* what, auto action) {
        Clock::time_point begin = Clock::now();
        action();
        ::UpdateWindow(listWindow);
        program.Window().DoEvents();
        std::printf("list, 100000 rows: %s in %.0f ms\n", what, Milliseconds(begin, Clock::now()));
    };
    timed("sort by path", [&] { program.Form().ListView1_ColumnClick(1); });
    timed("sort reversed", [&] { program.Form().ListView1_ColumnClick(1); });
    timed("select all", [&] { program.Form().mnuSelectAll_Click(); });
    timed("sort by number, every row selected", [&] { program.Form().ListView1_ColumnClick(0); });
    ListView_SetItemState(listWindow, -1, 0, LVIS_SELECTED);
    for (int row = 0; row < 100000; row += 2) {
        ListView_SetItemState(listWindow, row, LVIS_SELECTED, LVIS_SELECTED);
    }
    timed("sort by path, every other row selected",
          [&] { program.Form().ListView1_ColumnClick(1); });
    timed("scroll to the end", [&] { ListView_EnsureVisible(listWindow, 99999, FALSE); });
    program.Window().Close();
    ::OleUninitialize();
    return 0;
}
