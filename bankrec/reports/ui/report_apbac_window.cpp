#include "bankrec/reports/ui/report_apbac_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "bankrec/shell/ui/window_place.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/saved_error.h"
#include "bankrec/storage/warnings.h"
#include "corelib/message.h"
#include "corelib/picture.h"
#include "corelib/thread_registry.h"
#include "corelib/ui/zor_calendar.h"

using namespace corelib;
using namespace storage;
using namespace shell;
using namespace activity;

namespace reports {

RegisterReportWindow::RegisterReportWindow(FileSession& session, const Configuration* configuration,
                                           QWidget* parent, PrinterFactory printers)
    : QDialog(parent),
      session_(session),
      configuration_(configuration),
      printers_(std::move(printers)) {
    if (!printers_) printers_ = qtPrinters();
    setWindowTitle(kRegisterReportWindowTitle);
    setObjectName(kRegisterReportProcedure);

    auto* banks = new QGroupBox("&1. Financial Institution Accounts", this);
    allBanks_ = new QRadioButton("&All", banks);
    selectBank_ = new QRadioButton("&Select:", banks);
    selectBank_->setToolTip("Select one or all");
    allBanks_->setToolTip("Select one or all");
    bankList_ = new QComboBox(banks);
    bankList_->setMinimumWidth(fontMetrics().averageCharWidth() * 40);
    auto* bankLayout = new QGridLayout(banks);
    bankLayout->addWidget(allBanks_, 0, 0);
    bankLayout->addWidget(selectBank_, 1, 0);
    bankLayout->addWidget(bankList_, 1, 1);
    bankLayout->setColumnStretch(1, 1);

    auto* dates = new QGroupBox("&2. Date Selection", this);
    fromDate_ = new QLineEdit(dates);
    toDate_ = new QLineEdit(dates);
    fromCalendar_ = new QToolButton(dates);
    toCalendar_ = new QToolButton(dates);
    auto* dateLayout = new QGridLayout(dates);
    const int dateWidth = fontMetrics().horizontalAdvance("00/00/00000") + 16;
    int row = 0;
    for (auto [label, field, button] : {std::tuple{"Date &From:", fromDate_, fromCalendar_},
                                        std::tuple{"Date &To:", toDate_, toCalendar_}}) {
        auto* prompt = new QLabel(label, dates);
        prompt->setBuddy(field);
        field->setFixedWidth(dateWidth);
        button->setText("...");
        button->setToolTip("Calendar");
        dateLayout->addWidget(prompt, row, 0);
        dateLayout->addWidget(field, row, 1);
        dateLayout->addWidget(button, row, 2);
        ++row;
    }
    dateLayout->setColumnStretch(3, 1);

    auto* include = new QGroupBox("&3. Include", this);
    include_ = new QButtonGroup(this);
    auto* includeLayout = new QHBoxLayout(include);
    const char* includeNames[] = {"All", "Checks", "Deposits"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(includeNames[i], include);
        include_->addButton(b, i);
        includeLayout->addWidget(b);
    }
    includeLayout->addStretch();

    printer_ = new PrinterOptions("&4. Printer Options", "&Preview Report Before Printing", this);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    ok->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(banks);
    layout->addWidget(dates);
    layout->addWidget(include);
    layout->addWidget(printer_);
    layout->addWidget(buttons);

    connect(selectBank_, &QRadioButton::toggled, bankList_, &QWidget::setEnabled);
    connect(fromDate_, &QLineEdit::editingFinished, this, [this] { dateEdited(fromDate_, from_); });
    connect(toDate_, &QLineEdit::editingFinished, this, [this] { dateEdited(toDate_, to_); });
    connect(fromCalendar_, &QToolButton::clicked, this, [this] { pickDate(fromDate_, from_); });
    connect(toCalendar_, &QToolButton::clicked, this, [this] { pickDate(toDate_, to_); });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        (void)runReport();  // the report told the user how it ended
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

RegisterReportWindow::~RegisterReportWindow() = default;

void RegisterReportWindow::load() {
    const RegisterSelection s = RegisterSelection::remembered();
    WindowPlace::restore(this, kRegisterReportProcedure);
    {
        FileUse files(session_, {FileId::APbnk});
        if (files.error() == Error::None && loadBankChoices(session_, banks_) != Error::None) {
            saveError(session_);
            StandardWarning(Warn_RecordFetchError, "APbnk");
        }
    }
    int chosen = 0;
    for (size_t i = 0; i < banks_.size(); ++i) {
        bankList_->addItem(QString::fromStdString(banks_[i].Bank));
        if (banks_[i].BankID == s.BankID) chosen = static_cast<int>(i);
    }
    bankList_->setCurrentIndex(banks_.empty() ? -1 : chosen);
    (s.BankSelectBox == 1 ? selectBank_ : allBanks_)->setChecked(true);
    bankList_->setEnabled(s.BankSelectBox == 1);
    from_ = s.FromDate;
    to_ = s.ToDate;
    showDate(fromDate_, from_);
    showDate(toDate_, to_);
    include_->button(s.Include == 1 || s.Include == 2 ? s.Include : 0)->setChecked(true);
    printer_->previewBox()->setChecked(s.PreviewReport == 1);

    printer_->load();
}

void RegisterReportWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    printer_->warnWithoutPrinters();
}

QRadioButton* RegisterReportWindow::includeButton(int include) const {
    return qobject_cast<QRadioButton*>(include_->button(include));
}

RegisterSelection RegisterReportWindow::selection() const {
    RegisterSelection s;
    s.BankSelectBox = selectBank_->isChecked() ? 1 : 0;
    const int bank = bankList_->currentIndex();
    s.BankID = bank >= 0 && bank < static_cast<int>(banks_.size())
                   ? banks_[static_cast<size_t>(bank)].BankID
                   : 0;
    s.FromDate = from_;
    s.ToDate = to_;
    s.PreviewReport = printer_->previewBox()->isChecked() ? 1 : 0;
    s.Include = include_->checkedId() < 0 ? 0 : include_->checkedId();
    return s;
}

std::string RegisterReportWindow::printer() const {
    return printer_->printer();
}

QTreeWidget* RegisterReportWindow::printerList() const {
    return printer_->printerList();
}

QCheckBox* RegisterReportWindow::previewBox() const {
    return printer_->previewBox();
}

void RegisterReportWindow::showDate(QLineEdit* field, int32_t date) {
    field->setText(QString::fromStdString(picture::formatDate("@d17b", date)));
}

void RegisterReportWindow::dateEdited(QLineEdit* field, int32_t& date) {
    const std::optional<int32_t> typed =
        picture::parseDate(*picture::Picture::parse("@d17b"), field->text().toStdString());
    if (typed) {
        date = *typed;
    } else {
        ds_Beep();
    }
    showDate(field, date);
}

void RegisterReportWindow::pickDate(QLineEdit* field, int32_t& date) {
    dateEdited(field, date);
    ZOR_CALENDAR(date);
    showDate(field, date);
}

void RegisterReportWindow::remember() {
    if (remembered_) return;
    remembered_ = true;
    selection().remember();
    WindowPlace::save(this, kRegisterReportProcedure);
}

ReportResult RegisterReportWindow::runReport() {
    // A date still being typed counts.
    dateEdited(fromDate_, from_);
    dateEdited(toDate_, to_);
    remember();
    const RegisterSelection s = selection();
    ReportOutput output;
    const std::string name = printer();
    output.printer = [this, name] { return printers_(name); };
    const ReportResult r =
        ReportAPbac(session_, s, organizationName(session_, configuration_), output);
    accept();
    return r;
}

void RegisterReportWindow::done(int result) {
    remember();
    QDialog::done(result);
}

void ReportAPbacWindow(FileSession& session, const Configuration* configuration, QWidget* parent) {
    THREAD_LOG(kRegisterReportProcedure);
    RegisterReportWindow window(session, configuration, parent);
    window.setWindowModality(Qt::WindowModal);
    window.load();
    window.exec();
    THREAD_RETURN(kRegisterReportProcedure);
}

}  // namespace reports
