// Protected folders end to end, with the programs that need them: a git repository and a
// Maildir keep their empty folders through `remove`, and --no-protect lists them again.

#include "cli/CliRun.h"
#include "scan/TreeMaking.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

// After `git gc` the refs are packed and .git/refs holds folders only: without protection
// `remove` takes it, and git no longer finds the repository.
TEST(CliProtect, ARepositoryAndAMaildirKeepWhatTheirProgramsNeed) {
    TempFolder temp;
    const fs::path root = temp.Path();
    const std::string repo = Quoted(temp.Text("repo"));
    // std::system's status is 0 only when the shell exited 0 (127: a program is missing).
    ASSERT_EQ(std::system(("git init -q " + repo + " && git -C " + repo +
                           " -c user.name=t -c user.email=t@example.org commit -q --allow-empty"
                           " -m m && git -C " +
                           repo + " gc -q")
                              .c_str()),
              0);
    ASSERT_TRUE(fs::is_empty(root / "repo/.git/refs/heads"));
    MakeTree(root, {"mail/Maildir/cur/", "mail/Maildir/new/", "mail/Maildir/tmp/", "empty/a/"});

    CliRun listed = RunCli("find --no-protect " + Quoted(temp.Text()));
    EXPECT_NE(listed.out.find("\trepo/.git/refs\n"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("\tmail\n"), std::string::npos) << listed.out;

    CliRun found = RunCli("find --verbose " + Quoted(temp.Text()));
    EXPECT_EQ(found.out, "0\tempty\n");
    EXPECT_NE(found.err.find("vacantor-cli: protected repo/.git\n"), std::string::npos)
        << found.err;
    EXPECT_NE(found.err.find("vacantor-cli: protected mail/Maildir/cur\n"), std::string::npos)
        << found.err;

    CliRun removed = RunCli("remove " + Quoted(temp.Text()));
    EXPECT_EQ(removed.status, 0) << removed.err;
    EXPECT_EQ(removed.out, "empty\n");
    EXPECT_TRUE(fs::is_directory(root / "repo/.git/refs/heads"));
    for (const char* folder : {"cur", "new", "tmp"}) {
        EXPECT_TRUE(fs::is_directory(root / "mail/Maildir" / folder)) << folder;
    }
    EXPECT_EQ(std::system(("git -C " + repo + " status --short >/dev/null").c_str()), 0);
}

} // namespace
