#pragma once
// The calendar chooser: a month view of day cells under the weekday heads, a month list, a year
// box and buttons to move by a month or a week or to today.
#include <QDialog>
#include <array>
#include <cstdint>

class QComboBox;
class QSpinBox;
class QToolButton;

namespace corelib {

inline constexpr int kCalendarCells = 37;

// The day numbers shown in the 37 cells of a month (Sunday first; the 1st sits under its
// weekday); 0 for an empty cell. All 0 for a month outside 1801..9999.
std::array<int32_t, kCalendarCells> calendarCells(int year, int month);
// The date `months` months on (back when negative), the day kept or cut to the month's length.
// The date itself when the result would fall outside 1801..9999.
int32_t calendarAddMonths(int32_t date, int months);
// The date `days` days on, or the date itself when that falls outside 1801..9999.
int32_t calendarAddDays(int32_t date, int days);

class CalendarWindow : public QDialog {
    Q_OBJECT
  public:
    // Opens on `date` (today when 0).
    explicit CalendarWindow(int32_t date, QWidget* parent = nullptr);

    int32_t date() const { return date_; }
    void setDate(int32_t date);

  protected:
    // Page Up / Page Down: a month back / on; Left / Right: a day; Up / Down: a week.
    void keyPressEvent(QKeyEvent* e) override;

  private:
    void showMonth();

    int32_t date_;
    QComboBox* month_;
    QSpinBox* year_;
    std::array<QToolButton*, kCalendarCells> cells_{};
    bool updating_ = false;
};

// Lets the user pick a date; OK stores it in `date`, Cancel leaves `date` as it was.
void ZOR_CALENDAR(int32_t& date);

}  // namespace corelib
