#pragma once
// What the browses of one bank at a time share on screen: the bank selector, the highlighted
// row, and closing from their own button.
#include <cstdint>
#include <vector>

#include "bankrec/activity/bank_choices.h"

class QComboBox;
class QLabel;
class QTableView;
class QWidget;

namespace activity {

// Fills the selector with the banks and chooses `selected`; the selector and its prompt are shown
// only with two or more banks, so with one the list takes their place.
void fillBankSelector(QLabel* prompt, QComboBox* selector, const std::vector<BankChoice>& banks,
                      int selected);
// Highlights row `row` of the list, kept within the rows there are, and scrolls to it; nothing
// for an empty list.
void highlightRow(QTableView* list, int64_t row);
// Closes a browse from its "Cl&ose" button: its sub-window of the frame when it has one, else
// the window itself (either way its close handling runs, as for the title bar's X).
void closeBrowse(QWidget* window);

}  // namespace activity
