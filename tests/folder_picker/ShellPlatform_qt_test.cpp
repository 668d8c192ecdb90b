// The Qt folder chooser, opened through BrowseForFolder and driven once it shows.
#include "folder_picker/FileDialog.h"
#include "platform/qt/QtWindowHandles.h"
#include "qt/ModalCloser.h"
#include "support/TempFolder.h"

#include <QAbstractItemView>
#include <QFileDialog>
#include <QLineEdit>

#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>

namespace {

// Types a path into the chooser's name box, as a user would. A folder selected in the
// list would win over the typed path, so the selection is cleared first.
void TypePath(QFileDialog& dialog, const std::string& path) {
    auto* nameBox = dialog.findChild<QLineEdit*>("fileNameEdit");
    auto* list = dialog.findChild<QAbstractItemView*>("listView");
    ASSERT_TRUE(nameBox != nullptr && list != nullptr);
    list->clearSelection();
    nameBox->setText(QString::fromStdString(path));
}

// QFileDialog's accept() is protected; QDialog's is the same slot.
void Accept(QFileDialog& dialog) {
    static_cast<QDialog&>(dialog).accept();
}

// Without an owner window the chooser belongs to the desktop.
TEST(QtBrowseForFolder, OpensOverItsOwnerOnTheStartFolderAndReturnsWhatIsAccepted) {
    EnsureQtApplication();
    TempFolder temp;
    std::filesystem::create_directories(temp.Path() / "start");
    std::filesystem::create_directories(temp.Path() / "other" / "deeper");
    const std::string start = temp.Text("start");
    const std::string deeper = temp.Text("other/deeper");
    QWidget owner;

    struct Case {
        const char* name;
        QWidget* owner;
        std::function<void(QFileDialog&)> drive;
        std::string expected;
    };
    const Case cases[] = {
        {"cancel", nullptr, [](QFileDialog& dialog) { dialog.reject(); }, ""},
        {"accept as opened", &owner, [](QFileDialog& dialog) { Accept(dialog); }, start},
        {"accept another folder", nullptr,
         [&](QFileDialog& dialog) {
             TypePath(dialog, deeper);
             Accept(dialog);
         },
         deeper},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string shownFolder; // the folder the chooser showed when it opened
        QWidget* parent = &owner;
        ModalCloser closer;
        closer.onDialog = [&](QDialog& dialog) {
            auto& chooser = dynamic_cast<QFileDialog&>(dialog);
            shownFolder = PathText(chooser.directory().absolutePath().toStdString());
            parent = chooser.parentWidget();
            c.drive(chooser);
        };
        auto shell = CreateSystemShellPlatform();
        WindowHandle ownerWindow = c.owner ? QtWindowHandles::HandleOf(c.owner) : 0;
        EXPECT_EQ(FileDialog::BrowseForFolder(*shell, "Select Folder", ownerWindow, 0,
                                              BifReturnOnlyFsDirs, start),
                  c.expected);
        EXPECT_EQ(shownFolder, temp.Text());
        EXPECT_EQ(parent, c.owner);
    }
}

} // namespace
