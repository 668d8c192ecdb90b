#include "platform/qt/QtMessageBoxPlatform.h"

#include "platform/qt/QtMessageBoxDialog.h"
#include "platform/qt/QtWindowHandles.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <atomic>

using QtWindowHandles::HandleOf;
using QtWindowHandles::WidgetOf;

namespace {

// Small, stable numbers for threads, as user32's thread ids are.
std::uint32_t ThisThreadId() {
    static std::atomic<std::uint32_t> next{1};
    thread_local const std::uint32_t id = next++;
    return id;
}

bool OnGuiThread() {
    return QCoreApplication::instance() != nullptr &&
           QThread::currentThread() == QCoreApplication::instance()->thread();
}

// The time argument of a timer procedure: milliseconds since an arbitrary start.
std::uint32_t TickCount() {
    static QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return static_cast<std::uint32_t>(clock.elapsed());
}

} // namespace

QtMessageBoxPlatform::QtMessageBoxPlatform() {
    qApp->installEventFilter(this);
}

QtMessageBoxPlatform::~QtMessageBoxPlatform() {
    for (auto& [key, timer] : timers_) {
        delete timer.data();
    }
}

IconHandle QtMessageBoxPlatform::RegisterIcon(const QIcon& icon) {
    IconHandle handle = nextIcon_;
    nextIcon_ += 4;
    icons_[handle] = icon;
    return handle;
}

FormId QtMessageBoxPlatform::ActiveForm() {
    QWidget* form = activeForm_ != nullptr ? activeForm_.data() : QApplication::activeWindow();
    return static_cast<FormId>(HandleOf(form));
}

WindowHandle QtMessageBoxPlatform::FormHandle(FormId form) {
    return WidgetOf(static_cast<WindowHandle>(form)) != nullptr ? static_cast<WindowHandle>(form)
                                                                : 0;
}

std::int32_t QtMessageBoxPlatform::FormWindowState(FormId form) {
    QWidget* widget = WidgetOf(static_cast<WindowHandle>(form));
    if (widget == nullptr) {
        return 0;
    }
    if (widget->windowState() & Qt::WindowMinimized) {
        return 1;
    }
    return (widget->windowState() & Qt::WindowMaximized) ? 2 : 0;
}

bool QtMessageBoxPlatform::FormVisible(FormId form) {
    QWidget* widget = WidgetOf(static_cast<WindowHandle>(form));
    return widget != nullptr && widget->isVisible();
}

// Normal clears maximized as well: a form maximized before it was minimized comes back
// in the normal state.
void QtMessageBoxPlatform::SetFormWindowState(FormId form, std::int32_t state) {
    QWidget* widget = WidgetOf(static_cast<WindowHandle>(form));
    if (widget == nullptr) {
        return;
    }
    if (state == 1) {
        widget->showMinimized();
    } else if (state == 2) {
        widget->showMaximized();
    } else {
        widget->showNormal();
    }
}

std::uint32_t QtMessageBoxPlatform::CurrentThreadId() {
    return ThisThreadId();
}

std::int32_t QtMessageBoxPlatform::MessageBox(WindowHandle owner, const std::string& text,
                                              const std::string& caption, std::uint32_t type) {
    QWidget* ownerWidget = WidgetOf(owner);
    if (owner != 0 && ownerWidget == nullptr) {
        return 0; // user32 refuses an owner that is no window
    }
    return RunMessageBox(ownerWidget, text, caption, type);
}

// A window's timer is known by the id asked for; a timer of no window gets a new id.
std::uintptr_t QtMessageBoxPlatform::SetTimer(WindowHandle window, std::uintptr_t timerId,
                                              std::uint32_t interval, TimerProc procedure) {
    if (window != 0 && WidgetOf(window) == nullptr) {
        return 0;
    }
    std::uintptr_t id = timerId;
    if (window == 0 && (timerId == 0 || timers_.count({0, timerId}) == 0)) {
        id = nextTimerId_++;
    }
    KillTimer(window, id);
    auto* timer = new QTimer;
    timer->setInterval(static_cast<int>(std::max<std::uint32_t>(interval, 1)));
    QObject::connect(timer, &QTimer::timeout, [window, id, procedure] {
        procedure(window, User32::WmTimer, id, TickCount());
    });
    timers_[{window, id}] = timer;
    timer->start();
    return window != 0 ? 1 : id;
}

bool QtMessageBoxPlatform::KillTimer(WindowHandle window, std::uintptr_t timerId) {
    auto found = timers_.find({window, timerId});
    if (found == timers_.end()) {
        return false;
    }
    // The timer may be the one whose timeout is running right now.
    if (found->second != nullptr) {
        found->second->stop();
        found->second->deleteLater();
    }
    timers_.erase(found);
    return true;
}

// Hooks of the user-interface thread only; the latest one sees the events first and, like
// the service's, passes nothing on.
HookId QtMessageBoxPlatform::SetWindowsHookEx(std::int32_t hookId, HookProc procedure,
                                              std::uintptr_t /*instance*/, std::uint32_t threadId) {
    if (hookId != User32::WhCbt || procedure == nullptr || !OnGuiThread() ||
        threadId != ThisThreadId()) {
        return 0;
    }
    HookId hook = nextHook_;
    nextHook_ += 4;
    hooks_[hook] = procedure;
    return hook;
}

bool QtMessageBoxPlatform::UnhookWindowsHookEx(HookId hook) {
    return hooks_.erase(hook) != 0;
}

bool QtMessageBoxPlatform::eventFilter(QObject* watched, QEvent* event) {
    if (!watched->isWidgetType()) {
        return false;
    }
    auto* widget = static_cast<QWidget*>(watched);
    if (!widget->isWindow()) {
        return false;
    }
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::WindowActivate:
        if (widget != lastActivated_) {
            lastActivated_ = widget;
            if (!hooks_.empty()) {
                // The window settles its size only in its own show handling, after this
                // filter: settle it now so that the hook sees the size it will show with.
                QEvent layoutRequest(QEvent::LayoutRequest);
                QCoreApplication::sendEvent(widget, &layoutRequest);
                hooks_.rbegin()->second(User32::HcbtActivate, HandleOf(widget), 0);
            }
        }
        break;
    case QEvent::Hide:
    case QEvent::WindowDeactivate:
        if (widget == lastActivated_) {
            lastActivated_ = nullptr;
        }
        break;
    default:
        break;
    }
    return false;
}

IconHandle QtMessageBoxPlatform::PictureHandle(const Picture& picture) {
    return icons_.count(picture.handle) != 0 ? picture.handle : 0;
}
