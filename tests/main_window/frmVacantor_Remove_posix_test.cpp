// Remove on the root folder "/": a chroot into a small tree in a child process stands in
// for the whole file system.
#include "main_window/MainWindowTest.h"

#include "support/ChildProcess_posix.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

class FormRemoveOnTheFileSystemRoot : public MainWindowTest {};

// The root "/" is held without its separator, as "": a failed row must still read "/e".
TEST_F(FormRemoveOnTheFileSystemRoot, FailedRowsKeepTheirLeadingSeparator) {
    WriteFile(treeFolder.Path() / "keep.txt", "x");
    fs::create_directories(treeFolder.Path() / "e");
    removal.outcomes["e"] = {RemovalOutcome::GainedFile, "a file appeared in it"};

    int status = InChild([&] {
        if (::chroot(treeFolder.Text().c_str()) != 0 || ::chdir("/") != 0) {
            return ChildUnavailable;
        }
        form.Form_Load();
        form.SetRootFolder("/");
        form.cmdFind_Click();
        if (window.list.RowCount() != 1) {
            return 2;
        }
        window.list.SetSelected(0, true);
        form.cmdRemove_Click();
        return window.messages.back().text ==
                       "1 folders are not removed:\r\n/e: a file appeared in it"
                   ? 0
                   : 1;
    });
    if (status == ChildUnavailable) {
        GTEST_SKIP() << "cannot change the root folder here";
    }
    EXPECT_EQ(status, 0);
}

} // namespace
