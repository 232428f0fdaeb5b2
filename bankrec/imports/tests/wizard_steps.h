#pragma once
// The import windows' tests drive modal windows from a timer: the steps a clerk takes in them.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "bankrec/imports/ui/import_wizard_window.h"

namespace imports::test {

// Runs `action` on the next modal window of type W once it is open.
template <typename W>
void whenOpen(std::function<void(W&)> action) {
    QTimer::singleShot(0, [action] {
        for (int i = 0; i < 300; ++i) {
            if (auto* w = qobject_cast<W*>(QApplication::activeModalWidget())) {
                action(*w);
                return;
            }
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        ADD_FAILURE() << "no modal " << W::staticMetaObject.className() << " opened";
    });
}

// In the wizard that opens next: the type on page 1, the file on page 2, Next up to the
// summary and Finish, the rest as stored. `opened` is set once the wizard is there.
inline void finishWizard(ImportType type, const std::string& file,
                         std::shared_ptr<bool> opened = std::make_shared<bool>()) {
    whenOpen<ImportWizardWindow>([type, file, opened](ImportWizardWindow& w) {
        *opened = true;
        w.typeButton(type)->click();
        w.nextButton()->click();
        w.fileEntry()->setText(QString::fromStdString(file));
        while (w.nextButton()->isEnabled()) w.nextButton()->click();
        w.finishButton()->click();
    });
}

}  // namespace imports::test
