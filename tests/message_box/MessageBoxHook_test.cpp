#include "MessageBoxTestFixture.h"

#include <gmock/gmock.h>

using testing::ElementsAre;
using testing::ElementsAreArray;
using testing::IsEmpty;

namespace {

using MessageBoxHookTest = MessageBoxTest;

TEST(IconKindTest, MapsTheIconBitsOfTheStyle) {
    struct Case {
        std::int32_t style;
        std::int32_t kind;
    };
    for (Case c :
         {Case{0, 0}, Case{16, 1}, Case{32, 2}, Case{48, 3}, Case{64, 4}, Case{80, 0}, Case{96, 0},
          Case{112, 0}, Case{36, 2}, Case{0x10000 | 0x100 | 3 | 48, 3}, Case{0x80 | 64, 4}}) {
        EXPECT_EQ(MessageBox::IconKind(c.style), c.kind) << c.style;
    }
}

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

TEST_F(MessageBoxHookTest, FindIconStaticWantsClassStaticWithAnIconStyleBit) {
    struct Case {
        const char* className;
        std::intptr_t style;
        WindowHandle found;
    };
    for (Case c : {Case{"Static", 3, 0x601}, Case{"Static", 1, 0x601}, Case{"Static", 0, 0},
                   Case{"static", 3, 0}, Case{"Static2", 3, 0}, Case{"Button", 3, 0}}) {
        SCOPED_TRACE(testing::Message() << c.className << " " << c.style);
        fake = FakeMessageBoxPlatform{};
        fake.AddWindow(0x600, 0, "#32770");
        fake.AddWindow(0x601, 0x600, c.className, c.style);
        EXPECT_EQ(MessageBox::FindIconStatic(0x600), c.found);
    }
    fake = FakeMessageBoxPlatform{};
    fake.AddWindow(0x600, 0, "#32770");
    EXPECT_EQ(MessageBox::FindIconStatic(0x600), 0u);
    EXPECT_THAT(MessageBox::GetButtonWindows(0x600), IsEmpty());
}

TEST_F(MessageBoxHookTest, GetButtonWindowsKeepsZOrderAndExactClassNames) {
    fake.AddWindow(0x600, 0, "#32770");
    fake.AddWindow(0x601, 0x600, "Button", 0, 2);
    fake.AddWindow(0x602, 0x600, "Static", 3);
    fake.AddWindow(0x603, 0x600, "button", 0, 1);
    fake.AddWindow(0x604, 0x600, "Button", 0, 1);
    EXPECT_THAT(MessageBox::GetButtonWindows(0x600), ElementsAre(0x601u, 0x604u));
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

TEST_F(MessageBoxHookTest, ActivationAppliesIconThenPositionThenUnhooks) {
    fake.SetActiveForm(Form, {100, 100, 500, 400});
    AddBox({0, 0, 200, 100});

    MessageBox::ShowMessageBox("text", "title", 16, 9);

    std::vector<std::string> actions;
    for (const std::string& call : fake.calls) {
        for (const char* name : {"SendMessage", "SetWindowPos", "UnhookWindowsHookEx"}) {
            if (call.rfind(name, 0) == 0) {
                actions.push_back(call);
            }
        }
    }
    EXPECT_THAT(actions,
                ElementsAre("SetWindowPos 256 -1 0 0 0 0 67", "SetWindowPos 256 -2 0 0 0 0 67",
                            "SendMessage 1282 368 0 0", "SetWindowPos 1280 0 200 200 0 0 21",
                            "UnhookWindowsHookEx 16384"));
    EXPECT_THAT(fake.CallsNamed("SystemParametersInfo"),
                ElementsAre("SystemParametersInfo 48 0 0"));
}

TEST_F(MessageBoxHookTest, OnlyActivationIsHandled) {
    fake.SetActiveForm(Form, {100, 100, 500, 400});
    AddBox();
    MessageBox::BoxOptions = 9;
    for (std::int32_t code : {0, 1, 3, 4, 6, 9}) {
        EXPECT_EQ(MessageBox::MessageBoxHookProc(code, Box, 0), 0);
    }
    EXPECT_THAT(fake.calls, IsEmpty());
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
