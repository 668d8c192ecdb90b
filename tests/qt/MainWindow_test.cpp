// Where the Qt window differs from the others: its busy pointer, its file chooser, and the
// settings folder of the installed program. The scenarios they share are in
// WindowScenarios_qt_test.cpp.
#include "ModalCloser.h"
#include "QtTestApp.h"
#include "platform/qt/QtMainWindow.h"
#include "platform/qt/RootFolderEdit.h"
#include "platform/qt/SystemServices.h"
#include "support/TempFolder.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace {

class QtMainWindowTest : public QtFixture {
  protected:
    QtMainWindowTest() {
        services.SetMainWindow(&window.Window());
        window.Window().show();
        window.Form().SetRootFolder(tree.Text());
    }

    static void Click(QWidget& widget) { QTest::mouseClick(&widget, Qt::LeftButton); }

    TempFolder appFolder;
    TempFolder tree;
    SystemServices services;
    ModalCloser closer; // presses OK on every message box and records it
    QtMainWindow window{services.Services(), appFolder.Text()};
};

TEST_F(QtMainWindowTest, DuringFindTheButtonIsStopAndThePointerBusy) {
    for (int i = 0; i < 50; ++i) {
        fs::create_directories(tree.Path() / std::to_string(i));
    }
    VacantorWindow& widgets = window.Window();
    bool seen = false;
    QTimer::singleShot(0, [&] {
        seen = true;
        EXPECT_EQ(widgets.cmdFind().text(), "Stop");
        EXPECT_FALSE(widgets.cmdRemove().isEnabled());
        EXPECT_FALSE(widgets.txtFolder().isEnabled());
        EXPECT_EQ(widgets.cursor().shape(), Qt::BusyCursor);
    });
    Click(widgets.cmdFind());
    EXPECT_TRUE(seen);
    EXPECT_EQ(widgets.cmdFind().text(), "Find");
    EXPECT_TRUE(widgets.cmdRemove().isEnabled());
    EXPECT_EQ(widgets.cursor().shape(), Qt::ArrowCursor);
}

// A folder typed into the chooser and accepted becomes the root.
TEST_F(QtMainWindowTest, AClickOpensTheChooserWhoseFolderBecomesTheRoot) {
    fs::create_directories(tree.Path() / "chosen");
    const std::string chosen = tree.Text("chosen");
    QString title;
    closer.onDialog = [&](QDialog& dialog) {
        title = dialog.windowTitle();
        auto* list = dialog.findChild<QAbstractItemView*>("listView");
        auto* nameBox = dialog.findChild<QLineEdit*>("fileNameEdit");
        ASSERT_TRUE(list != nullptr && nameBox != nullptr);
        list->clearSelection(); // a folder selected in the list would win over the typed one
        nameBox->setText(QFile::decodeName(chosen.c_str()));
        dialog.accept();
    };
    Click(window.Window().txtFolder());
    EXPECT_EQ(title, "Select Folder");
    EXPECT_EQ(window.Form().State().RootFolder, chosen);
    EXPECT_EQ(window.Window().txtFolder().text(), QFile::decodeName(chosen.c_str()));
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

} // namespace
