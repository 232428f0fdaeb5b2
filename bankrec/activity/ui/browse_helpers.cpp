#include "bankrec/activity/ui/browse_helpers.h"

#include <QComboBox>
#include <QLabel>
#include <QMdiSubWindow>
#include <QTableView>
#include <algorithm>

namespace activity {

void fillBankSelector(QLabel* prompt, QComboBox* selector, const std::vector<BankChoice>& banks,
                      int selected) {
    selector->clear();
    for (const BankChoice& b : banks) selector->addItem(QString::fromStdString(b.Bank));
    selector->setCurrentIndex(selected);
    const bool several = banks.size() > 1;
    prompt->setVisible(several);
    selector->setVisible(several);
}

void highlightRow(QTableView* list, int64_t row) {
    const int rows = list->model() ? list->model()->rowCount() : 0;
    if (rows == 0) return;
    const int at = static_cast<int>(std::clamp<int64_t>(row, 0, rows - 1));
    list->selectRow(at);
    list->scrollTo(list->model()->index(at, 0));
}

void closeBrowse(QWidget* window) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget()))
        sub->close();
    else
        window->close();
}

}  // namespace activity
