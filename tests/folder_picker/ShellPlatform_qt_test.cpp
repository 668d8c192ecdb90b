// The Qt folder chooser, opened through BrowseForFolder and driven by a timer that runs in
// the chooser's own modal loop.
#include "folder_picker/FileDialog.h"
#include "platform/qt/QtWindowHandles.h"
#include "support/TempFolder.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

namespace {

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "qt_folder_picker_test";
    static char* argv[] = {name, nullptr};
    static QApplication* application = new QApplication(argc, argv);
    (void)application;
}

template <typename Dialog>
Dialog* VisibleDialog() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<Dialog*>(widget); dialog && dialog->isVisible()) {
            return dialog;
        }
    }
    return nullptr;
}

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

struct Outcome {
    bool sawDialog = false;
    std::string shownFolder; // the folder the chooser showed when it opened
    QWidget* parent = nullptr;
    std::string result;
};

// Opens the chooser on `startFolder` and hands it to `drive` as soon as it shows. Whatever
// the driver leaves open (the chooser, or a warning it raised) is cancelled after a while,
// so that no test can hang.
Outcome BrowseDrivenBy(const std::string& startFolder,
                       const std::function<void(QFileDialog&)>& drive, WindowHandle owner = 0) {
    EnsureApplication();
    Outcome outcome;
    QDeadlineTimer deadline(10000);
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (deadline.hasExpired()) {
            if (QDialog* left = VisibleDialog<QDialog>()) {
                left->reject();
            }
            return;
        }
        QFileDialog* dialog = outcome.sawDialog ? nullptr : VisibleDialog<QFileDialog>();
        if (dialog == nullptr) {
            return;
        }
        outcome.sawDialog = true;
        outcome.shownFolder = PathText(dialog->directory().absolutePath().toStdString());
        outcome.parent = dialog->parentWidget();
        drive(*dialog);
    });
    timer.start();
    auto shell = CreateSystemShellPlatform();
    outcome.result = FileDialog::BrowseForFolder(*shell, "Select Folder", owner, 0,
                                                 BifReturnOnlyFsDirs, startFolder);
    return outcome;
}

// Without an owner window the chooser belongs to the desktop.
TEST(QtBrowseForFolder, OpensOverItsOwnerOnTheStartFolderAndReturnsWhatIsAccepted) {
    EnsureApplication();
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
        Outcome outcome =
            BrowseDrivenBy(start, c.drive, c.owner ? QtWindowHandles::HandleOf(c.owner) : 0);
        EXPECT_TRUE(outcome.sawDialog);
        EXPECT_EQ(outcome.shownFolder, temp.Text());
        EXPECT_EQ(outcome.parent, c.owner);
        EXPECT_EQ(outcome.result, c.expected);
    }
}

} // namespace
