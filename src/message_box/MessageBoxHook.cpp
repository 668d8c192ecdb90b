#include "message_box/MessageBoxHook.h"

#include "message_box/MessageBox.h"
#include "settings/StringCommon.h"

namespace MessageBox {

namespace {

std::string ClassNameOf(MessageBoxPlatform& platform, WindowHandle window) {
    std::string buffer(256, '\0');
    platform.GetClassName(window, buffer.data(), 255);
    return StringCommon::CutAtNull(buffer);
}

void ApplyCustomIcon(MessageBoxPlatform& platform, WindowHandle box) {
    std::int32_t kind = IconKind(BoxStyle);
    BoxWindow = box;
    WindowHandle iconStatic = FindIconStatic(box);
    if (BoxWindow != 0 && kind != 0) {
        std::optional<Picture>& slot = BoxIcons[static_cast<std::size_t>(kind)];
        if (!slot) {
            slot = Picture{};
        }
        platform.SendMessage(iconStatic, User32::StmSetIcon, platform.PictureHandle(*slot), 0);
    }
}

// Buttons without a ButtonCaptions slot (Try Again 10, Continue 11) keep their labels.
void ApplyButtonCaptions(MessageBoxPlatform& platform, WindowHandle box) {
    for (WindowHandle button : GetButtonWindows(box)) {
        std::int32_t id = platform.GetDlgCtrlID(button);
        if (id < 1 || id >= static_cast<std::int32_t>(ButtonCaptions.size())) {
            continue;
        }
        const std::string& caption = ButtonCaptions[static_cast<std::size_t>(id)];
        if (!caption.empty()) {
            platform.SetWindowText(button, caption);
        }
    }
}

void CenterBoxOverOwner(MessageBoxPlatform& platform, WindowHandle box) {
    WindowRect form = platform.GetWindowRect(platform.FormHandle(OwnerForm));
    WindowRect boxRect = platform.GetWindowRect(box);
    WindowRect work;
    platform.SystemParametersInfo(User32::SpiGetWorkArea, 0, work, 0);
    WindowPoint position = CenterOverOwner(form, boxRect, work);
    platform.SetWindowPos(box, User32::HwndTop, position.x, position.y, 0, 0,
                          User32::SwpNoSize | User32::SwpNoZOrder | User32::SwpNoActivate);
}

} // namespace

// The box's first activation: apply icon, captions and position, then step aside. Events
// are not passed on along the hook chain.
std::intptr_t MessageBoxHookProc(std::int32_t code, std::uintptr_t wParam,
                                 std::intptr_t /*lParam*/) {
    if (code != User32::HcbtActivate) {
        return 0;
    }
    MessageBoxPlatform& platform = *Platform();
    WindowHandle box = wParam;
    // The timer's Enter must reach this box, not one recorded by an earlier call.
    if ((BoxOptions & OptionAutoClose) != 0) {
        BoxWindow = box;
    }
    if ((BoxOptions & OptionCustomIcon) != 0) {
        ApplyCustomIcon(platform, box);
    }
    if (BoxOptions == OptionButtonCaptions) {
        ApplyButtonCaptions(platform, box);
    }
    if (OwnerForm != FormId::None && (BoxOptions & OptionCenterOwner) != 0) {
        CenterBoxOverOwner(platform, box);
    }
    RemoveMessageBoxHook();
    return 0;
}

WindowHandle FindIconStatic(WindowHandle box) {
    MessageBoxPlatform& platform = *Platform();
    for (WindowHandle child = platform.GetWindow(box, User32::GwChild); child != 0;
         child = platform.GetWindow(child, User32::GwHwndNext)) {
        if (ClassNameOf(platform, child) == "Static" &&
            (platform.GetWindowLong(child, User32::GwlStyle) & User32::SsIcon) != 0) {
            return child;
        }
    }
    return 0;
}

std::vector<WindowHandle> GetButtonWindows(WindowHandle box) {
    MessageBoxPlatform& platform = *Platform();
    std::vector<WindowHandle> buttons;
    for (WindowHandle child = platform.GetWindow(box, User32::GwChild); child != 0;
         child = platform.GetWindow(child, User32::GwHwndNext)) {
        if (ClassNameOf(platform, child) == "Button") {
            buttons.push_back(child);
        }
    }
    return buttons;
}

std::int32_t IconKind(std::int32_t style) {
    switch (style & 0x70) {
    case 0x10:
        return 1;
    case 0x20:
        return 2;
    case 0x30:
        return 3;
    case 0x40:
        return 4;
    default:
        return 0;
    }
}

// Horizontally the right edge wins (a box wider than the work area ends flush with its
// right edge), vertically the top edge wins. Division truncates toward zero.
WindowPoint CenterOverOwner(const WindowRect& form, const WindowRect& box, const WindowRect& work) {
    std::int64_t formWidth = std::int64_t{form.right} - form.left;
    std::int64_t formHeight = std::int64_t{form.bottom} - form.top;
    std::int64_t boxWidth = std::int64_t{box.right} - box.left;
    std::int64_t boxHeight = std::int64_t{box.bottom} - box.top;

    std::int64_t x = form.left + (formWidth - boxWidth) / 2;
    if (x < work.left) {
        x = work.left;
    }
    if (x + boxWidth > work.right) {
        x = work.right - boxWidth;
    }
    std::int64_t y = form.top + (formHeight - boxHeight) / 2;
    if (y + boxHeight > work.bottom) {
        y = work.bottom - boxHeight;
    }
    if (y < work.top) {
        y = work.top;
    }
    return {static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)};
}

} // namespace MessageBox
