#include "corelib/ui/zor_calendar.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "corelib/daytime.h"

namespace corelib {

namespace {

constexpr int kFirstYear = 1801;
constexpr int kLastYear = 9999;

const char* const kMonths[12] = {"January",   "February", "March",    "April",
                                 "May",       "June",     "July",     "August",
                                 "September", "October",  "November", "December"};
const char* const kHeads[7] = {"Su", "Mo", "Tu", "We", "Th", "Fr", "Sa"};

int monthLength(int year, int month) {
    for (int day = 31; day >= 28; --day)
        if (daytime::dayNumber(year, month, day)) return day;
    return 0;
}

}  // namespace

std::array<int32_t, kCalendarCells> calendarCells(int year, int month) {
    std::array<int32_t, kCalendarCells> cells{};
    if (year < kFirstYear || year > kLastYear) return cells;
    const int32_t first = daytime::dayNumber(year, month, 1);
    if (!first) return cells;
    const int offset = daytime::weekday(first);
    const int days = monthLength(year, month);
    for (int d = 0; d < days; ++d) cells[static_cast<size_t>(offset + d)] = first + d;
    return cells;
}

int32_t calendarAddMonths(int32_t date, int months) {
    const auto ymd = daytime::ymd(date);
    if (!ymd.year) return date;
    int index = ymd.year * 12 + (ymd.month - 1) + months;
    const int year = index / 12;
    const int month = index % 12 + 1;
    if (year < kFirstYear || year > kLastYear) return date;
    const int32_t moved =
        daytime::dayNumber(year, month, std::min(ymd.day, monthLength(year, month)));
    return moved ? moved : date;
}

int32_t calendarAddDays(int32_t date, int days) {
    const int32_t moved = date + days;
    const auto ymd = daytime::ymd(moved);
    if (ymd.year < kFirstYear || ymd.year > kLastYear) return date;
    return moved;
}

CalendarWindow::CalendarWindow(int32_t date, QWidget* parent)
    : QDialog(parent),
      date_(date ? date : daytime::today()),
      month_(new QComboBox(this)),
      year_(new QSpinBox(this)) {
    setObjectName("CalendarWindow");
    setWindowTitle("Calendar");
    for (const char* m : kMonths) month_->addItem(m);
    month_->setObjectName("Month");
    year_->setRange(kFirstYear, kLastYear);
    year_->setObjectName("Year");
    year_->setToolTip("Current year being processed");

    auto navButton = [this](const char* text, const char* tip, auto action) {
        auto* b = new QToolButton(this);
        b->setText(text);
        b->setToolTip(tip);
        b->setObjectName(tip);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::clicked, this, action);
        return b;
    };
    auto* nav = new QHBoxLayout;
    nav->addWidget(
        navButton("<<", "Go back one month", [this] { setDate(calendarAddMonths(date_, -1)); }));
    nav->addWidget(
        navButton("<", "Go back one week", [this] { setDate(calendarAddDays(date_, -7)); }));
    nav->addWidget(
        navButton("Today", "Set calendar to today", [this] { setDate(daytime::today()); }));
    nav->addWidget(
        navButton(">", "Go forward one week", [this] { setDate(calendarAddDays(date_, 7)); }));
    nav->addWidget(
        navButton(">>", "Go forward one month", [this] { setDate(calendarAddMonths(date_, 1)); }));

    auto* head = new QHBoxLayout;
    head->addWidget(month_, 1);
    head->addWidget(year_);

    auto* grid = new QGridLayout;
    for (int c = 0; c < 7; ++c) {
        auto* l = new QLabel(kHeads[c], this);
        l->setAlignment(Qt::AlignCenter);
        grid->addWidget(l, 0, c);
    }
    for (int i = 0; i < kCalendarCells; ++i) {
        auto* cell = new QToolButton(this);
        cell->setCheckable(true);
        cell->setAutoRaise(true);
        cell->setFocusPolicy(Qt::NoFocus);
        cell->setObjectName(QString("Day%1").arg(i));
        cell->setMinimumWidth(fontMetrics().horizontalAdvance("000") + 8);
        connect(cell, &QToolButton::clicked, this, [this, i] {
            const auto cells = calendarCells(year_->value(), month_->currentIndex() + 1);
            if (cells[static_cast<size_t>(i)])
                setDate(cells[static_cast<size_t>(i)]);
            else
                showMonth();
        });
        cells_[static_cast<size_t>(i)] = cell;
        grid->addWidget(cell, 1 + i / 7, i % 7);
    }

    auto* ok = new QPushButton("&OK", this);
    ok->setObjectName("OK");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("Cancel");
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addLayout(nav);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    auto pick = [this] {
        if (updating_) return;
        const auto ymd = daytime::ymd(date_);
        const int year = year_->value();
        const int month = month_->currentIndex() + 1;
        setDate(daytime::dayNumber(year, month, std::min(ymd.day, monthLength(year, month))));
    };
    connect(month_, &QComboBox::currentIndexChanged, this, pick);
    connect(year_, &QSpinBox::valueChanged, this, pick);
    showMonth();
    ok->setFocus();
}

void CalendarWindow::setDate(int32_t date) {
    const auto ymd = daytime::ymd(date);
    if (ymd.year < kFirstYear || ymd.year > kLastYear) return;
    date_ = date;
    showMonth();
}

void CalendarWindow::showMonth() {
    updating_ = true;
    const auto ymd = daytime::ymd(date_);
    month_->setCurrentIndex(ymd.month - 1);
    year_->setValue(ymd.year);
    const auto cells = calendarCells(ymd.year, ymd.month);
    for (size_t i = 0; i < cells.size(); ++i) {
        QToolButton* cell = cells_[i];
        cell->setText(cells[i] ? QString::number(daytime::ymd(cells[i]).day) : QString());
        cell->setEnabled(cells[i] != 0);
        cell->setChecked(cells[i] == date_);
    }
    updating_ = false;
}

void CalendarWindow::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_PageUp:
            setDate(calendarAddMonths(date_, -1));
            break;
        case Qt::Key_PageDown:
            setDate(calendarAddMonths(date_, 1));
            break;
        case Qt::Key_Left:
            setDate(calendarAddDays(date_, -1));
            break;
        case Qt::Key_Right:
            setDate(calendarAddDays(date_, 1));
            break;
        case Qt::Key_Up:
            setDate(calendarAddDays(date_, -7));
            break;
        case Qt::Key_Down:
            setDate(calendarAddDays(date_, 7));
            break;
        default:
            QDialog::keyPressEvent(e);
            return;
    }
    e->accept();
}

void ZOR_CALENDAR(int32_t& date) {
    CalendarWindow window(date, QApplication::activeWindow());
    window.setWindowModality(Qt::WindowModal);
    if (window.exec() == QDialog::Accepted) date = window.date();
}

}  // namespace corelib
