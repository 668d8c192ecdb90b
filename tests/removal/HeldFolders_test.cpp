// The platform's held-folder primitives refuse what they must (a link is never entered,
// removed as a folder or deleted as a file) and say why, in the terms the fake answers in
// (RemovalModel_test runs the same random trees over both).
#include "platform/FileSystem.h"
#include "removal/RemovalTestTree.h"
#include "scan/TreeMaking.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <map>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace {

using enum FolderError;

using Operation = FolderStatus (HeldFolders::*)(const std::string& name);
constexpr Operation Descend = &HeldFolders::Descend;
constexpr Operation RemoveEmptyFolder = &HeldFolders::RemoveEmptyFolder;
constexpr Operation DeleteRegularFile = &HeldFolders::DeleteRegularFile;

struct Answer {
    Operation operation;
    const char* name;
    FolderError expected;
    bool everywhere = true; // false: where Windows answers in its own terms
};

// In the tree below: "dir" holds a file and a folder, "link" is a link to it.
// clang-format off
const Answer Answers[] = {
    {Descend, "dir", None}, {Descend, "link", Link}, {Descend, "file", NotFolder},
    {Descend, "missing", Gone},
    {RemoveEmptyFolder, "dir", NotEmpty}, {RemoveEmptyFolder, "link", Link},
    {RemoveEmptyFolder, "file", NotFolder}, {RemoveEmptyFolder, "missing", Gone},
    {RemoveEmptyFolder, "empty", None},
    {DeleteRegularFile, "link", NotFile, false}, {DeleteRegularFile, "dir", NotFile, false},
    {DeleteRegularFile, "fifo", NotFile, false}, {DeleteRegularFile, "missing", Gone},
    {DeleteRegularFile, "file", None},
};
// clang-format on

const std::map<std::string, EntryKind> Entries = {
    {"dir", EntryKind::Folder}, {"empty", EntryKind::Folder}, {"file", EntryKind::File},
    {"link", EntryKind::Link},  {"fifo", EntryKind::Other},
};

// Asks each question of a fresh tree's primitives; what stands at "dir" must be untouched
// afterwards. `untyped`: as on a file system whose entries carry no type.
void ExpectPlatformAnswers(bool untyped) {
    TempFolder temp;
    std::shared_ptr<const HeldRoot> root;
#ifdef _WIN32
    const bool windows = true;
#else
    const bool windows = false;
#endif
    auto hold = [&]() -> std::unique_ptr<HeldFolders> {
        root = nullptr; // Windows deletes no held folder
        fs::remove_all(temp.Path() / "root");
        const fs::path top = temp.Path() / "root";
        MakeTree(top, {"dir/f", "dir/sub/", "empty/", "file", "fifo"});
        if (!MakeFolderLink(top / "link", top / "dir")) {
            return nullptr;
        }
#ifndef _WIN32
        fs::remove(top / "fifo");
        ::mkfifo((top / "fifo").c_str(), 0600);
#endif
        root = CreateSystemFileSystem()->GetFolder(PathText(top))->HoldRoot();
        FolderStatus failure;
#ifndef _WIN32
        PosixHeldFoldersOptions options;
        options.ignoreEntryTypes = untyped;
        return HoldPosixFolders(*root, options, failure);
#else
        static_cast<void>(untyped);
        return root->HoldFolders(failure);
#endif
    };
    std::unique_ptr<HeldFolders> folders = hold();
    if (!folders) {
        GTEST_SKIP() << "this platform cannot make a folder link";
    }
    std::map<std::string, EntryKind> listed;
    EXPECT_TRUE(folders
                    ->ForEachEntry([&](std::string_view name, EntryKind kind) {
                        listed[std::string(name)] = kind;
                        return true;
                    })
                    .Ok());
    std::map<std::string, EntryKind> expected = Entries;
    if (windows) {
        expected["fifo"] = EntryKind::File; // a plain file there
    }
    EXPECT_EQ(listed, expected);
    for (const Answer& answer : Answers) {
        if (windows && !answer.everywhere) {
            continue;
        }
        SCOPED_TRACE(answer.name);
        folders = nullptr; // first let go of the tree that hold() remakes
        folders = hold();
        EXPECT_EQ(((*folders).*answer.operation)(answer.name).error, answer.expected);
        EXPECT_EQ(folders->Depth() == 1, answer.operation == Descend && answer.expected == None);
    }
    EXPECT_TRUE(fs::exists(temp.Path() / "root" / "dir" / "f"));
}

TEST(HeldFolders, ThePlatformAnswers) {
    ExpectPlatformAnswers(false);
#ifndef _WIN32
    SCOPED_TRACE("entries without a type");
    ExpectPlatformAnswers(true);
#endif
}

} // namespace
