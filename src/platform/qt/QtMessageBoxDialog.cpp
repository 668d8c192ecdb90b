#include "platform/qt/QtMessageBoxDialog.h"

#include "platform/MessageBoxPlatform.h"
#include "platform/qt/QtWindowHandles.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <iterator>
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
    static const std::vector<int> Buttons[] = {
        {IdOk},
        {IdOk, IdCancel},
        {IdAbort, IdRetry, IdIgnore},
        {IdYes, IdNo, IdCancel},
        {IdYes, IdNo},
        {IdRetry, IdCancel},
        {IdCancel, IdTryAgain, IdContinue},
    };
    const std::uint32_t buttons = type & User32::MbTypeMask;
    return buttons < std::size(Buttons) ? Buttons[buttons] : std::vector<int>{};
}

// The ids that Qt has a standard button for; Try Again and Continue it has not.
struct StandardButton {
    int id;
    QMessageBox::StandardButton button;
};
constexpr StandardButton StandardButtons[] = {
    {IdOk, QMessageBox::Ok},       {IdCancel, QMessageBox::Cancel}, {IdAbort, QMessageBox::Abort},
    {IdRetry, QMessageBox::Retry}, {IdIgnore, QMessageBox::Ignore}, {IdYes, QMessageBox::Yes},
    {IdNo, QMessageBox::No},       {IdHelp, QMessageBox::Help},
};

QPushButton* AddButton(QMessageBox& box, int id) {
    QPushButton* button = nullptr;
    for (const StandardButton& standard : StandardButtons) {
        if (standard.id == id) {
            button = box.addButton(standard.button);
        }
    }
    if (button == nullptr) {
        button =
            box.addButton(id == IdTryAgain ? QObject::tr("&Try Again") : QObject::tr("&Continue"),
                          QMessageBox::AcceptRole);
    }
    QtWindowHandles::SetControlId(button, id);
    return button;
}

// The icons of MB_ICONHAND (0x10) to MB_ICONASTERISK (0x40).
QMessageBox::Icon IconOf(std::uint32_t type) {
    constexpr QMessageBox::Icon Icons[] = {QMessageBox::NoIcon, QMessageBox::Critical,
                                           QMessageBox::Question, QMessageBox::Warning,
                                           QMessageBox::Information};
    const std::uint32_t icon = (type & 0x70) >> 4;
    return icon < std::size(Icons) ? Icons[icon] : QMessageBox::NoIcon;
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
