#include "platform/PathText.h"

#include <gtest/gtest.h>

namespace {

struct ParentCase {
    const char* path;
    const char* parent;
};

TEST(PathText, ParentFolderNameOnWindows) {
    const ParentCase cases[] = {
        {"C:\\a\\b", "C:\\a"},
        {"C:\\a\\b\\", "C:\\a"},
        {"C:\\a", "C:\\"},
        {"C:\\", ""},
        {"C:", ""},
        {"C:/a/b", "C:/a"},
        {"a", ""},
        {"a\\b", "a"},
        {"\\\\srv\\share\\x", "\\\\srv\\share\\"},
        {"\\\\srv\\share", ""},
        {"C:\\a\\\\b", "C:\\a"},
    };
    for (const ParentCase& test : cases) {
        EXPECT_EQ(ParentFolderName(WindowsPathSyntax(), test.path), test.parent) << test.path;
    }
}

TEST(PathText, ParentFolderNameOnLinux) {
    const ParentCase cases[] = {
        {"/a/b", "/a"}, {"/a/b/", "/a"}, {"/a", "/"},    {"/", ""},
        {"a", ""},      {"a/b", "a"},    {"/a\\b", "/"}, {"//a//b", "//a"},
    };
    for (const ParentCase& test : cases) {
        EXPECT_EQ(ParentFolderName(PosixPathSyntax(), test.path), test.parent) << test.path;
    }
}

TEST(PathText, BuildPathAddsOneSeparatorOnlyWhereNeeded) {
    EXPECT_EQ(BuildPath(WindowsPathSyntax(), "C:\\a", "b"), "C:\\a\\b");
    EXPECT_EQ(BuildPath(WindowsPathSyntax(), "C:\\", "b"), "C:\\b");
    EXPECT_EQ(BuildPath(WindowsPathSyntax(), "C:/a/", "b"), "C:/a/b");
    EXPECT_EQ(BuildPath(WindowsPathSyntax(), "", "b"), "b");
    EXPECT_EQ(BuildPath(PosixPathSyntax(), "/a", "b"), "/a/b");
    EXPECT_EQ(BuildPath(PosixPathSyntax(), "/", "b"), "/b");
    EXPECT_EQ(BuildPath(PosixPathSyntax(), "/a\\", "b"), "/a\\/b");
}

} // namespace
