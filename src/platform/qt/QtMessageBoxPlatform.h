#pragma once

#include "platform/MessageBoxPlatform.h"

#include <QIcon>
#include <QObject>
#include <QPointer>

#include <map>
#include <utility>

class QTimer;
class QWidget;

// The message box service on Qt: user32's operations answered by widgets named through
// QtWindowHandles. The CBT hook sees a window's activation when the window is shown or
// activated, before it is painted; timers repeat until killed, as user32's do.
class QtMessageBoxPlatform final : public QObject, public MessageBoxPlatform {
  public:
    QtMessageBoxPlatform();
    ~QtMessageBoxPlatform() override;

    // The application's main window; while none is set, the active window stands in.
    void SetActiveForm(QWidget* form) { activeForm_ = form; }
    // Makes an icon usable as a BoxIcons picture; returns its handle (never 0).
    IconHandle RegisterIcon(const QIcon& icon);

    FormId ActiveForm() override;
    WindowHandle FormHandle(FormId form) override;
    std::int32_t FormWindowState(FormId form) override;
    bool FormVisible(FormId form) override;
    void SetFormWindowState(FormId form, std::int32_t state) override;
    std::uint32_t CurrentThreadId() override;

    bool SetWindowPos(WindowHandle window, std::intptr_t insertAfter, std::int32_t x,
                      std::int32_t y, std::int32_t cx, std::int32_t cy,
                      std::uint32_t flags) override;
    bool ShowWindow(WindowHandle window, std::int32_t command) override;
    std::int32_t MessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                            std::uint32_t type) override;
    std::uintptr_t SetTimer(WindowHandle window, std::uintptr_t timerId, std::uint32_t interval,
                            TimerProc procedure) override;
    bool KillTimer(WindowHandle window, std::uintptr_t timerId) override;
    std::intptr_t GetWindowLong(WindowHandle window, std::int32_t index) override;
    HookId SetWindowsHookEx(std::int32_t hookId, HookProc procedure, std::uintptr_t instance,
                            std::uint32_t threadId) override;
    bool UnhookWindowsHookEx(HookId hook) override;
    bool SetForegroundWindow(WindowHandle window) override;
    void keybd_event(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                     std::uintptr_t extraInfo) override;
    WindowHandle GetWindow(WindowHandle window, std::uint32_t command) override;
    std::int32_t GetClassName(WindowHandle window, char* buffer, std::int32_t maxCount) override;
    std::int32_t GetDlgCtrlID(WindowHandle window) override;
    bool SetWindowText(WindowHandle window, const std::string& text) override;
    std::intptr_t SendMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam) override;
    WindowRect GetWindowRect(WindowHandle window) override;
    bool SystemParametersInfo(std::uint32_t action, std::uint32_t param, WindowRect& rect,
                              std::uint32_t winIni) override;
    IconHandle PictureHandle(const Picture& picture) override;

  protected:
    // Reports a window's activation to the latest CBT hook, once per activation.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPointer<QWidget> activeForm_;
    QPointer<QWidget> foreground_; // the window SetForegroundWindow named last
    QPointer<QWidget> lastActivated_;
    std::map<HookId, HookProc> hooks_;
    HookId nextHook_ = 0x1000;
    std::map<std::pair<WindowHandle, std::uintptr_t>, QPointer<QTimer>> timers_;
    std::uintptr_t nextTimerId_ = 0x7FF0;
    std::map<IconHandle, QIcon> icons_;
    IconHandle nextIcon_ = 0x20000;
};
