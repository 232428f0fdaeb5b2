#include "bankrec/banks/ui/link_class.h"

#include <QDesktopServices>
#include <QEvent>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>
#include <algorithm>

namespace banks {

LinkClass::LinkClass(QObject* parent) : QObject(parent) {}

LinkClass::~LinkClass() {
    for (auto& e : entries_)
        if (e.control) e.control->removeEventFilter(this);
}

bool LinkClass::Register(QWidget* control, const QString& address) {
    if (!control || control->isHidden() || !control->isEnabled()) return false;
    if (find(control)) return true;
    setTextColor(control, linkColor);
    QFont f = control->font();
    f.setUnderline(true);
    control->setFont(f);
    control->setCursor(Qt::PointingHandCursor);
    control->installEventFilter(this);
    // A destroyed control leaves the list, so no event ever reaches a dangling entry.
    connect(control, &QObject::destroyed, this, [this](QObject* gone) {
        entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                      [gone](const Entry& e) { return e.control == gone; }),
                       entries_.end());
    });
    entries_.push_back({control, address});
    return true;
}

bool LinkClass::isRegistered(const QWidget* control) const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [control](const Entry& e) { return e.control == control; });
}

LinkClass::Entry* LinkClass::find(const QObject* control) {
    for (auto& e : entries_)
        if (e.control == control) return &e;
    return nullptr;
}

void LinkClass::setTextColor(QWidget* control, const QColor& color) {
    QPalette p = control->palette();
    p.setColor(QPalette::WindowText, color);
    p.setColor(QPalette::ButtonText, color);
    p.setColor(QPalette::Text, color);
    control->setPalette(p);
}

void LinkClass::linkWithoutAddress(QWidget*) {}

bool LinkClass::openAddress(const QString& address) {
    return QDesktopServices::openUrl(QUrl::fromUserInput(address));
}

bool LinkClass::eventFilter(QObject* watched, QEvent* event) {
    Entry* e = find(watched);
    if (!e) return QObject::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::Enter:
            setTextColor(e->control, hoverColor);
            break;
        case QEvent::Leave:
            setTextColor(e->control, linkColor);
            break;
        case QEvent::MouseButtonRelease: {
            auto* me = static_cast<QMouseEvent*>(event);
            if (me->button() != Qt::LeftButton ||
                !e->control->rect().contains(me->position().toPoint()))
                break;
            QWidget* control = e->control;
            const QString address = e->address;
            if (address.trimmed().isEmpty())
                linkWithoutAddress(control);
            else
                openAddress(address);
            return true;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace banks
