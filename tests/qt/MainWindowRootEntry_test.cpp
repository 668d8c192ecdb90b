#include "MainWindowFixture.h"

#include <QAbstractItemView>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>

namespace {

using RootEntryTest = QtMainWindowTest;

TEST_F(RootEntryTest, DropOfAFolderOrAFileSetsTheRoot) {
    MakeTree(0);
    auto window = Open();
    const std::string folder = tree.Text("full");
    QMimeData folderDrop;
    folderDrop.setUrls({QUrl::fromLocalFile(QFile::decodeName(folder.c_str()))});
    DropOn(*window, folderDrop);
    EXPECT_EQ(window->Form().State().RootFolder, folder);
    EXPECT_EQ(window->Window().txtFolder().text(), QFile::decodeName(folder.c_str()));

    QMimeData fileDrop;
    fileDrop.setUrls({QUrl::fromLocalFile(QFile::decodeName(tree.Text("keep.txt").c_str()))});
    DropOn(*window, fileDrop);
    EXPECT_EQ(window->Form().State().RootFolder, tree.Text());
}

TEST_F(RootEntryTest, DroppedTextLeavesTheRootAsItWas) {
    auto window = Open();
    window->Form().SetRootFolder(tree.Text());
    QMimeData text;
    text.setText(QFile::decodeName(tree.Text("full").c_str()));
    DropOn(*window, text);
    EXPECT_EQ(window->Form().State().RootFolder, tree.Text());
    EXPECT_EQ(window->Window().txtFolder().text(), QFile::decodeName(tree.Text().c_str()));
}

// The chooser as the user leaves it: cancelled, or with a folder typed in and accepted.
void TypeFolder(QFileDialog& dialog, const std::string& folder) {
    auto* list = dialog.findChild<QAbstractItemView*>("listView");
    auto* nameBox = dialog.findChild<QLineEdit*>("fileNameEdit");
    ASSERT_TRUE(list != nullptr && nameBox != nullptr);
    list->clearSelection();
    nameBox->setText(QFile::decodeName(folder.c_str()));
}

TEST_F(RootEntryTest, AClickOpensTheChooserWhoseFolderBecomesTheRoot) {
    MakeTree(0);
    auto window = Open();
    window->Form().SetRootFolder(tree.Text());
    const std::string chosen = tree.Text("full");
    QString title;
    closer.onDialog = [&](QDialog& dialog) {
        title = dialog.windowTitle();
        auto* chooser = qobject_cast<QFileDialog*>(&dialog);
        ASSERT_NE(chooser, nullptr);
        TypeFolder(*chooser, chosen);
        dialog.accept();
    };
    Click(window->Window().txtFolder());
    EXPECT_EQ(title, "Select Folder");
    EXPECT_EQ(window->Form().State().RootFolder, chosen);
    EXPECT_EQ(window->Window().txtFolder().text(), QFile::decodeName(chosen.c_str()));
    EXPECT_TRUE(closer.texts.empty());
}

TEST_F(RootEntryTest, ACancelledChooserLeavesTheRootAsItWas) {
    MakeTree(0);
    auto window = Open();
    window->Form().SetRootFolder(tree.Text());
    bool opened = false;
    closer.onDialog = [&](QDialog& dialog) {
        opened = true;
        dialog.reject();
    };
    Click(window->Window().txtFolder());
    EXPECT_TRUE(opened);
    EXPECT_EQ(window->Form().State().RootFolder, tree.Text());
    EXPECT_EQ(window->Window().txtFolder().text(), QFile::decodeName(tree.Text().c_str()));
}

TEST_F(RootEntryTest, TypedTextIsNotTakenAsTheRoot) {
    MakeTree(2);
    auto window = Open();
    window->Form().SetRootFolder(tree.Text());
    QLineEdit& edit = window->Window().txtFolder();
    edit.clear();
    QTest::keyClicks(&edit, "/nowhere");
    Click(window->Window().cmdFind());
    EXPECT_EQ(closer.texts, (std::vector<QString>{"Found 2 Folders."}));
    EXPECT_EQ(window->Form().State().RootFolder, tree.Text());
}

} // namespace
