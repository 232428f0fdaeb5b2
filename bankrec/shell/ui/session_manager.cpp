#include "bankrec/shell/ui/session_manager.h"

#include <strings.h>
#include <QCloseEvent>
#include <QDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <QVBoxLayout>

#include "bankrec/shell/ui/window_place.h"
#include "corelib/thread_registry.h"

using namespace corelib;
using namespace storage;

namespace shell {

namespace {

struct Placeholder {
    const char* procedure;
    const char* title;
};
constexpr Placeholder kPlaceholders[] = {
    {"BrowseAPbac", "Browse Transaction Register"},
    {"BrowseAPbnk", "Browse Financial Institution Accounts"},
    {"BrowseAboutBRWindow", "About Application"},
};

QWidget* makePlaceholder(const std::string& title) {
    auto* w = new QWidget;
    w->setWindowTitle(QString::fromStdString(title));
    auto* layout = new QVBoxLayout(w);
    auto* label = new QLabel(QString::fromStdString(title + " is not available yet."), w);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
    w->resize(420, 160);
    return w;
}

}  // namespace

SessionManager::SessionManager(QMdiArea* area, const ProcedureTable& table,
                               const StartupParameters& params, const Storage& storage,
                               QObject* parent)
    : QObject(parent), area_(area), table_(table), params_(params), storage_(storage) {}

SessionManager::~SessionManager() {
    // Windows still open go before the sessions they work on; nothing may call back into this
    // object meanwhile.
    for (auto& [thread, session] : sessions_) {
        if (QWidget* w = session->window()) {
            w->disconnect(this);
            QWidget* outer = qobject_cast<QMdiSubWindow*>(w->parentWidget());
            if (!outer) outer = w;
            outer->disconnect(this);
            outer->removeEventFilter(this);
            delete outer;
        }
        THREAD_END(thread);
    }
}

std::string SessionManager::placeholderTitle(const std::string& procedure) {
    for (const Placeholder& p : kPlaceholders)
        if (strcasecmp(p.procedure, procedure.c_str()) == 0) return p.title;
    return {};
}

int32_t SessionManager::start(const std::string& name) {
    const ProcedureFactory* factory = table_.find(name);
    const std::string placeholder = placeholderTitle(name);
    if (!factory && placeholder.empty()) return 0;

    return THREAD_START(
        [&] {
            const int32_t thread = currentThread();
            auto session = std::make_unique<shell::Session>(thread, name, params_, storage_);
            session->setConfiguration(configuration_);
            QWidget* window = factory ? (*factory)(*session) : makePlaceholder(placeholder);
            if (!window) {
                THREAD_END(thread);  // the procedure did its work at once
                return;
            }
            shell::Session& s = *session;
            sessions_[thread] = std::move(session);
            show(s, window);
        },
        name, 25000);
}

QWidget* SessionManager::show(shell::Session& session, QWidget* window) {
    const int32_t thread = session.thread();
    session.setWindow(window);
    QWidget* outer = window;
    if (area_ && !qobject_cast<QDialog*>(window)) {
        QMdiSubWindow* sub = area_->addSubWindow(window);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        outer = sub;
    } else {
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    THREAD_SETWINDOW(outer);
    if (outer != window && !WindowPlace::remembered(session.procedure())) {
        // A first opening gets a roomy share of the frame rather than its bare minimum.
        const QSize area = area_->viewport()->size();
        const QSize hint = outer->sizeHint();
        outer->resize(qMin(qMax(hint.width(), area.width() * 3 / 5), area.width()),
                      qMin(qMax(hint.height(), area.height() / 2), area.height()));
    }
    WindowPlace::restore(window, session.procedure());
    placed_[outer] = session.procedure();
    outer->installEventFilter(this);
    connect(window, &QObject::destroyed, this, [this, thread] { end(thread); });
    connect(outer, &QObject::destroyed, this, [this, outer] { placed_.erase(outer); });
    outer->show();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(outer)) {
        // Keep a new sub-window inside the area, so it never opens half out of sight; after the
        // area has placed it.
        QTimer::singleShot(0, sub, [this, sub] {
            const QSize area = area_->viewport()->size();
            const QPoint p(qMax(0, qMin(sub->x(), area.width() - sub->width())),
                           qMax(0, qMin(sub->y(), area.height() - sub->height())));
            if (p != sub->pos()) sub->move(p);
        });
        area_->setActiveSubWindow(sub);
    }
    outer->raise();
    outer->activateWindow();
    return outer;
}

bool SessionManager::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == kThreadActivateEvent) {
        // A second start of the procedure: make its sub-window the frame's active one too.
        if (auto* sub = qobject_cast<QMdiSubWindow*>(watched); sub && area_) {
            if (sub->isMinimized()) sub->showNormal();
            area_->setActiveSubWindow(sub);
        }
    } else if (event->type() == QEvent::Close) {
        auto it = placed_.find(watched);
        if (it != placed_.end()) {
            auto* w = static_cast<QWidget*>(watched);
            auto* sub = qobject_cast<QMdiSubWindow*>(w);
            QWidget* inner = sub ? sub->widget() : w;
            if (inner) WindowPlace::save(inner, it->second);
        }
    }
    return QObject::eventFilter(watched, event);
}

void SessionManager::end(int32_t thread) {
    auto it = sessions_.find(thread);
    if (it == sessions_.end()) return;
    THREAD_END(thread);
    sessions_.erase(it);
}

shell::Session* SessionManager::session(int32_t thread) const {
    auto it = sessions_.find(thread);
    return it == sessions_.end() ? nullptr : it->second.get();
}

shell::Session* SessionManager::sessionOf(const std::string& procedure) const {
    for (const auto& [thread, s] : sessions_)
        if (strcasecmp(s->procedure().c_str(), procedure.c_str()) == 0) return s.get();
    return nullptr;
}

bool SessionManager::closeAll() {
    std::vector<QWidget*> windows;
    for (const auto& [thread, s] : sessions_)
        if (s->window()) windows.push_back(s->window());
    for (QWidget* w : windows) {
        auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget());
        QWidget* outer = sub ? sub : w;
        if (!outer->close()) return false;
    }
    return true;
}

}  // namespace shell
