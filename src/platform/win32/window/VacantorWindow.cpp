#include "platform/win32/window/VacantorWindow.h"

namespace win32 {

VacantorWindow::VacantorWindow(MainWindowServices services)
    : form_(window_.Controls(), std::move(services)) {}

bool VacantorWindow::Create(const MainWindow::CreateArgs& args, int showCommand) {
    if (!window_.Create(args)) {
        return false;
    }
    window_.cmdFind.onClick = [this] { form_.cmdFind_Click(); };
    window_.cmdRemove.onClick = [this] { form_.cmdRemove_Click(); };
    window_.txtFolder.onClick = [this] { form_.txtFolder_Click(); };
    window_.txtFolder.onKeyDown = [this](int keyCode) { return form_.txtFolder_KeyDown(keyCode); };
    window_.chkIgnoreJunk.onClick = [this] { form_.chkIgnoreJunk_Click(); };
    window_.txtFolder.onDropFiles = [this](const std::vector<std::string>& files) {
        form_.txtFolder_OLEDragDrop(files);
    };
    window_.ListView1.onClick = [this] { form_.ListView1_Click(); };
    window_.ListView1.onColumnClick = [this](int column) { form_.ListView1_ColumnClick(column); };
    window_.ListView1.onKeyDown = [this](int keyCode, int shift) {
        return form_.ListView1_KeyDown(keyCode, shift);
    };
    window_.ListView1.onContextMenu = [this](POINT screen) {
        ShowListMenu(form_.ListView1_MenuItems(), window_.Hwnd(), screen, trackListMenu);
    };
    window_.onQueryUnload = [this] { return form_.Form_QueryUnload(); };
    form_.Form_Load();
    window_.Show(showCommand);
    return true;
}

} // namespace win32
