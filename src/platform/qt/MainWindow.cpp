#include "platform/qt/MainWindow.h"

#include "main_window/MainWindowLayout.h"
#include "platform/qt/PathDelegate.h"
#include "platform/qt/RootFolderEdit.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QResizeEvent>
#include <QDirIterator>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>

namespace {

// The program's icon at every size the build rendered from packaging/icons/vacantor.svg.
QIcon ProgramIcon() {
    QIcon icon;
    QDirIterator sizes(QStringLiteral(":/icons"));
    while (sizes.hasNext()) {
        icon.addFile(sizes.next());
    }
    return icon;
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent), lblFolder_(new QLabel(QStringLiteral("Root Folder"), this)),
      txtFolder_(new RootFolderEdit(this)), cmdFind_(new QPushButton(QStringLiteral("Find"), this)),
      listView1_(new QTreeView(this)), cmdRemove_(new QPushButton(QStringLiteral("Remove"), this)),
      chkReadOnly_(new QCheckBox(QStringLiteral("Delete Read Only Folder"), this)),
      chkIgnoreJunk_(new QCheckBox(QStringLiteral("Ignore junk files"), this)) {
    setWindowTitle(QStringLiteral("Empty Folders in the Folder"));
    setWindowIcon(ProgramIcon());
    txtFolder_->setText(QStringLiteral("Text1"));
    chkReadOnly_->setChecked(false);

    // A flat list of rows with one line each: the tree view's fast paths for large lists.
    listView1_->setRootIsDecorated(false);
    listView1_->setItemsExpandable(false);
    listView1_->setUniformRowHeights(true);
    listView1_->setAllColumnsShowFocus(true);
    listView1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The path column takes the width the number leaves, however wide the list grows, and
    // a long path keeps its last name in view.
    listView1_->header()->setStretchLastSection(true);
    listView1_->header()->setSectionsClickable(true);
    listView1_->setItemDelegateForColumn(1, new PathDelegate(listView1_));

    lblFolder_->setObjectName(QStringLiteral("lblFolder"));
    txtFolder_->setObjectName(QStringLiteral("txtFolder"));
    cmdFind_->setObjectName(QStringLiteral("cmdFind"));
    listView1_->setObjectName(QStringLiteral("ListView1"));
    cmdRemove_->setObjectName(QStringLiteral("cmdRemove"));
    chkReadOnly_->setObjectName(QStringLiteral("chkReadOnly"));
    chkIgnoreJunk_->setObjectName(QStringLiteral("chkIgnoreJunk"));

    setTabOrder(txtFolder_, cmdFind_);
    setTabOrder(cmdFind_, listView1_);
    setTabOrder(listView1_, cmdRemove_);
    setTabOrder(cmdRemove_, chkReadOnly_);
    setTabOrder(chkReadOnly_, chkIgnoreJunk_);
    const PixelSize least = MinimumClientSize(logicalDpiX(), logicalDpiY());
    setMinimumSize(least.width, least.height);
    resize(least.width, least.height);
    LayOut();
}

void MainWindow::LayOut() {
    const MainWindowLayout layout =
        LayOutMainWindow({width(), height()}, logicalDpiX(), logicalDpiY());
    auto place = [](QWidget* widget, const PixelRect& rect) {
        widget->setGeometry(rect.left, rect.top, rect.width, rect.height);
    };
    place(lblFolder_, layout.lblFolder);
    place(txtFolder_, layout.txtFolder);
    place(cmdFind_, layout.cmdFind);
    place(listView1_, layout.ListView1);
    place(cmdRemove_, layout.cmdRemove);
    place(chkReadOnly_, layout.chkReadOnly);
    place(chkIgnoreJunk_, layout.chkIgnoreJunk);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayOut();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (onQueryUnload && !onQueryUnload()) {
        event->ignore();
        return;
    }
    event->accept();
}
