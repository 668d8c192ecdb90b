#pragma once

#include "fakes/FakeMessageBoxPlatform.h"
#include "message_box/MessageBox.h"
#include "message_box/MessageBoxHook.h"

#include <gtest/gtest.h>

// Every test starts from the defaults of a fresh process.
class MessageBoxTest : public testing::Test {
  protected:
    static constexpr WindowHandle Form = 0x100;
    static constexpr WindowHandle Box = 0x500;

    void SetUp() override {
        MessageBox::AutoCloseInterval = 0;
        MessageBox::BoxIcons = {};
        MessageBox::ButtonCaptions = {};
        MessageBox::BoxWindow = 0;
        MessageBox::SetPlatform(&fake);
    }
    void TearDown() override { MessageBox::SetPlatform(nullptr); }

    // A box like user32's Yes/No/Cancel box: text, icon, then its buttons.
    void AddBox(WindowRect rect = {0, 0, 200, 100}) {
        fake.AddWindow(Box, 0, "#32770", 0, 0, rect);
        fake.AddWindow(Box + 1, Box, "Static", 0, 0xFFFF); // the text (SS_LEFT)
        fake.AddWindow(Box + 2, Box, "Static", 3, 20);     // the icon (SS_ICON)
        fake.AddWindow(Box + 3, Box, "Button", 0, 6);
        fake.AddWindow(Box + 4, Box, "Button", 0, 7);
        fake.AddWindow(Box + 5, Box, "Button", 0, 2);
        fake.boxToActivate = Box;
    }

    FakeMessageBoxPlatform fake;
};
