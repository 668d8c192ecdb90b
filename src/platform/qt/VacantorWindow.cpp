#include "platform/qt/VacantorWindow.h"

#include "platform/qt/RootFolderEdit.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>

VacantorWindow::VacantorWindow(MainWindowServices services, std::string settingsFolder)
    : runtime_(window_, std::move(settingsFolder)), txtFolder_(window_.txtFolder()),
      cmdFind_(window_.cmdFind()), cmdRemove_(window_.cmdRemove()),
      chkReadOnly_(window_.chkReadOnly()), listView1_(window_.ListView1()),
      chkIgnoreJunk_(window_.chkIgnoreJunk()),
      form_(MainWindowControls{runtime_, txtFolder_, cmdFind_, cmdRemove_, chkReadOnly_, listView1_,
                               chkIgnoreJunk_},
            std::move(services)) {
    Connect();
    form_.Form_Load();
}

void VacantorWindow::Connect() {
    QObject::connect(&window_.cmdFind(), &QPushButton::clicked, &window_,
                     [this] { form_.cmdFind_Click(); });
    QObject::connect(&window_.cmdRemove(), &QPushButton::clicked, &window_,
                     [this] { form_.cmdRemove_Click(); });
    QObject::connect(&window_.txtFolder(), &RootFolderEdit::clicked, &window_,
                     [this] { form_.txtFolder_Click(); });
    QObject::connect(
        &window_.txtFolder(), &RootFolderEdit::filesDropped, &window_,
        [this](const std::vector<std::string>& files) { form_.txtFolder_OLEDragDrop(files); });
    window_.txtFolder().onKeyDown = [this](int keyCode) {
        return form_.txtFolder_KeyDown(keyCode);
    };
    QObject::connect(&window_.chkIgnoreJunk(), &QCheckBox::clicked, &window_,
                     [this] { form_.chkIgnoreJunk_Click(); });
    // Any click on the list counts, on a row or not, after the view has updated its
    // selection.
    listClicks_.onClick = [this] { form_.ListView1_Click(); };
    window_.ListView1().viewport()->installEventFilter(&listClicks_);
    QTreeView& list = window_.ListView1();
    QObject::connect(list.header(), &QHeaderView::sectionClicked, &window_,
                     [this](int column) { form_.ListView1_ColumnClick(column); });
    list.setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(
        &list, &QWidget::customContextMenuRequested, &window_, [this, &list](const QPoint& at) {
            ShowListMenu(form_.ListView1_MenuItems(), list, list.viewport()->mapToGlobal(at));
        });
    listKeys_.onKeyDown = [this](int keyCode, int shift) {
        return form_.ListView1_KeyDown(keyCode, shift);
    };
    list.installEventFilter(&listKeys_);
    window_.onQueryUnload = [this] { return form_.Form_QueryUnload(); };
}
