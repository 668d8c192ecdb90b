#include "ModalCloser.h"
#include "message_box/MessageBox.h"
#include "message_box/MessageBoxHook.h"
#include "platform/qt/QtMessageBoxDialog.h"
#include "platform/qt/QtMessageBoxPlatform.h"
#include "platform/qt/QtWindowHandles.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

class QtMessageBoxTest : public ::testing::Test {
  protected:
    // Runs before the fixture, and so its widgets, is made.
    static void SetUpTestSuite() { EnsureQtApplication(); }
    void SetUp() override {
        form.setGeometry(100, 100, 400, 300);
        form.show();
        platform.SetActiveForm(&form);
        MessageBox::SetPlatform(&platform);
        MessageBox::AutoCloseInterval = 0;
        MessageBox::ButtonCaptions = {};
        MessageBox::BoxIcons = {};
    }
    void TearDown() override {
        EXPECT_FALSE(platform.UnhookWindowsHookEx(MessageBox::HookHandle)) << "hook left behind";
        MessageBox::SetPlatform(nullptr);
    }
    std::int32_t Show(std::int32_t style, std::int32_t options) {
        return MessageBox::ShowMessageBox("Message", "Vacantor test", style, options);
    }

    QtMessageBoxPlatform platform;
    QWidget form;
};

TEST_F(QtMessageBoxTest, AutoCloseTimerPressesEnterOnTheBox) {
    MessageBox::AutoCloseInterval = 200;
    MessageBox::BoxWindow = 0;

    EXPECT_EQ(Show(64 | 1, MessageBox::OptionAutoClose), 1);

    EXPECT_NE(MessageBox::BoxWindow, 0u);
    EXPECT_EQ(QtWindowHandles::WidgetOf(MessageBox::BoxWindow), nullptr);
}

TEST_F(QtMessageBoxTest, YesButtonIsRelabelledAndNoKeepsItsLabel) {
    MessageBox::ButtonCaptions[6] = "Sure";
    QString yes;
    QString no;
    ModalCloser closer;
    closer.choose = [&](QMessageBox& box) {
        yes = box.button(QMessageBox::Yes)->text();
        no = box.button(QMessageBox::No)->text();
        return qobject_cast<QPushButton*>(box.button(QMessageBox::No));
    };

    EXPECT_EQ(Show(4 | 32, MessageBox::OptionButtonCaptions), 7);

    EXPECT_EQ(yes.toStdString(), "Sure");
    EXPECT_NE(no.toStdString(), "Sure");
    EXPECT_FALSE(no.isEmpty());
}

TEST_F(QtMessageBoxTest, CustomIconReplacesTheStandardIcon) {
    QIcon icon = QApplication::style()->standardIcon(QStyle::SP_DirIcon);
    MessageBox::BoxIcons[4] = Picture{platform.RegisterIcon(icon)};
    QImage shown;
    ModalCloser closer;
    closer.choose = [&](QMessageBox& box) {
        for (QLabel* label : box.findChildren<QLabel*>()) {
            shown = label->pixmap().isNull() ? shown : label->pixmap().toImage();
        }
        return qobject_cast<QPushButton*>(box.button(QMessageBox::Ok));
    };

    EXPECT_EQ(Show(64, MessageBox::OptionCustomIcon), 1);

    int size = QApplication::style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
    EXPECT_EQ(shown, icon.pixmap(size, size).toImage());
}

// MB_OK to MB_CANCELTRYCONTINUE give user32's buttons, the first of them the default (the
// box's own order on the screen is the style's); a type with no known buttons shows none.
TEST_F(QtMessageBoxTest, TypeWordChoosesTheButtonsWithTheFirstAsTheDefault) {
    const std::vector<std::vector<int>> buttonsOfType = {{1},    {1, 2}, {3, 4, 5},   {6, 7, 2},
                                                         {6, 7}, {4, 2}, {2, 10, 11}, {}};
    for (std::uint32_t type = 0; type < buttonsOfType.size(); ++type) {
        std::vector<int> ids;
        ModalCloser closer;
        closer.choose = [&](QMessageBox& box) {
            for (QAbstractButton* button : box.buttons()) {
                ids.push_back(QtWindowHandles::ControlId(button));
            }
            return box.defaultButton();
        };
        const std::int32_t pressed = RunMessageBox(&form, "Message", "Vacantor test", type);
        std::vector<int> expected = buttonsOfType[type];
        EXPECT_EQ(pressed, expected.empty() ? 0 : expected.front()) << "type " << type;
        std::sort(ids.begin(), ids.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(ids, expected) << "type " << type;
    }
}

} // namespace
