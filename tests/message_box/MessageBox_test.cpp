#include "fakes/FakeMessageBoxPlatform.h"
#include "message_box/MessageBox.h"
#include "message_box/MessageBoxHook.h"

#include <gtest/gtest.h>

namespace {

constexpr WindowHandle Box = FakeMessageBoxPlatform::Box;
constexpr WindowHandle Form = 0x100;

// Every test starts from the defaults of a fresh process, with a visible form that owns a
// box with a text and an icon.
class MessageBoxTest : public testing::Test {
  protected:
    void SetUp() override {
        MessageBox::AutoCloseInterval = 0;
        MessageBox::BoxIcons = {};
        MessageBox::ButtonCaptions = {};
        MessageBox::BoxWindow = 0;
        MessageBox::SetPlatform(&fake);
        fake.form = Form;
        fake.controls = {{"Static", 0, 0xFFFF}, {"Static", 3, 20}}; // SS_LEFT, SS_ICON
    }
    void TearDown() override { MessageBox::SetPlatform(nullptr); }
    std::int32_t Show(std::int32_t style, std::int32_t options) {
        return MessageBox::ShowMessageBox("text", "title", style, options);
    }

    FakeMessageBoxPlatform fake;
};

// A minimised owner is restored first; without a visible, restored owner the box comes as
// it is: not centred, not closed by the timer. Nothing outlives the box. Regressions: with
// OptionAutoClose alone the Enter went to the box of an earlier call, a box closed before
// the interval left its Enter press pending, and one never activated left the hook for the
// next window.
TEST_F(MessageBoxTest, OwnerStateDecidesWhetherTheBoxIsTakenInHand) {
    struct Case {
        const char* name;
        std::int32_t state;
        bool visible;
        bool keepsState;
        bool handled;
        bool timerFires = true; // false: the box is closed before the interval
        bool activated = true;
        WindowHandle form = Form;
    };
    const Case cases[] = {
        {"restored", 0, true, false, true},
        {"minimised, restored first", 1, true, false, true},
        {"hidden", 0, false, false, false},
        {"stays minimised", 1, true, true, false},
        {"closed early", 0, true, false, true, false},
        {"never activated", 0, true, false, false, false, false},
        {"no form, closed early", 0, true, false, false, false, true, 0},
        {"no form, never activated", 0, true, false, false, false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fake.form = c.form;
        fake.formState = c.state;
        fake.formVisible = c.visible;
        fake.formKeepsState = c.keepsState;
        fake.boxActivated = c.activated;
        fake.fireTimerInBox = c.timerFires;
        fake.boxMovedTo.reset();
        fake.enterPressedOn.clear();
        MessageBox::BoxWindow = 0x999;
        MessageBox::AutoCloseInterval = 100;

        Show(36, MessageBox::OptionAutoClose | MessageBox::OptionCenterOwner);

        EXPECT_EQ(fake.boxOwner, c.form);
        EXPECT_EQ(fake.formStateDuringBox, c.keepsState ? 1 : 0);
        using Point = std::pair<std::int32_t, std::int32_t>;
        EXPECT_EQ(fake.boxMovedTo, c.handled ? std::optional<Point>({200, 200}) : std::nullopt);
        const bool enter = c.handled && c.timerFires;
        EXPECT_EQ(fake.enterPressedOn, std::vector<WindowHandle>(enter ? 1 : 0, Box));
        EXPECT_FALSE(fake.hookInstalled);
        EXPECT_FALSE(fake.timerPending);
    }
}

TEST_F(MessageBoxTest, CustomIconShowsTheSlotOfTheStylesIconKind) {
    struct Case {
        std::int32_t style;
        std::optional<Picture> questionSlot;
        std::optional<IconHandle> shown;
    };
    const Case cases[] = {
        {36, std::nullopt, 0}, // an empty slot shows an empty picture
        {36, Picture{0x1234}, 0x1234},
        {0, Picture{0x1234}, std::nullopt},
        {80, Picture{0x1234}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        fake.iconShown.reset();
        MessageBox::BoxIcons = {};
        MessageBox::BoxIcons[2] = c.questionSlot;

        Show(c.style, MessageBox::OptionCustomIcon);

        EXPECT_EQ(fake.iconShown, c.shown);
    }
}

// Only buttons with a caption are relabelled: No (7) has none, and ids beyond the nine
// captions (Try Again 10, Continue 11) have no slot (regression: they read past the table).
TEST_F(MessageBoxTest, ButtonsAreRelabelledOnlyWhenCaptionsAreTheOnlyOption) {
    for (std::size_t id = 0; id < MessageBox::ButtonCaptions.size(); ++id) {
        MessageBox::ButtonCaptions[id] = id == 7 ? "" : "Label " + std::to_string(id);
    }
    const std::vector<std::string> relabelled{"", "Label 2", "Label 6", "", "", "", "Label 9", ""};
    for (std::int32_t options : {2, 3, 10, 6}) {
        SCOPED_TRACE(options);
        fake.controls.clear();
        for (std::int32_t id : {0, 2, 6, 7, 10, 11, 9, -1}) {
            fake.controls.push_back({"Button", 0, id});
        }

        Show(6, options);

        std::vector<std::string> labels;
        for (const FakeMessageBoxPlatform::Control& button : fake.controls) {
            labels.push_back(button.text);
        }
        EXPECT_EQ(labels, options == 2 ? relabelled : std::vector<std::string>(8));
    }
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
    const WindowRect bar{0, 40, 1024, 768}; // a task bar on top
    const WindowRect box{0, 0, 200, 100};
    const Case cases[] = {
        {"odd, toward zero", {100, 100, 400, 400}, {7, 7, 312, 312}, screen, {98, 98}},
        {"left", {-300, 100, 100, 400}, box, screen, {0, 200}},
        {"right", {900, 100, 1300, 400}, box, {100, 0, 1124, 768}, {924, 200}},
        {"wider", {100, 100, 500, 400}, {0, 0, 1100, 100}, screen, {-76, 200}},
        {"bottom", {100, 650, 500, 850}, box, screen, {200, 668}},
        {"top", {100, -300, 500, 0}, box, bar, {200, 40}},
        {"taller", {100, 300, 500, 700}, {0, 0, 200, 800}, bar, {200, 40}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MessageBox::CenterOverOwner(c.form, c.box, c.work), c.expected) << c.name;
    }
}

} // namespace
