#include "QtTestApp.h"

#include "platform/qt/RootFolderEdit.h"
#include "platform/qt/VacantorWindow.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

TEST(TwipsToPixels, ConvertsAtTheGivenResolution) {
    struct Case {
        int twips;
        double dpi;
        int pixels;
    };
    const Case cases[] = {{1440, 96, 96},   {9645, 96, 643}, {4950, 96, 330}, {255, 96, 17},
                          {9645, 120, 804}, {270, 144, 27},  {0, 96, 0},      {15, 96, 1}};
    for (const Case& c : cases) {
        EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " at " << c.dpi;
    }
}

class MainWindowLayout : public QtFixture {
  protected:
    QRect Expected(int left, int top, int width, int height) const {
        const double x = window.logicalDpiX();
        const double y = window.logicalDpiY();
        return QRect(TwipsToPixels(left, x), TwipsToPixels(top, y), TwipsToPixels(width, x),
                     TwipsToPixels(height, y));
    }

    VacantorWindow window;
};

TEST_F(MainWindowLayout, TheTitleBarShowsTheProgramsIconAtSmallAndLargeSizes) {
    const QList<QSize> sizes = window.windowIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16))) << sizes.size();
    EXPECT_TRUE(sizes.contains(QSize(256, 256))) << sizes.size();
}

TEST_F(MainWindowLayout, ControlsSitAtTheirTwipsPositionsInAFixedSizeWindow) {
    EXPECT_EQ(window.lblFolder().geometry(), Expected(120, 240, 1095, 255));
    EXPECT_EQ(window.txtFolder().geometry(), Expected(1200, 240, 8175, 270));
    EXPECT_EQ(window.cmdFind().geometry(), Expected(6960, 600, 1095, 375));
    EXPECT_EQ(window.ListView1().geometry(), Expected(120, 1080, 9495, 3735));
    EXPECT_EQ(window.cmdRemove().geometry(), Expected(8280, 600, 1095, 375));
    EXPECT_EQ(window.chkReadOnly().geometry(), Expected(240, 720, 3375, 255));
    const QSize client = Expected(0, 0, 9645, 4950).size();
    EXPECT_EQ(window.size(), client);
    EXPECT_EQ(window.minimumSize(), client);
    EXPECT_EQ(window.maximumSize(), client);
}

TEST_F(MainWindowLayout, TabGoesThroughTheControlsInTheirOrder) {
    window.show();
    window.txtFolder().setFocus();
    std::vector<QWidget*> expected{&window.cmdFind(), &window.ListView1(), &window.cmdRemove(),
                                   &window.chkReadOnly(), &window.txtFolder()};
    QWidget* widget = &window.txtFolder();
    for (QWidget* next : expected) {
        widget = widget->nextInFocusChain();
        while (widget->focusPolicy() == Qt::NoFocus || !widget->isVisibleTo(&window) ||
               widget->parentWidget() != &window) {
            widget = widget->nextInFocusChain();
        }
        EXPECT_EQ(widget, next) << next->objectName().toStdString();
    }
}

} // namespace
