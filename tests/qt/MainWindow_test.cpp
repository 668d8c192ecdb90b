#include "MainWindowFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

namespace fs = std::filesystem;

namespace {

TEST_F(QtMainWindowTest, FirstStartShowsAnEmptyRootAndTheListHeaders) {
    auto window = Open();
    EXPECT_EQ(window->Window().txtFolder().text(), "");
    EXPECT_TRUE(window->Window().txtFolder().acceptDrops());
    ResultRowsModel& rows = window->Rows();
    EXPECT_EQ(rows.headerData(0, Qt::Horizontal).toString(), "No.");
    EXPECT_EQ(rows.headerData(1, Qt::Horizontal).toString(), "Folder Path");
    EXPECT_EQ(window->Window().ListView1().selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST_F(QtMainWindowTest, FindListsTheEmptyFoldersAndReportsTheirNumber) {
    MakeTree(3);
    auto window = Open();
    window->Form().SetRootFolder(tree.Text());
    Click(window->Window().cmdFind());

    EXPECT_EQ(closer.texts, (std::vector<QString>{"Found 3 Folders."}));
    EXPECT_EQ(closer.titles, (std::vector<QString>{"Scryve"}));
    EXPECT_EQ(PathCells(*window), (QStringList{"empty0", "empty1", "empty2"}));
    EXPECT_EQ(window->Rows().index(0, 0).data().toString(), "0");
    EXPECT_EQ(window->Window().cmdFind().text(), "Find");
    EXPECT_TRUE(window->Window().cmdRemove().isEnabled());
    EXPECT_EQ(window->Window().cursor().shape(), Qt::ArrowCursor);
}

TEST_F(QtMainWindowTest, DuringFindTheButtonIsStopAndThePointerBusy) {
    MakeTree(50);
    auto window = Open();
    window->Form().SetRootFolder(tree.Text());
    VacantorWindow& widgets = window->Window();
    bool seen = false;
    QTimer::singleShot(0, [&] {
        seen = true;
        EXPECT_EQ(widgets.cmdFind().text(), "Stop");
        EXPECT_TRUE(widgets.cmdFind().isEnabled());
        EXPECT_FALSE(widgets.cmdRemove().isEnabled());
        EXPECT_FALSE(widgets.txtFolder().isEnabled());
        EXPECT_TRUE(widgets.chkReadOnly().isEnabled());
        EXPECT_EQ(widgets.cursor().shape(), Qt::BusyCursor);
    });
    Click(widgets.cmdFind());
    EXPECT_TRUE(seen);
}

TEST_F(QtMainWindowTest, StopEndsTheFindWithTheRowsFoundSoFar) {
    constexpr int total = 500;
    MakeTree(total);
    auto window = Open();
    window->Form().SetRootFolder(tree.Text());
    // Fires in the first turn of the event pump that the scan runs.
    QTimer::singleShot(0, [&] { Click(window->Window().cmdFind()); });
    Click(window->Window().cmdFind());

    ASSERT_EQ(closer.texts.size(), 1u);
    const std::size_t rows = window->Rows().RowCount();
    EXPECT_LT(rows, static_cast<std::size_t>(total));
    EXPECT_EQ(closer.texts[0].toStdString(), "Found " + std::to_string(rows) + " Folders.");
    EXPECT_FALSE(window->Form().State().StopRequested);
    EXPECT_EQ(window->Window().cmdFind().text(), "Find");
}

TEST_F(QtMainWindowTest, TheRootOfTheLastFindIsRestoredAtTheNextStart) {
    MakeTree(1);
    {
        auto window = Open();
        window->Form().SetRootFolder(tree.Text());
        Click(window->Window().cmdFind());
    }
    EXPECT_TRUE(fs::exists(appFolder.Path() / "Scryve.ini"));
    auto next = Open();
    EXPECT_EQ(next->Window().txtFolder().text(), QFile::decodeName(tree.Text().c_str()));
    EXPECT_EQ(next->Form().State().RootFolder, tree.Text());
}

// The program as the package installs it: its folder is the installed one, so the settings
// go to $XDG_CONFIG_HOME/vacantor, made by the first Find, read at the next start.
TEST(QtInstalledProgram, KeepsTheRootInTheUsersConfigurationFolder) {
    EnsureQtApplication();
    TempFolder config;
    TempFolder tree;
    ::setenv("XDG_CONFIG_HOME", config.Text().c_str(), 1);
    ModalCloser closer;
    const fs::path folder = config.Path() / "vacantor";
    {
        SystemServices services(ExecutableFolder());
        ASSERT_EQ(services.SettingsFolder(), PathText(folder));
        QtMainWindow window(services.Services(), services.SettingsFolder());
        window.Form().SetRootFolder(tree.Text());
        QTest::mouseClick(&window.Window().cmdFind(), Qt::LeftButton);
    }
    EXPECT_TRUE(fs::exists(folder / "Scryve.ini"));
    EXPECT_FALSE(fs::exists(fs::path(ExecutableFolder()) / "Scryve.ini"));

    SystemServices services(ExecutableFolder());
    QtMainWindow next(services.Services(), services.SettingsFolder());
    EXPECT_EQ(next.Form().State().RootFolder, tree.Text());
    ::unsetenv("XDG_CONFIG_HOME");
}

TEST_F(QtMainWindowTest, RemoveDeletesTheSelectedFoldersAndDimsTheirRows) {
    auto window = OpenAfterFind(3);

    QTreeView& view = window->Window().ListView1();
    ResultRowsModel& rows = window->Rows();
    const QString first = rows.index(0, 1).data().toString();
    const QString third = rows.index(2, 1).data().toString();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier,
                      view.visualRect(rows.index(0, 1)).center());
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ControlModifier,
                      view.visualRect(rows.index(2, 1)).center());
    Click(window->Window().cmdRemove());

    EXPECT_EQ(closer.texts.back(), "2 folders are removed.");
    EXPECT_FALSE(fs::exists(tree.Path() / first.toStdString()));
    EXPECT_FALSE(fs::exists(tree.Path() / third.toStdString()));
    EXPECT_TRUE(fs::exists(tree.Path() / rows.index(1, 1).data().toString().toStdString()));
    const QColor dimmed = QApplication::palette().color(QPalette::Disabled, QPalette::Text);
    EXPECT_EQ(rows.index(0, 1).data(Qt::ForegroundRole).value<QBrush>().color(), dimmed);
    EXPECT_EQ(rows.index(2, 1).data(Qt::ForegroundRole).value<QBrush>().color(), dimmed);
    EXPECT_FALSE(rows.index(1, 1).data(Qt::ForegroundRole).isValid());

    // A click on a removed row tells so in the list's tooltip, a click on another does not.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier,
                      view.visualRect(rows.index(2, 1)).center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return view.toolTip() == "True"; }, 2000));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier,
                      view.visualRect(rows.index(1, 1)).center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return view.toolTip() == "False"; }, 2000));
}

// Remove runs the pending events after every row: a Stop clicked while a row is removed
// is answered right after that row.
TEST_F(QtMainWindowTest, StopDuringRemoveIsAnsweredAfterTheCurrentRow) {
    auto window = OpenAfterFind(20);
    window->Window().ListView1().selectAll();
    // Queued by the pump after the first row, the click arrives at the pump after the second.
    QTimer::singleShot(
        0, [&] { QTimer::singleShot(0, [&] { Click(window->Window().cmdRemove()); }); });
    closer.choose = [](QMessageBox& box) {
        return qobject_cast<QPushButton*>(box.button(QMessageBox::Yes));
    };
    Click(window->Window().cmdRemove());

    ASSERT_EQ(closer.texts.size(), 3u);
    EXPECT_EQ(closer.texts[1].toStdString(), "Do you stop removing folders?");
    EXPECT_EQ(closer.texts[2].toStdString(), "2 folders are removed.");
}

TEST_F(QtMainWindowTest, ClosingDuringFindStopsTheRunThenCloses) {
    MakeTree(500);
    auto window = Open();
    window->Form().SetRootFolder(tree.Text());
    bool closedAtOnce = true;
    QTimer::singleShot(0, [&] { closedAtOnce = window->Window().close(); });
    Click(window->Window().cmdFind());
    EXPECT_FALSE(closedAtOnce);
    EXPECT_FALSE(window->Window().isVisible());
    EXPECT_LT(window->Rows().RowCount(), 500u);
    EXPECT_TRUE(closer.texts.empty());
}

TEST_F(QtMainWindowTest, ClosingWhenIdleClosesAtOnce) {
    auto window = Open();
    EXPECT_TRUE(window->Window().close());
    EXPECT_FALSE(window->Window().isVisible());
}

} // namespace
