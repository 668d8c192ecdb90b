#include "platform/qt/MainWindow.h"

#include "platform/qt/PathDelegate.h"
#include "platform/qt/RootFolderEdit.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDirIterator>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>

#include <cmath>

namespace {

// Left, top, width and height in twips.
struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};

constexpr int ClientWidth = 9645;
constexpr int ClientHeight = 4950;
constexpr TwipsRect LblFolderRect{120, 240, 1095, 255};
constexpr TwipsRect TxtFolderRect{1200, 240, 8175, 270};
constexpr TwipsRect CmdFindRect{6960, 600, 1095, 375};
constexpr TwipsRect ListView1Rect{120, 1080, 9495, 3735};
constexpr TwipsRect CmdRemoveRect{8280, 600, 1095, 375};
constexpr TwipsRect ChkReadOnlyRect{240, 720, 3375, 255};

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

int TwipsToPixels(int twips, double dotsPerInch) {
    return static_cast<int>(std::lround(twips * dotsPerInch / 1440.0));
}

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent), lblFolder_(new QLabel(QStringLiteral("Root Folder"), this)),
      txtFolder_(new RootFolderEdit(this)), cmdFind_(new QPushButton(QStringLiteral("Find"), this)),
      listView1_(new QTreeView(this)), cmdRemove_(new QPushButton(QStringLiteral("Remove"), this)),
      chkReadOnly_(new QCheckBox(QStringLiteral("Delete Read Only Folder"), this)) {
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

    setTabOrder(txtFolder_, cmdFind_);
    setTabOrder(cmdFind_, listView1_);
    setTabOrder(listView1_, cmdRemove_);
    setTabOrder(cmdRemove_, chkReadOnly_);
    LayOut();
}

void MainWindow::LayOut() {
    const double dpiX = logicalDpiX();
    const double dpiY = logicalDpiY();
    auto place = [dpiX, dpiY](QWidget* widget, const TwipsRect& rect) {
        widget->setGeometry(TwipsToPixels(rect.left, dpiX), TwipsToPixels(rect.top, dpiY),
                            TwipsToPixels(rect.width, dpiX), TwipsToPixels(rect.height, dpiY));
    };
    place(lblFolder_, LblFolderRect);
    place(txtFolder_, TxtFolderRect);
    place(cmdFind_, CmdFindRect);
    place(listView1_, ListView1Rect);
    place(cmdRemove_, CmdRemoveRect);
    place(chkReadOnly_, ChkReadOnlyRect);
    setFixedSize(TwipsToPixels(ClientWidth, dpiX), TwipsToPixels(ClientHeight, dpiY));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (onQueryUnload && !onQueryUnload()) {
        event->ignore();
        return;
    }
    event->accept();
}
