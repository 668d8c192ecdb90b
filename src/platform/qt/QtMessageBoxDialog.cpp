#include "platform/qt/QtMessageBoxDialog.h"

#include "platform/MessageBoxPlatform.h"
#include "platform/qt/QtWindowHandles.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <vector>

namespace {

enum ButtonId : int {
    IdOk = 1,
    IdCancel = 2,
    IdAbort = 3,
    IdRetry = 4,
    IdIgnore = 5,
    IdYes = 6,
    IdNo = 7,
    IdHelp = 9,
    IdTryAgain = 10,
    IdContinue = 11,
};

// The buttons of MB_OK (0) to MB_CANCELTRYCONTINUE (6), left to right.
std::vector<int> ButtonsOf(std::uint32_t type) {
    switch (type & User32::MbTypeMask) {
    case 0:
        return {IdOk};
    case 1:
        return {IdOk, IdCancel};
    case 2:
        return {IdAbort, IdRetry, IdIgnore};
    case 3:
        return {IdYes, IdNo, IdCancel};
    case 4:
        return {IdYes, IdNo};
    case 5:
        return {IdRetry, IdCancel};
    case 6:
        return {IdCancel, IdTryAgain, IdContinue};
    default:
        return {};
    }
}

QPushButton* AddButton(QMessageBox& box, int id) {
    QPushButton* button = nullptr;
    switch (id) {
    case IdOk:
        button = box.addButton(QMessageBox::Ok);
        break;
    case IdCancel:
        button = box.addButton(QMessageBox::Cancel);
        break;
    case IdAbort:
        button = box.addButton(QMessageBox::Abort);
        break;
    case IdRetry:
        button = box.addButton(QMessageBox::Retry);
        break;
    case IdIgnore:
        button = box.addButton(QMessageBox::Ignore);
        break;
    case IdYes:
        button = box.addButton(QMessageBox::Yes);
        break;
    case IdNo:
        button = box.addButton(QMessageBox::No);
        break;
    case IdHelp:
        button = box.addButton(QMessageBox::Help);
        break;
    case IdTryAgain:
        button = box.addButton(QObject::tr("&Try Again"), QMessageBox::AcceptRole);
        break;
    default:
        button = box.addButton(QObject::tr("&Continue"), QMessageBox::AcceptRole);
        break;
    }
    QtWindowHandles::SetControlId(button, id);
    return button;
}

QMessageBox::Icon IconOf(std::uint32_t type) {
    switch (type & 0x70) {
    case 0x10:
        return QMessageBox::Critical;
    case 0x20:
        return QMessageBox::Question;
    case 0x30:
        return QMessageBox::Warning;
    case 0x40:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

std::int32_t RunMessageBox(QWidget* owner, const std::string& text, const std::string& caption,
                           std::uint32_t type) {
    std::vector<int> ids = ButtonsOf(type);
    if (ids.empty()) {
        return 0;
    }
    if ((type & User32::MbHelp) != 0) {
        ids.push_back(IdHelp);
    }
    QMessageBox box(owner);
    box.setWindowTitle(QString::fromStdString(caption));
    box.setTextFormat(Qt::PlainText);
    // Messages break lines the Windows way (CR LF); Qt breaks at the LF alone.
    box.setText(QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    box.setIcon(IconOf(type));
    // The label that shows the icon is the box's SS_ICON static; without an icon it has none.
    for (QLabel* label : box.findChildren<QLabel*>()) {
        if (!label->pixmap().isNull()) {
            QtWindowHandles::SetControlStyle(label, User32::SsIcon);
        }
    }
    std::vector<QPushButton*> buttons;
    for (int id : ids) {
        buttons.push_back(AddButton(box, id));
    }
    // MB_DEFBUTTON1 to MB_DEFBUTTON4; one past the buttons means the first, as in user32.
    std::size_t defaultIndex = (type & User32::MbDefMask) >> 8;
    QPushButton* defaultButton = buttons[defaultIndex < buttons.size() ? defaultIndex : 0];
    box.setDefaultButton(defaultButton);
    QtWindowHandles::SetControlStyle(defaultButton, 1); // BS_DEFPUSHBUTTON
    // Escape and the close box answer Cancel, or OK when OK is the only button.
    for (QPushButton* button : buttons) {
        if (QtWindowHandles::ControlId(button) == IdCancel || ids == std::vector<int>{IdOk}) {
            box.setEscapeButton(button);
        }
    }
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    return clicked != nullptr ? QtWindowHandles::ControlId(clicked) : 0;
}
