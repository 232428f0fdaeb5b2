#include "corelib/ui/thread_event_filter.h"

#include <QApplication>
#include <QInputEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QWidget>

#include <set>

#include "corelib/thread_registry.h"

namespace corelib {

namespace {

void activate(QWidget* w) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(w)) {
        if (sub->isMinimized()) sub->showNormal();
        if (QMdiArea* area = sub->mdiArea()) area->setActiveSubWindow(sub);
        w = sub->window();
    }
    if (w->isMinimized()) w->showNormal();
    w->raise();
    w->activateWindow();
}

bool propagates(const QEvent* e) {
    switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::TabletMove:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            return true;
        default:
            return false;
    }
}

// Runs each event of a tagged window on the window's thread: the event is delivered again,
// inside a ThreadScope, and its first delivery is stopped. An input event that Qt hands on to
// the parents after the redelivery (because no widget accepted it) has been handed on already,
// inside the redelivery, so those further deliveries are dropped.
class ThreadEventFilter : public QObject {
  public:
    using QObject::QObject;

    bool eventFilter(QObject* obj, QEvent* ev) override {
        if (ev->type() == kThreadActivateEvent && obj->isWidgetType()) {
            activate(static_cast<QWidget*>(obj));
            return true;
        }
        if (redelivering_.count({obj, ev})) return false;
        if (isHandedOn(obj, ev)) return true;
        const int32_t thread = threadOf(obj);
        if (thread == 0 || thread == currentThread()) return false;

        QPointer<QObject> alive(obj);
        redelivering_.insert({obj, ev});
        {
            ThreadScope scope(thread);
            QCoreApplication::instance()->notify(obj, ev);
        }
        redelivering_.erase({obj, ev});
        if (!alive) return true;  // the handler deleted the receiver
        if (propagates(ev) && obj->isWidgetType()) {
            handedOn_ = {ev->type(), static_cast<const QInputEvent*>(ev)->timestamp(),
                         QPointer<QObject>(obj)};
            if (!ev->isAccepted()) handedOnValid_ = true;
        }
        return true;
    }

  private:
    bool isHandedOn(QObject* obj, QEvent* ev) {
        if (!handedOnValid_) return false;
        if (!propagates(ev) || ev->type() == QEvent::ContextMenu || !obj->isWidgetType() ||
            ev->type() != handedOn_.type ||
            static_cast<const QInputEvent*>(ev)->timestamp() != handedOn_.timestamp ||
            !handedOn_.target) {
            handedOnValid_ = false;
            return false;
        }
        for (QObject* p = handedOn_.target->parent(); p; p = p->parent())
            if (p == obj) return true;
        handedOnValid_ = false;
        return false;
    }

    struct HandedOn {
        QEvent::Type type = QEvent::None;
        quint64 timestamp = 0;
        QPointer<QObject> target;
    };
    std::set<std::pair<QObject*, QEvent*>> redelivering_;
    HandedOn handedOn_;
    bool handedOnValid_ = false;
};

}  // namespace

void installThreadEventFilter() {
    static QPointer<QObject> filter;
    auto* app = QCoreApplication::instance();
    if (!app) return;
    if (!filter) filter = new ThreadEventFilter(app);
    app->installEventFilter(filter);  // installing again moves it ahead of later filters
}

}  // namespace corelib
