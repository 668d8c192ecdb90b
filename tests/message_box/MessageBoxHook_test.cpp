#include "MessageBoxTestFixture.h"

#include <gmock/gmock.h>

using testing::ElementsAre;
using testing::ElementsAreArray;
using testing::IsEmpty;

namespace {

using MessageBoxHookTest = MessageBoxTest;

TEST_F(MessageBoxHookTest, CustomIconSendsTheSlotsHandleToTheIconStatic) {
    struct Case {
        std::int32_t style;
        std::optional<Picture> slot2;
        std::vector<std::string> sent;
    };
    const Case cases[] = {
        {36, std::nullopt, {"SendMessage 1282 368 0 0"}},
        {36, Picture{0x1234}, {"SendMessage 1282 368 4660 0"}},
        {0, Picture{0x1234}, {}},
        {80, Picture{0x1234}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        fake = FakeMessageBoxPlatform{};
        fake.SetActiveForm(Form);
        AddBox();
        MessageBox::BoxWindow = 0;
        MessageBox::BoxIcons = {};
        MessageBox::BoxIcons[2] = c.slot2;

        MessageBox::ShowMessageBox("text", "title", c.style, MessageBox::OptionCustomIcon);

        EXPECT_THAT(fake.CallsNamed("SendMessage"), ElementsAreArray(c.sent));
        EXPECT_EQ(MessageBox::BoxWindow, Box);
    }
    // The empty slot that was used now holds an empty picture.
    MessageBox::BoxIcons = {};
    MessageBox::ShowMessageBox("text", "title", 36, MessageBox::OptionCustomIcon);
    ASSERT_TRUE(MessageBox::BoxIcons[2].has_value());
    EXPECT_EQ(MessageBox::BoxIcons[2]->handle, 0u);
    EXPECT_FALSE(MessageBox::BoxIcons[1].has_value());
}

TEST_F(MessageBoxHookTest, CaptionsOnlyWhenTheOptionsAreExactlyTwo) {
    struct Case {
        std::int32_t options;
        std::vector<std::string> relabelled;
    };
    const Case cases[] = {
        {2, {"SetWindowText 1283 \"Sure\""}},
        {3, {}},
        {10, {}},
        {6, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        fake = FakeMessageBoxPlatform{};
        fake.SetActiveForm(Form);
        AddBox();
        MessageBox::ButtonCaptions[6] = "Sure";

        MessageBox::ShowMessageBox("text", "title", 4, c.options);

        EXPECT_THAT(fake.CallsNamed("SetWindowText"), ElementsAreArray(c.relabelled));
    }
}

// Regression: ids beyond the nine captions (Try Again 10, Continue 11) read past the table.
TEST_F(MessageBoxHookTest, ButtonsOutsideTheCaptionIdsKeepTheirLabels) {
    fake.AddWindow(Box, 0, "#32770");
    for (std::int32_t id : {0, 2, 10, 11, 9, -1}) {
        fake.AddWindow(Box + 0x10 + static_cast<WindowHandle>(id + 1), Box, "Button", 0, id);
    }
    fake.boxToActivate = Box;
    for (std::size_t id = 0; id < MessageBox::ButtonCaptions.size(); ++id) {
        MessageBox::ButtonCaptions[id] = "Label " + std::to_string(id);
    }

    MessageBox::ShowMessageBox("text", "title", 6, 2);

    EXPECT_THAT(fake.CallsNamed("SetWindowText"),
                ElementsAre("SetWindowText 1299 \"Label 2\"", "SetWindowText 1306 \"Label 9\""));
}

TEST(CenterOverOwnerTest, CentresAndKeepsInsideTheWorkArea) {
    struct Case {
        const char* name;
        WindowRect form;
        WindowRect box;
        WindowRect work;
        MessageBox::WindowPoint expected;
    };
    const WindowRect screen{0, 0, 1024, 768};
    const Case cases[] = {
        {"centred", {100, 100, 500, 400}, {0, 0, 200, 100}, screen, {200, 200}},
        {"odd negative difference truncates toward zero",
         {100, 100, 400, 400},
         {7, 7, 312, 312},
         screen,
         {98, 98}},
        {"left of the work area", {-300, 100, 100, 400}, {0, 0, 200, 100}, screen, {0, 200}},
        {"past the right edge",
         {900, 100, 1300, 400},
         {0, 0, 200, 100},
         {100, 0, 1124, 768},
         {924, 200}},
        {"wider than the work area", {100, 100, 500, 400}, {0, 0, 1100, 100}, screen, {-76, 200}},
        {"past the bottom", {100, 650, 500, 850}, {0, 0, 200, 100}, screen, {200, 668}},
        {"above the work area",
         {100, -300, 500, 0},
         {0, 0, 200, 100},
         {0, 40, 1024, 768},
         {200, 40}},
        {"taller than the work area",
         {100, 300, 500, 700},
         {0, 0, 200, 800},
         {0, 40, 1024, 768},
         {200, 40}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MessageBox::CenterOverOwner(c.form, c.box, c.work), c.expected) << c.name;
    }
}

} // namespace
