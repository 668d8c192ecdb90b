#include "MessageBoxTestFixture.h"

#include <gmock/gmock.h>

using testing::ElementsAre;
using testing::IsEmpty;

namespace {

using ShowMessageBoxTest = MessageBoxTest;

TEST_F(ShowMessageBoxTest, OptionsZeroRaisesTheOwnerHooksAndUnhooksAtActivation) {
    fake.SetActiveForm(Form);
    AddBox();
    fake.results = {6};

    EXPECT_EQ(MessageBox::ShowMessageBox("Stop?", "Scryve", 36, 0), 6);

    // The owner comes to the front and owns the box; the hook is gone once the box is.
    ASSERT_EQ(fake.messageBoxes.size(), 1u);
    EXPECT_EQ(fake.messageBoxes[0].owner, 256u);
    EXPECT_THAT(fake.CallsNamed("ShowWindow"), ElementsAre("ShowWindow 256 5"));
    EXPECT_THAT(fake.CallsNamed("SetWindowsHookEx"), ElementsAre("SetWindowsHookEx 5 4194304 153"));
    EXPECT_THAT(fake.CallsNamed("UnhookWindowsHookEx"), ElementsAre("UnhookWindowsHookEx 16384"));
    EXPECT_EQ(MessageBox::HookHandle, 0x4000u);
}

TEST_F(ShowMessageBoxTest, MinimizedOwnerIsSetToNormalBeforeTheBox) {
    fake.SetActiveForm(Form, {}, 1);

    MessageBox::ShowMessageBox("Found 0 Folders.", "Scryve", 64, 0);

    EXPECT_THAT(fake.CallsNamed("SetFormWindowState"), ElementsAre("SetFormWindowState 256 0"));
    EXPECT_THAT(fake.CallsNamed("SetWindowsHookEx"), ElementsAre("SetWindowsHookEx 5 4194304 153"));
}

// A hidden owner, or one still minimized after the restore, gets no timer and no hook.
TEST_F(ShowMessageBoxTest, HiddenOrStillMinimizedOwnerGetsNeitherTimerNorHook) {
    struct Case {
        std::int32_t state;
        bool visible;
    };
    for (Case c : {Case{0, false}, Case{1, true}}) {
        SCOPED_TRACE(testing::Message() << "state " << c.state << " visible " << c.visible);
        fake = FakeMessageBoxPlatform{};
        fake.SetActiveForm(Form, {}, c.state, c.visible);
        fake.formKeepsState = true;
        MessageBox::AutoCloseInterval = 100;

        EXPECT_EQ(MessageBox::ShowMessageBox("Set data !", "Scryve Alarm", 16, 4), 1);

        EXPECT_THAT(fake.CallsNamed("SetTimer"), IsEmpty());
        EXPECT_THAT(fake.CallsNamed("SetWindowsHookEx"), IsEmpty());
        EXPECT_THAT(fake.CallsNamed("UnhookWindowsHookEx"), IsEmpty());
        EXPECT_THAT(fake.CallsNamed("MessageBox"),
                    ElementsAre("MessageBox 256 \"Set data !\" \"Scryve Alarm\" 65552"));
    }
}

TEST_F(ShowMessageBoxTest, AutoCloseTimerPressesEnterOnceOnTheActivatedBox) {
    fake.SetActiveForm(Form);
    AddBox();
    fake.fireTimerInBox = true;
    MessageBox::AutoCloseInterval = 3000;

    MessageBox::ShowMessageBox("text", "title", 0, 5);

    EXPECT_THAT(fake.CallsNamed("SetTimer"), ElementsAre("SetTimer 256 0 3000"));
    EXPECT_THAT(fake.CallsNamed("KillTimer"), ElementsAre("KillTimer 256 0"));
    EXPECT_THAT(fake.CallsNamed("SetForegroundWindow"), ElementsAre("SetForegroundWindow 1280"));
    EXPECT_THAT(fake.CallsNamed("keybd_event"),
                ElementsAre("keybd_event 13 0 0 0", "keybd_event 13 0 2 0"));
    EXPECT_EQ(fake.calls.back(), "keybd_event 13 0 2 0");
    EXPECT_FALSE(fake.timerPending);
    EXPECT_EQ(MessageBox::BoxWindow, Box);
}

// Regression: with OptionAutoClose alone the Enter went to the box of an earlier call.
TEST_F(ShowMessageBoxTest, AutoCloseAloneBringsTheCurrentBoxToTheFront) {
    MessageBox::BoxWindow = 0x999;
    fake.SetActiveForm(Form);
    AddBox();
    fake.fireTimerInBox = true;
    MessageBox::AutoCloseInterval = 10;

    MessageBox::ShowMessageBox("text", "title", 0, MessageBox::OptionAutoClose);

    EXPECT_THAT(fake.CallsNamed("SetForegroundWindow"), ElementsAre("SetForegroundWindow 1280"));
}

// Regression: a box closed before the interval left its Enter press pending.
TEST_F(ShowMessageBoxTest, PendingTimerIsKilledWhenTheBoxReturns) {
    struct Case {
        bool withForm;
        const char* kill;
    };
    for (Case c : {Case{true, "KillTimer 256 0"}, Case{false, "KillTimer 0 112"}}) {
        fake = FakeMessageBoxPlatform{};
        if (c.withForm) {
            fake.SetActiveForm(Form);
        }
        AddBox();
        MessageBox::AutoCloseInterval = 3000;

        MessageBox::ShowMessageBox("text", "title", 0, 4);

        EXPECT_THAT(fake.CallsNamed("KillTimer"), ElementsAre(c.kill));
        EXPECT_EQ(fake.calls.back(), c.kill);
        EXPECT_FALSE(fake.timerPending);
    }
}

// Regression: a box that was never activated left the hook for the next window.
TEST_F(ShowMessageBoxTest, HookOfABoxNeverActivatedIsRemovedWhenItReturns) {
    fake.SetActiveForm(Form);
    fake.results = {0};

    MessageBox::ShowMessageBox("text", "title", 0, 0);

    EXPECT_EQ(fake.calls.back(), "UnhookWindowsHookEx 16384");
    EXPECT_EQ(fake.installedHook, 0u);
}

TEST_F(ShowMessageBoxTest, FailedHookInstallationShowsThePlainBoxAndTheTimerStillRuns) {
    fake.SetActiveForm(Form);
    AddBox();
    fake.nextHook = 0;
    fake.fireTimerInBox = true;
    MessageBox::AutoCloseInterval = 50;
    MessageBox::ButtonCaptions[6] = "Sure";

    MessageBox::ShowMessageBox("text", "title", 4, 4);

    EXPECT_THAT(fake.CallsNamed("UnhookWindowsHookEx"), IsEmpty());
    EXPECT_THAT(fake.CallsNamed("SetWindowText"), IsEmpty());
    EXPECT_THAT(fake.CallsNamed("keybd_event"),
                ElementsAre("keybd_event 13 0 0 0", "keybd_event 13 0 2 0"));
}

} // namespace
