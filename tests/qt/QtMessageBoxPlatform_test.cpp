#include "message_box/MessageBox.h"
#include "message_box/MessageBoxHook.h"
#include "platform/qt/QtMessageBoxPlatform.h"
#include "platform/qt/QtWindowHandles.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace {

// Each box is closed by the service's own timer or by the test's timer, which looks for it
// from inside the box's modal loop; should it never come, the test rejects every dialog.
class QtMessageBoxTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        static int argc = 1;
        static char name[] = "qt_message_box_test";
        static char* argv[] = {name, nullptr};
        static QApplication* application = new QApplication(argc, argv);
        (void)application;
    }
    void SetUp() override {
        platform = std::make_unique<QtMessageBoxPlatform>();
        form = std::make_unique<QWidget>();
        form->setGeometry(100, 100, 400, 300);
        form->show();
        platform->SetActiveForm(form.get());
        MessageBox::SetPlatform(platform.get());
        MessageBox::AutoCloseInterval = 0;
        MessageBox::ButtonCaptions = {};
        MessageBox::BoxIcons = {};
    }
    void TearDown() override { MessageBox::SetPlatform(nullptr); }

    // Shows a box while `onBox` waits for it inside the modal loop; it returns false to
    // leave the box to the service.
    std::int32_t ShowPolled(std::int32_t style, std::int32_t options,
                            const std::function<bool(QMessageBox&)>& onBox) {
        boxSeen = false;
        int polls = 0;
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (boxSeen) {
                poll.stop();
            } else if (box != nullptr && box->isVisible() && onBox(*box)) {
                boxSeen = true;
            } else if (++polls > 250) {
                poll.stop();
                for (QWidget* window : QApplication::topLevelWidgets()) {
                    if (auto* dialog = qobject_cast<QDialog*>(window)) {
                        dialog->reject();
                    }
                }
            }
        });
        poll.start();
        return MessageBox::ShowMessageBox("Message", "Vacantor test", style, options);
    }
    void ExpectHookGone() { EXPECT_FALSE(platform->UnhookWindowsHookEx(MessageBox::HookHandle)); }

    std::unique_ptr<QtMessageBoxPlatform> platform;
    std::unique_ptr<QWidget> form;
    bool boxSeen = false;
};

TEST_F(QtMessageBoxTest, AutoCloseTimerPressesEnterOnTheBox) {
    MessageBox::AutoCloseInterval = 200;
    MessageBox::BoxWindow = 0;

    EXPECT_EQ(ShowPolled(64 | 1, MessageBox::OptionAutoClose, [](QMessageBox&) { return false; }),
              1);

    EXPECT_NE(MessageBox::BoxWindow, 0u);
    EXPECT_EQ(QtWindowHandles::WidgetOf(MessageBox::BoxWindow), nullptr);
    EXPECT_NE(MessageBox::HookHandle, 0u);
    ExpectHookGone();
}

TEST_F(QtMessageBoxTest, YesButtonIsRelabelledAndNoKeepsItsLabel) {
    MessageBox::ButtonCaptions[6] = "Sure";
    QString yes;
    QString no;

    std::int32_t result =
        ShowPolled(4 | 32, MessageBox::OptionButtonCaptions, [&](QMessageBox& box) {
            yes = box.button(QMessageBox::Yes)->text();
            no = box.button(QMessageBox::No)->text();
            box.button(QMessageBox::No)->click();
            return true;
        });

    EXPECT_TRUE(boxSeen);
    EXPECT_EQ(result, 7);
    EXPECT_EQ(yes.toStdString(), "Sure");
    EXPECT_EQ(no.toStdString(), QMessageBox(QMessageBox::NoIcon, "", "", QMessageBox::No)
                                    .button(QMessageBox::No)
                                    ->text()
                                    .toStdString());
    ExpectHookGone();
}

TEST_F(QtMessageBoxTest, CustomIconReplacesTheStandardIcon) {
    QIcon icon = QApplication::style()->standardIcon(QStyle::SP_DirIcon);
    MessageBox::BoxIcons[4] = Picture{platform->RegisterIcon(icon)};
    QImage shown;

    std::int32_t result = ShowPolled(64, MessageBox::OptionCustomIcon, [&](QMessageBox& box) {
        for (QLabel* label : box.findChildren<QLabel*>()) {
            if (!label->pixmap().isNull()) {
                shown = label->pixmap().toImage();
            }
        }
        box.button(QMessageBox::Ok)->click();
        return true;
    });

    EXPECT_EQ(result, 1);
    int size = QApplication::style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
    EXPECT_EQ(shown, icon.pixmap(size, size).toImage());
    ExpectHookGone();
}

} // namespace
