#pragma once
// Pieces the reconciliation windows share: their small button icons by the names the rules give
// ("~smView.ico", "~smChange.ico", "~CheckOn.ico", "~CheckOff.ico"), list views set up alike,
// and the summary fields of a statement with their pictures.
#include <QIcon>
#include <QLineEdit>
#include <QString>
#include <cstdint>
#include <string>

#include "corelib/decimal.h"

class QTableView;

namespace reconcile {

// The icon of a button by its name; a null icon for an unknown name.
QIcon buttonIcon(const std::string& name);

// A list view for rows: one selected at a time, no grid, no row numbers.
void setUpList(QTableView* list);
// Sets column widths in dialog units (a quarter of the average character width), each at
// least as wide as its heading.
void setColumnUnits(QTableView* list, const std::vector<int>& units);
// The columns of an activity list (marker, date, [check, to,] description, amount) sized as
// the units give, the date wide enough for four-digit years, the payee for a full name, and the
// description taking the width left over.
void setActivityColumns(QTableView* list, const std::vector<int>& units, bool checks);

// A summary field: an amount (@n-19.2), a count (@n-13) or a date (@d17 / @d17b) shown right-
// aligned; typed text is read back with the same picture.
class PictureEdit : public QLineEdit {
    Q_OBJECT
  public:
    enum class Kind { Amount, Count, Date };
    PictureEdit(Kind kind, QWidget* parent = nullptr);

    Kind kind() const { return kind_; }
    void setAmount(corelib::Decimal value);
    void setCount(int64_t value);
    void setDate(int32_t dayNumber);
    // The typed value; false (and the value untouched) when the text does not read.
    bool amount(corelib::Decimal& out) const;
    bool date(int32_t& out) const;
    // Open to typing, or read-only on a light grey background and skipped by Tab.
    void setOpen(bool open);

  private:
    Kind kind_;
};

}  // namespace reconcile
