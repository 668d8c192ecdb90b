// What an entry of the trash is called and what its record says, without a file system.
#include "removal/TrashRecord.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TrashRecord, PathsAreEncodedAsTheRecordsLineFormatNeeds) {
    const struct {
        std::string path;
        std::string encoded;
    } cases[] = {
        {"/home/me/New folder", "/home/me/New%20folder"},
        {"/a/100%/b", "/a/100%25/b"},
        {"/x/\xff\xfe", "/x/%FF%FE"},
        {"/x/caf\xc3\xa9", "/x/caf%C3%A9"},
        {"/x/a\nb=c[d]#e?f&g+h", "/x/a%0Ab%3Dc%5Bd%5D%23e%3Ff%26g%2Bh"},
        {"rel/Az09-_.!~*'()", "rel/Az09-_.!~*'()"},
    };
    for (const auto& [path, encoded] : cases) {
        EXPECT_EQ(EncodeTrashPath(path), encoded) << path;
    }
    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 0;
    local.tm_mday = 5;
    local.tm_hour = 7;
    local.tm_min = 8;
    local.tm_sec = 9;
    EXPECT_EQ(TrashInfoText("/a b", DeletionDateText(local)),
              "[Trash Info]\nPath=/a%20b\nDeletionDate=2026-01-05T07:08:09\n");
}

// Names that collide get a number; a long name is cut so that its record still fits, never
// inside a UTF-8 sequence.
TEST(TrashRecord, EntryNamesAreUniqueAndFitWithTheirRecord) {
    EXPECT_EQ(TrashEntryName("a", 0), "a");
    EXPECT_EQ(TrashEntryName("a", 1), "a.2");
    EXPECT_EQ(TrashEntryName("a.2", 9), "a.2.10");
    const std::string longName = std::string(243, 'x') + "\xc3\xa9" + "yyyyyyyy";
    EXPECT_EQ(TrashEntryName(longName, 0), std::string(243, 'x') + "\xc3\xa9");
    EXPECT_EQ(TrashEntryName(longName, 1), std::string(243, 'x') + ".2");
    EXPECT_EQ(TrashEntryName("x" + longName, 0), std::string(244, 'x'));
    EXPECT_EQ(TrashEntryName(std::string(245, 'x'), 0), std::string(245, 'x'));
    EXPECT_EQ(TrashEntryName(std::string(246, 'x'), 0), std::string(245, 'x'));
}

TEST(TrashRecord, WhichTrashAndWhatItRecords) {
    EXPECT_EQ(HomeTrashFolder("/data", "/home/me"), "/data/Trash");
    EXPECT_EQ(HomeTrashFolder("relative", "/home/me/"), "/home/me/.local/share/Trash");
    EXPECT_EQ(HomeTrashFolder("", "/home/me"), "/home/me/.local/share/Trash");
    EXPECT_EQ(HomeTrashFolder(nullptr, nullptr), "");
    EXPECT_EQ(HomeTrashFolder(nullptr, "relative"), "");

    EXPECT_EQ(RecordedPath(TrashKind::Home, "/mnt/usb/a", "/mnt/usb"), "/mnt/usb/a");
    EXPECT_EQ(RecordedPath(TrashKind::UserTop, "/mnt/usb/a b", "/mnt/usb"), "a b");
    EXPECT_EQ(RecordedPath(TrashKind::SharedTop, "/srv/a", "/"), "srv/a");
    EXPECT_EQ(RecordedPath(TrashKind::UserTop, "/mnt/usb2/a", "/mnt/usb"), std::nullopt);
    EXPECT_EQ(RecordedPath(TrashKind::UserTop, "/mnt/usb", "/mnt/usb"), std::nullopt);

    TrashFacts shared{"/m/.Trash/0", "/m", true, false, false, false, 7};
    EXPECT_NE(TrashRefusal(TrashKind::SharedTop, shared, 7, false), "");
    shared.sharedSticky = true;
    EXPECT_EQ(TrashRefusal(TrashKind::SharedTop, shared, 7, false), "");
    shared.userFolderFound = true;
    EXPECT_NE(TrashRefusal(TrashKind::SharedTop, shared, 7, false), ""); // someone else's
    TrashFacts user{"/m/.Trash-0", "/m", true, false, false, false, 7};
    EXPECT_EQ(TrashRefusal(TrashKind::UserTop, user, 7, false), "");
    EXPECT_NE(TrashRefusal(TrashKind::UserTop, user, 7, true), ""); // made, but not theirs
    user.userFolderOwned = true;
    EXPECT_EQ(TrashRefusal(TrashKind::UserTop, user, 7, true), "");
    EXPECT_NE(TrashRefusal(TrashKind::UserTop, user, 8, true), ""); // another file system
}

} // namespace
