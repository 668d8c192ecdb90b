// The Win32 window, created in the test's own process and driven by window messages under
// Wine: the window scenarios that all front ends share, then what is its own: its texts and
// tab order, its event pump, the list's selection and custom draw, the root box's click and
// file drops.
#include "platform/win32/ProgramServices.h"
#include "platform/win32/Utf.h"
#include "platform/win32/window/VacantorWindow.h"
#include "win32/WindowTestSupport.h"
#include "window/WindowScenarios.h"

#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <utility>
#include <string>
#include <vector>

namespace {

using win32::PixelsFromTwips;

// A shell file list (the HGLOBAL of CF_HDROP and WM_DROPFILES) holding `paths`.
HGLOBAL MakeHDrop(const std::vector<std::string>& paths) {
    std::wstring list;
    for (const std::string& path : paths) {
        list += WideFromUtf8(path);
        list += L'\0';
    }
    list += L'\0';
    std::size_t bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto* header = static_cast<DROPFILES*>(::GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), list.data(),
                list.size() * sizeof(wchar_t));
    ::GlobalUnlock(memory);
    return memory;
}

// The text of a list view cell, read through the control.
std::string ListViewCellText(HWND list, int row, int column) {
    wchar_t buffer[1024] = {};
    ListView_GetItemText(list, row, column, buffer, 1024);
    return Utf8FromWide(buffer);
}

class Win32WindowDriver : public WindowDriver {
  public:
    Win32WindowDriver() {
        ::SetWindowSubclass(pump_, RunPending, 0, reinterpret_cast<DWORD_PTR>(this));
    }
    ~Win32WindowDriver() override { ::DestroyWindow(pump_); }

    // The root box takes files both by WM_DROPFILES and by OLE.
    void Start(const std::string& settingsFolder) override {
        MainWindowServices services = services_.Services();
        services.desktopShell = &desktop_;
        program_ = std::make_unique<win32::VacantorWindow>(services);
        program_->trackListMenu = [this](HMENU menu, HWND, POINT) { return ChooseFromMenu(menu); };
        ASSERT_TRUE(program_->Create({settingsFolder, false}, SW_SHOWNOACTIVATE));
        hwnd_ = Window().Hwnd();
        services_.SetActiveForm(hwnd_);
        HWND box = Window().txtFolder.Hwnd();
        EXPECT_NE(::GetWindowLongPtrW(box, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
        win32::FileDropTarget other({});
        EXPECT_EQ(::RegisterDragDrop(box, &other), DRAGDROP_E_ALREADYREGISTERED);
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
    // The box posts its click to itself: the picker it may open runs once the edit has
    // released the mouse.
    void ClickRootBox() override {
        HWND box = Window().txtFolder.Hwnd();
        const int shown = ChoosersShown();
        ::SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
        ::SendMessageW(box, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
        EXPECT_EQ(ChoosersShown(), shown);
        MSG message;
        EXPECT_TRUE(PumpUntil([&] { return !::PeekMessageW(&message, box, 0, 0, PM_NOREMOVE); }));
        EXPECT_NE(::GetCapture(), box);
    }
    // Dialogs other than message boxes: the folder picker.
    int ChoosersShown() override {
        return static_cast<int>(std::count_if(closer_.boxes.begin(), closer_.boxes.end(),
                                              [](const auto& box) { return box.text.empty(); }));
    }
    std::string RootText() override { return win32::WindowTextUtf8(Window().txtFolder.Hwnd()); }
    void ClickFind() override { ::SendMessageW(Window().cmdFind.Hwnd(), BM_CLICK, 0, 0); }
    void ClickRemove() override { ::SendMessageW(Window().cmdRemove.Hwnd(), BM_CLICK, 0, 0); }
    // Posted, the action waits in the queue for the first turn of the pump.
    void DuringTheNextRun(std::function<void()> action) override {
        pending_ = std::move(action);
        ::PostMessageW(pump_, WM_APP, 0, 0);
    }

    void Select(std::size_t position) override {
        ListView_SetItemState(List(), position, LVIS_SELECTED, LVIS_SELECTED);
    }
    std::vector<std::string> Rows() override { return Cells(1); }
    std::vector<std::string> Numbers() override { return Cells(0); }
    // The row drawn at the position, and so its colour.
    bool ShownAsRemoved(std::size_t position) override {
        win32::ResultListView& list = Window().ListView1;
        return list.IsRemoved(list.RowAtPosition(position));
    }
    std::vector<std::size_t> SelectedPositions() override {
        Cells(0);
        std::vector<std::size_t> positions;
        for (int position = 0; position < ShownRowCount(); ++position) {
            if (ListView_GetItemState(List(), position, LVIS_SELECTED) & LVIS_SELECTED) {
                positions.push_back(static_cast<std::size_t>(position));
            }
        }
        return positions;
    }
    // A click on the header, which the list turns into LVN_COLUMNCLICK.
    void ClickColumnHeader(int column) override {
        HWND header = ListView_GetHeader(List());
        RECT item{};
        ASSERT_TRUE(Header_GetItemRect(header, column, &item));
        const LPARAM centre =
            MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        ::SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, centre);
        ::SendMessageW(header, WM_LBUTTONUP, 0, centre);
    }
    std::string SortIndicator() override {
        HWND header = ListView_GetHeader(List());
        for (int column = 0; column < Header_GetItemCount(header); ++column) {
            HDITEMW item{};
            item.mask = HDI_FORMAT;
            Header_GetItem(header, column, &item);
            if (item.fmt & (HDF_SORTUP | HDF_SORTDOWN)) {
                return std::to_string(column) + (item.fmt & HDF_SORTUP ? " up" : " down");
            }
        }
        return "";
    }
    // The key as the list receives it, with the keyboard state saying Ctrl is down.
    void PressCtrlA() override {
        BYTE keys[256] = {};
        ::GetKeyboardState(keys);
        const BYTE control = keys[VK_CONTROL];
        keys[VK_CONTROL] = 0x80;
        ::SetKeyboardState(keys);
        ::SendMessageW(List(), WM_KEYDOWN, 'A', 1);
        keys[VK_CONTROL] = control;
        ::SetKeyboardState(keys);
    }
    // The row focused as a right click leaves it, then the menu the list asks for; its
    // item is chosen by trackListMenu.
    std::vector<std::string> ContextMenu(std::size_t position, const std::string& choice) override {
        Cells(0);
        ListView_SetItemState(List(), position, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
        RECT row{};
        row.left = LVIR_BOUNDS;
        ListView_GetItemRect(List(), static_cast<int>(position), &row, LVIR_BOUNDS);
        POINT centre{(row.left + row.right) / 2, (row.top + row.bottom) / 2};
        ::ClientToScreen(List(), &centre);
        menuChoice_ = choice;
        menuCaptions_.clear();
        ::SendMessageW(List(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(List()),
                       MAKELPARAM(centre.x, centre.y));
        return menuCaptions_;
    }
    FakeDesktopShell& Desktop() override { return desktop_; }
    std::vector<std::string> Messages() override {
        std::vector<std::string> texts;
        for (const MessageBoxCloser::Box& box : closer_.boxes) {
            if (!box.text.empty()) {
                texts.push_back(box.text);
            }
        }
        return texts;
    }
    std::string SettingsFile() override { return program_->Form().State().IniFilePath; }
    PixelSize ClientSize() override {
        RECT client{};
        ::GetClientRect(hwnd_, &client);
        return {client.right, client.bottom};
    }
    PixelRect Place() override {
        const WindowPlacement placement = Window().Placement();
        return {placement.left, placement.top, placement.width, placement.height};
    }
    MainWindowLayout ControlPlaces() override {
        win32::MainWindow& w = Window();
        auto place = [&](const win32::Control& control) {
            RECT r{};
            ::GetWindowRect(control.Hwnd(), &r);
            ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
            return PixelRect{r.left, r.top, r.right - r.left, r.bottom - r.top};
        };
        return {place(w.lblFolder), place(w.txtFolder),   place(w.cmdFind),      place(w.ListView1),
                place(w.cmdRemove), place(w.chkReadOnly), place(w.chkIgnoreJunk)};
    }
    std::pair<int, int> Dpi() override {
        const int dpi = win32::WindowDpi(hwnd_);
        return {dpi, dpi};
    }
    // As a drag on the frame ends: the system keeps the window at its least size.
    void Resize(PixelSize size) override {
        RECT frame{0, 0, size.width, size.height};
        ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_STYLE)),
                             FALSE, static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
        MINMAXINFO limits{};
        ::SendMessageW(hwnd_, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        ::SetWindowPos(hwnd_, nullptr, 0, 0,
                       std::max<LONG>(frame.right - frame.left, limits.ptMinTrackSize.x),
                       std::max<LONG>(frame.bottom - frame.top, limits.ptMinTrackSize.y),
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    void Move(int left, int top) override {
        WindowPlacement placement = Window().Placement();
        placement.left = left;
        placement.top = top;
        Window().SetPlacement(placement);
    }
    void TypeInRootBox(const std::string& text) override {
        for (char c : text) {
            ::SendMessageW(Window().txtFolder.Hwnd(), WM_CHAR, static_cast<WPARAM>(c), 0);
        }
    }
    void PressKeyInRootBox(int keyCode) override {
        HWND box = Window().txtFolder.Hwnd();
        ::SendMessageW(box, WM_KEYDOWN, static_cast<WPARAM>(keyCode), 0);
        ::SendMessageW(box, WM_KEYUP, static_cast<WPARAM>(keyCode), 0);
    }
    void ClickIgnoreJunk() override {
        ::SendMessageW(Window().chkIgnoreJunk.Hwnd(), BM_CLICK, 0, 0);
    }
    bool IgnoreJunkTicked() override { return Window().chkIgnoreJunk.Value() == 1; }

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
    static LRESULT CALLBACK RunPending(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR self) {
        std::function<void()>& pending = reinterpret_cast<Win32WindowDriver*>(self)->pending_;
        if (message == WM_APP && pending) {
            std::exchange(pending, nullptr)();
            return 0;
        }
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
    // Records the menu's captions and returns the id of the one chosen.
    UINT ChooseFromMenu(HMENU menu) {
        UINT chosen = 0;
        for (int item = 0; item < ::GetMenuItemCount(menu); ++item) {
            const UINT state = ::GetMenuState(menu, static_cast<UINT>(item), MF_BYPOSITION);
            if (state & MF_SEPARATOR) {
                menuCaptions_.push_back("-");
                continue;
            }
            wchar_t text[256] = {};
            ::GetMenuStringW(menu, static_cast<UINT>(item), text, 256, MF_BYPOSITION);
            const std::string caption = Utf8FromWide(text);
            const bool enabled = (state & MF_GRAYED) == 0;
            menuCaptions_.push_back(caption + (enabled ? "" : "-"));
            if (caption == menuChoice_ && enabled) {
                chosen = ::GetMenuItemID(menu, item);
            }
        }
        return chosen;
    }
    // As the control shows them, once it has caught up with the appends.
    std::vector<std::string> Cells(int column) {
        const int rows = static_cast<int>(Window().ListView1.RowCount());
        EXPECT_TRUE(PumpUntil([&] { return ShownRowCount() == rows; }));
        std::vector<std::string> cells;
        for (int row = 0; row < ShownRowCount(); ++row) {
            cells.push_back(ListViewCellText(List(), row, column));
        }
        return cells;
    }
    win32::MainWindow& Window() { return program_->Window(); }
    HWND List() { return Window().ListView1.Hwnd(); }
    int ShownRowCount() { return ListView_GetItemCount(List()); }

    Win32TestEnvironment environment_;
    ProgramServices services_;
    MessageBoxCloser closer_;
    FakeDesktopShell desktop_;
    std::string menuChoice_;
    std::vector<std::string> menuCaptions_;
    HWND pump_ =
        ::CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    std::function<void()> pending_;
    std::unique_ptr<win32::VacantorWindow> program_;
    HWND hwnd_ = nullptr;
};

} // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, WindowScenario, Win32WindowDriver);

namespace {

TEST(Win32Twips, RoundAsTheSharedLayoutDoes) {
    // Twips, dots per inch, pixels.
    const int cases[][3] = {{1440, 96, 96}, {255, 96, 17},    {120, 96, 8},
                            {375, 120, 31}, {1440, 144, 144}, {0, 96, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(PixelsFromTwips(c[0], c[1]), c[2]) << c[0] << " twips at " << c[1];
        EXPECT_EQ(::PixelsFromTwips(c[0], c[1]), c[2]) << c[0] << " twips at " << c[1];
    }
}

// The program's window, set up as at its start.
class Win32Window : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(program.Create({"C:\\app", false}, SW_SHOWNOACTIVATE)); }

    void AddRows(const std::vector<std::string>& paths) {
        for (const std::string& path : paths) {
            list.AddRow(std::to_string(list.RowCount()));
            list.SetSubItem1Text(list.RowCount() - 1, path);
        }
        ASSERT_TRUE(PumpUntil([&] {
            return ListView_GetItemCount(list.Hwnd()) == static_cast<int>(list.RowCount());
        }));
    }

    Win32TestEnvironment environment;
    ProgramServices services;
    win32::VacantorWindow program{services.Services()};
    win32::MainWindow& window = program.Window();
    win32::ResultListView& list = window.ListView1;
};

// The title bar and the taskbar show the program's icon. The controls' texts, in the
// order of the children (their places are a shared scenario's). The tab key skips the label
// and wraps round. The window can be resized and maximized.
TEST_F(Win32Window, ShowsTheControlsTextsInTabOrder) {
    EXPECT_NE(::GetClassLongPtrW(window.Hwnd(), GCLP_HICON), 0u);
    EXPECT_NE(::GetClassLongPtrW(window.Hwnd(), GCLP_HICONSM), 0u);
    const LONG_PTR style = ::GetWindowLongPtrW(window.Hwnd(), GWL_STYLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), WS_THICKFRAME | WS_MAXIMIZEBOX);
    std::vector<std::string> texts;
    for (HWND child = ::GetWindow(window.Hwnd(), GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        texts.push_back(win32::WindowTextUtf8(child));
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"Root Folder", "", "Find", "", "Remove",
                                               "Delete Read Only Folder", "Ignore junk files"}));
    std::vector<HWND> order = {window.txtFolder.Hwnd(),   window.cmdFind.Hwnd(),
                               window.ListView1.Hwnd(),   window.cmdRemove.Hwnd(),
                               window.chkReadOnly.Hwnd(), window.chkIgnoreJunk.Hwnd(),
                               window.txtFolder.Hwnd()};
    // Read-only, on the dialog background.
    EXPECT_NE(::GetWindowLongPtrW(window.txtFolder.Hwnd(), GWL_STYLE) & ES_READONLY, 0);
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        EXPECT_EQ(::GetNextDlgTabItem(window.Hwnd(), order[i], FALSE), order[i + 1]) << i;
    }
}

// Every call runs what is pending, however soon after the last: Remove pumps after each
// row so that a Stop is noticed within one row.
TEST_F(Win32Window, DoEventsRunsPendingMessagesAndLeavesWmQuitToTheMainLoop) {
    int clicks = 0;
    window.cmdFind.onClick = [&] { ++clicks; };
    for (int expected = 1; expected <= 2; ++expected) {
        ::PostMessageW(window.cmdFind.Hwnd(), BM_CLICK, 0, 0);
        window.DoEvents();
        EXPECT_EQ(clicks, expected);
    }

    ::PostQuitMessage(3);
    ::PostMessageW(window.cmdFind.Hwnd(), BM_CLICK, 0, 0);
    window.DoEvents();
    MSG message;
    ASSERT_TRUE(::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 3u);
    EXPECT_EQ(clicks, 3);
}

// UTF-8 paths are shown as wide text. Regression: with the focus on a row that is not
// selected, the first selected row was taken for the selected item.
TEST_F(Win32Window, TheListShowsItsRowsAndReadsTheSelection) {
    const std::string path = "caf\xc3\xa9\\\xe6\x97\xa5";
    AddRows({"a", path, "c", "d"});
    EXPECT_EQ(ListViewCellText(list.Hwnd(), 1, 1), path);
    ListView_SetItemState(list.Hwnd(), 1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_FALSE(list.SelectedItem()); // selected, but the focus is on no row
    ListView_SetItemState(list.Hwnd(), 3, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(list.SelectedItem(), 3u);
    ListView_SetItemState(list.Hwnd(), 3, 0, LVIS_SELECTED);
    EXPECT_TRUE(list.IsSelected(1));
    EXPECT_FALSE(list.SelectedItem());

    // A mouse click on a row selects it and raises the click.
    int clicks = 0;
    list.onClick = [&] { ++clicks; };
    RECT cell{};
    cell.top = 1;
    cell.left = LVIR_BOUNDS;
    ASSERT_TRUE(
        ::SendMessageW(list.Hwnd(), LVM_GETSUBITEMRECT, 2, reinterpret_cast<LPARAM>(&cell)));
    LPARAM point = MAKELPARAM(cell.left + 5, (cell.top + cell.bottom) / 2);
    ::SendMessageW(list.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, point);
    ::SendMessageW(list.Hwnd(), WM_LBUTTONUP, 0, point);
    ASSERT_TRUE(PumpUntil([&] { return clicks > 0; }));
    EXPECT_EQ(list.SelectedItem(), 2u);

    // A removed row's path is drawn in the inactive caption text colour.
    list.SetSubItem1ForeColor(1, RemovedRowColor);
    auto drawnColour = [&](int row, int column) {
        NMLVCUSTOMDRAW draw{};
        draw.nmcd.hdr.hwndFrom = list.Hwnd();
        draw.nmcd.hdr.code = NM_CUSTOMDRAW;
        draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
        draw.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
        draw.iSubItem = column;
        draw.clrText = RGB(1, 2, 3); // left over from the previous cell
        EXPECT_EQ(::SendMessageW(window.Hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&draw)),
                  CDRF_NEWFONT);
        return draw.clrText;
    };
    EXPECT_EQ(drawnColour(1, 1), ::GetSysColor(COLOR_INACTIVECAPTIONTEXT));
    EXPECT_EQ(drawnColour(1, 0), CLR_DEFAULT);
    EXPECT_EQ(drawnColour(0, 1), CLR_DEFAULT);
}

// The path column takes the width the number and a scroll bar leave, also once the list
// grows. A path too long for it is drawn with the ellipsis before its last name; read
// outside a paint, it is whole.
TEST_F(Win32Window, ThePathColumnFillsTheListAndLongPathsKeepTheirLastName) {
    auto expectFilled = [&] {
        RECT client{};
        ::GetClientRect(list.Hwnd(), &client);
        EXPECT_EQ(ListView_GetColumnWidth(list.Hwnd(), 1),
                  client.right - ListView_GetColumnWidth(list.Hwnd(), 0) -
                      ::GetSystemMetrics(SM_CXVSCROLL));
    };
    expectFilled();
    RECT frame{};
    ::GetWindowRect(list.Hwnd(), &frame);
    ::SetWindowPos(list.Hwnd(), nullptr, 0, 0, (frame.right - frame.left) * 2,
                   frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER);
    expectFilled();

    const std::string path = std::string(400, 'x') + "\\Wedding";
    AddRows({path});
    auto paintStage = [&](DWORD stage) {
        NMLVCUSTOMDRAW draw{};
        draw.nmcd.hdr.hwndFrom = list.Hwnd();
        draw.nmcd.hdr.code = NM_CUSTOMDRAW;
        draw.nmcd.dwDrawStage = stage;
        ::SendMessageW(window.Hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&draw));
    };
    paintStage(CDDS_PREPAINT);
    const std::string drawn = ListViewCellText(list.Hwnd(), 0, 1);
    paintStage(CDDS_POSTPAINT);
    EXPECT_LT(drawn.size(), path.size());
    EXPECT_EQ(drawn.substr(drawn.size() - 11), "...\\Wedding");
    EXPECT_EQ(ListViewCellText(list.Hwnd(), 0, 1), path);
}

// The clipboard, read through OLE, stands in for a drag source offering one format.
TEST(Win32FileDropTarget, TakesFileListsAndRefusesEverythingElse) {
    Win32TestEnvironment environment;
    HWND owner =
        ::CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    std::vector<std::vector<std::string>> drops;
    win32::FileDropTarget target(
        [&](const std::vector<std::string>& files) { drops.push_back(files); });
    // Dragged text: a file list offered as text only must not be taken.
    for (CLIPFORMAT format : {CF_HDROP, CF_TEXT}) {
        ASSERT_TRUE(::OpenClipboard(owner) && ::EmptyClipboard());
        ::SetClipboardData(format, MakeHDrop({"C:\\one", "C:\\two"}));
        ::CloseClipboard();
        IDataObject* clipboard = nullptr;
        ASSERT_EQ(::OleGetClipboard(&clipboard), S_OK);
        const DWORD expected = format == CF_HDROP ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        // The effects offered to the drag's entry, its moves and the drop.
        std::array<DWORD, 3> effects;
        effects.fill(DROPEFFECT_COPY | DROPEFFECT_MOVE);
        ASSERT_EQ(target.DragEnter(clipboard, 0, POINTL{}, &effects[0]), S_OK);
        target.DragOver(0, POINTL{}, &effects[1]);
        ASSERT_EQ(target.Drop(clipboard, 0, POINTL{}, &effects[2]), S_OK);
        EXPECT_EQ(effects, (std::array<DWORD, 3>{expected, expected, expected})) << format;
        clipboard->Release();
    }
    ::DestroyWindow(owner);
    EXPECT_EQ(drops, (std::vector<std::vector<std::string>>{{"C:\\one", "C:\\two"}}));
}

} // namespace
