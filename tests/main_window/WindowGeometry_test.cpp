// The window's layout, its kept place and its start-up text, without a window.
#include "main_window/MainWindowLayout.h"
#include "main_window/StartupText.h"
#include "main_window/WindowPlacement.h"
#include "platform/ProfileFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(WindowLayout, TwipsRoundToTheNearestPixelAtTheDpi) {
    // Twips, dots per inch, pixels.
    const int cases[][3] = {{1440, 96, 96}, {255, 96, 17},    {120, 96, 8},  {375, 120, 31},
                            {270, 144, 27}, {1440, 144, 144}, {15, 96, 1},   {7, 96, 0},
                            {0, 96, 0},     {9645, 120, 804}, {-15, 96, -1}, {9645, 480, 3215}};
    for (const auto& c : cases) {
        EXPECT_EQ(PixelsFromTwips(c[0], c[1]), c[2]) << c[0] << " twips at " << c[1];
    }
}

// At the least size every control sits at its twips place; a larger client area goes to the
// list (both ways) and the root box (in width) alone; a smaller one is laid out as the least.
TEST(WindowLayout, TheListAndTheRootBoxTakeTheExtraRoom) {
    for (int dpi : {96, 144}) {
        SCOPED_TRACE(dpi);
        auto at = [dpi](int left, int top, int width, int height) {
            return PixelRect{PixelsFromTwips(left, dpi), PixelsFromTwips(top, dpi),
                             PixelsFromTwips(width, dpi), PixelsFromTwips(height, dpi)};
        };
        const PixelSize least = MinimumClientSize(dpi, dpi);
        EXPECT_EQ(least, (PixelSize{PixelsFromTwips(9645, dpi), PixelsFromTwips(4950, dpi)}));
        for (PixelSize client : {least, PixelSize{least.width - 40, 10}, PixelSize{0, 0},
                                 PixelSize{least.width + 300, least.height + 200}}) {
            const bool grown = client.width > least.width;
            const MainWindowLayout layout = LayOutMainWindow(client, dpi, dpi);
            PixelRect box = at(1200, 240, 8175, 270);
            PixelRect list = at(120, 1080, 9495, 3735);
            if (grown) {
                box.width += 300;
                list.width += 300;
                list.height += 200;
            }
            EXPECT_EQ(layout.lblFolder, at(120, 240, 1095, 255));
            EXPECT_EQ(layout.txtFolder, box);
            EXPECT_EQ(layout.cmdFind, at(6960, 600, 1095, 375));
            EXPECT_EQ(layout.ListView1, list);
            EXPECT_EQ(layout.cmdRemove, at(8280, 600, 1095, 375));
            EXPECT_EQ(layout.chkReadOnly, at(240, 720, 3375, 255));
            EXPECT_EQ(layout.chkIgnoreJunk, at(3720, 720, 3120, 255));
        }
    }
}

// Only a complete place of whole numbers and positive sizes is taken; the maximized flag
// alone may be missing or odd.
TEST(WindowPlacementKeys, ReadBackWhatWasWrittenAndRefuseGarbage) {
    TempFolder folder;
    const std::string file = folder.Text("Scryve.ini");
    std::unique_ptr<ProfileFile> profile = CreateSystemProfileFile();
    EXPECT_EQ(ReadWindowPlacement(*profile, "Vacantor", file), std::nullopt);
    for (const WindowPlacement& placement :
         {WindowPlacement{-1200, -8, 700, 400, true}, WindowPlacement{30, 40, 1, 1, false}}) {
        WriteWindowPlacement(*profile, "Vacantor", placement, file);
        EXPECT_EQ(ReadWindowPlacement(*profile, "Vacantor", file), placement);
    }

    struct Case {
        const char* key;
        const char* value;
        bool taken;
    };
    const Case cases[] = {
        {"WindowLeft", "12", true},          {"WindowLeft", "", false},
        {"WindowLeft", "1 2", false},        {"WindowTop", "0x10", false},
        {"WindowTop", "99999999999", false}, {"WindowTop", "2000000", false},
        {"WindowWidth", "0", false},         {"WindowHeight", "-5", false},
        {"WindowHeight", "5.5", false},      {"WindowMaximized", "yes", true},
    };
    for (const Case& c : cases) {
        WriteWindowPlacement(*profile, "Vacantor", {30, 40, 700, 400, false}, file);
        profile->WritePrivateProfileString("Vacantor", c.key, c.value, file);
        std::optional<WindowPlacement> read = ReadWindowPlacement(*profile, "Vacantor", file);
        EXPECT_EQ(read.has_value(), c.taken) << c.key << "=" << c.value;
        if (read) {
            EXPECT_FALSE(read->maximized);
        }
    }
}

// The title bar must show on a screen, by at least 40 pixels, to be grabbed.
TEST(WindowPlacementKeys, AKeptPlaceMustBeReachableOnAScreen) {
    const std::vector<PixelRect> screens{{0, 0, 1920, 1040}, {-1280, 100, 1280, 1024}};
    struct Case {
        WindowPlacement placement;
        bool reachable;
    };
    const Case cases[] = {
        {{100, 100, 700, 400}, true},    {{-1000, 500, 700, 400}, true},
        {{1880, 10, 700, 400}, true},    {{1881, 10, 700, 400}, false},
        {{-1000, 20, 700, 400}, false},  {{300, 1039, 700, 400}, true},
        {{300, 1040, 700, 400}, false},  {{300, -20, 700, 400}, false},
        {{300, -9000, 700, 400}, false}, {{-1320, 300, 700, 400}, true},
        {{5000, 5000, 700, 400}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReachableOnScreens(c.placement, screens), c.reachable)
            << c.placement.left << "," << c.placement.top;
    }
    EXPECT_FALSE(ReachableOnScreens({0, 0, 700, 400}, {}));
}

TEST(StartupText, HelpAndVersionInsteadOfTheWindow) {
    using Args = std::vector<std::string>;
    EXPECT_EQ(StartupText({}), std::nullopt);
    EXPECT_EQ(StartupText(Args{"-platform", "offscreen"}), std::nullopt);
    EXPECT_EQ(StartupText(Args{"--versions"}), std::nullopt);
    for (const Args& args : {Args{"--help"}, Args{"-h"}, Args{"-platform", "xcb", "--help"}}) {
        std::optional<std::string> help = StartupText(args);
        ASSERT_TRUE(help) << args.back();
        EXPECT_EQ(help->rfind("Usage: vacantor ", 0), 0u);
    }
    std::optional<std::string> version = StartupText(Args{"--version"});
    ASSERT_TRUE(version);
    EXPECT_EQ(version->rfind("vacantor ", 0), 0u);
    EXPECT_EQ(version->back(), '\n');
}

} // namespace
