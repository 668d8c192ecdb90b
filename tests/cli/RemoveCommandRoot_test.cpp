// vacantor-cli remove in the test's own process, with a root folder that is replaced
// between the scan and the removal.

#include "cli/RemoveCommand.h"
#include "cli/WrittenFile.h"
#include "platform/FileSystem.h"
#include "platform/FolderRemoval.h"
#include "scan/TreeMaking.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

namespace fs = std::filesystem;

namespace {

// The real removal, with the root replaced just before the run opens it.
class ReplacingRootFirst : public FolderRemoval {
  public:
    ReplacingRootFirst(std::function<void()> replace) : replace_(std::move(replace)) {}

    std::unique_ptr<RemovalRun> OpenRun(const std::string& rootFolder, RemovalResult& failure,
                                        const ListingRules* rules = nullptr) override {
        replace_();
        return real_->OpenRun(rootFolder, failure, rules);
    }

  private:
    std::function<void()> replace_;
    std::unique_ptr<FolderRemoval> real_ = CreateSystemFolderRemoval();
};

TEST(CliRemoveRoot, AReplacedRootIsReportedOnceAndNothingIsRemoved) {
    TempFolder temp;
    const fs::path root = temp.Path() / "root";
    MakeTree(root, {"f", "a/", "b/", "c/"});
    MakeTree(temp.Path() / "other", {"a/", "b/", "c/"});
    ReplacingRootFirst removal([&] {
        fs::rename(root, temp.Path() / "root.old");
        fs::create_directory_symlink(temp.Path() / "other", root);
    });
    std::unique_ptr<FileSystem> fileSystem = CreateSystemFileSystem();
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();

    const std::string log = PathText(temp.Path() / "log");
    int status = RunRemoveCommand({"--log", log, PathText(root)}, *fileSystem, removal,
                                  {out, false}, {err, false});

    EXPECT_EQ(status, 1);
    EXPECT_EQ(Written(out), "0 folders are removed.\n");
    EXPECT_EQ(Written(err), "vacantor-cli: nothing removed below " + PathText(root) +
                                ": it is no longer the folder that was scanned\n");
    // Every folder is in the log, as left whole on purpose.
    std::string logged = ReadFile(temp.Path() / "log");
    for (const char* folder : {"a", "b", "c"}) {
        EXPECT_NE(logged.find("skipped\t" + std::string(folder) +
                              "\troot folder: it is no longer the folder that was scanned\n"),
                  std::string::npos)
            << logged;
    }
    EXPECT_NE(logged.find("summary\t0 removed, 3 skipped, 0 failed\t"), std::string::npos);
    for (const char* folder : {"a", "b", "c"}) {
        EXPECT_TRUE(fs::exists(temp.Path() / "other" / folder)) << folder;
        EXPECT_TRUE(fs::exists(temp.Path() / "root.old" / folder)) << folder;
    }
}

} // namespace
