#include "bankrec/shell/ui/window_place.h"

#include <QByteArray>
#include <QHeaderView>
#include <QMdiSubWindow>
#include <QWidget>
#include <cstdlib>

#include "bankrec/shell/build_stamp.h"
#include "bankrec/shell/registry_settings.h"
#include "bankrec/shell/window_place_rules.h"

namespace shell {

namespace {

// The widget that carries the geometry: the MDI sub-window around a browse, else the window.
QWidget* placed(QWidget* window) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget())) return sub;
    return window;
}

bool resizable(const QWidget* w) {
    return w->minimumSize() != w->maximumSize();
}

}  // namespace

namespace WindowPlace {

void restore(QWidget* window, const std::string& procedure) {
    if (!window) return;
    QWidget* w = placed(window);
    RegistrySettings reg = RegistrySettings::forProgram();
    if (!reg.active() || w->isMaximized()) return;
    StoredPlace stored;
    stored.x = reg.getValue("WdwXpos", {}, procedure);
    stored.y = reg.getValue("WdwYpos", {}, procedure);
    stored.width = reg.getValue("WdwWidth", {}, procedure);
    stored.height = reg.getValue("WdwHeight", {}, procedure);
    stored.maximize = reg.getValue("WdwMaximize", {}, procedure);
    reg.LSTCOMPILEDATE = parseMmddyyyy(reg.getValue("CompileDate", {}, procedure));
    reg.LSTCOMPILETIME = std::atoi(reg.getValue("CompileTime", {}, procedure).c_str());

    const PlacePlan plan = planRestore(stored, resizable(w));
    if (plan.x || plan.y) w->move(plan.x.value_or(w->x()), plan.y.value_or(w->y()));
    if (plan.width || plan.height)
        w->resize(plan.width.value_or(w->width()), plan.height.value_or(w->height()));
    if (plan.maximize) w->showMaximized();
}

bool remembered(const std::string& procedure) {
    RegistrySettings reg = RegistrySettings::forProgram();
    return reg.active() && !reg.getValue("WdwWidth", {}, procedure).empty();
}

void save(QWidget* window, const std::string& procedure) {
    if (!window) return;
    QWidget* w = placed(window);
    RegistrySettings reg = RegistrySettings::forProgram();
    if (!reg.active()) return;
    const bool maximized = w->isMaximized();
    reg.setValue("WdwMaximize", maximized ? "Yes" : "No", procedure);
    if (maximized) w->showNormal();
    if (!w->isMinimized()) {
        const QRect g = w->geometry();
        const QPoint p = w->pos();
        reg.setValue("WdwXpos", std::to_string(p.x()), procedure);
        reg.setValue("WdwYpos", std::to_string(p.y()), procedure);
        reg.setValue("WdwWidth", std::to_string(g.width()), procedure);
        reg.setValue("WdwHeight", std::to_string(g.height()), procedure);
    }
    reg.setValue("CompileDate", mmddyyyy(reg.CURCOMPILEDATE), procedure);
    reg.setValue("CompileTime", std::to_string(reg.CURCOMPILETIME), procedure);
}

void saveColumns(const QHeaderView* header, const std::string& procedure,
                 const std::string& valueName) {
    if (!header) return;
    RegistrySettings reg = RegistrySettings::forProgram();
    if (!reg.active()) return;
    reg.setValue(valueName, header->saveState().toBase64().toStdString(), procedure);
}

bool restoreColumns(QHeaderView* header, const std::string& procedure,
                    const std::string& valueName) {
    if (!header) return false;
    RegistrySettings reg = RegistrySettings::forProgram();
    if (!reg.active()) return false;
    const std::string text = reg.getValue(valueName, {}, procedure);
    if (text.empty()) return false;
    const QByteArray state = QByteArray::fromBase64(QByteArray::fromStdString(text));
    return header->restoreState(state);
}

}  // namespace WindowPlace

}  // namespace shell
