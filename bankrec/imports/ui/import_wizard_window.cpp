#include "bankrec/imports/ui/import_wizard_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "bankrec/imports/ui/import_exceptions_window.h"
#include "bankrec/shell/ui/window_place.h"
#include "corelib/globals.h"
#include "corelib/thread_registry.h"

using namespace corelib;

namespace imports {

namespace {

constexpr const char* kTitle = "Import Marked Checks Wizard";
constexpr const char* kTextFilter = "Text Files (*.txt);;Comma Delimited (*.csv);;All Files (*.*)";
constexpr const char* kWorkbookFilter = "Workbooks (*.ods *.xlsx);;All Files (*.*)";
constexpr const char* kBai2Filter = "BAI2 Files (*.bai *.bai2 *.txt);;All Files (*.*)";
constexpr const char* kOfxFilter = "OFX Files (*.ofx *.qfx *.qbo);;All Files (*.*)";

// Lines of a page, each quoted text one line.
QLabel* lines(QWidget* parent, std::initializer_list<const char*> texts) {
    QStringList all;
    for (const char* t : texts) all << QString::fromUtf8(t);
    auto* label = new QLabel(all.join('\n'), parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

std::string systemChooser(QWidget* parent, const std::string& title, const std::string& current,
                          const std::string& filter) {
    return QFileDialog::getOpenFileName(parent, QString::fromStdString(title),
                                        QString::fromStdString(current),
                                        QString::fromStdString(filter))
        .toStdString();
}

}  // namespace

ImportWizardWindow::ImportWizardWindow(storage::FileSession& session, QWidget* parent,
                                       FileChooser chooser)
    : QDialog(parent), wizard_(session), chooser_(std::move(chooser)) {
    setObjectName("UpdateAPrecImport");
    setWindowTitle(kTitle);
    setWindowModality(Qt::WindowModal);
    if (!chooser_) {
        chooser_ = [this](const std::string& title, const std::string& current,
                          const std::string& filter) {
            return systemChooser(this, title, current, filter);
        };
    }
    (void)wizard_.load();  // a failure was reported; the defaults stand
    ImportSettings& s = wizard_.settings();
    pages_ = new QStackedWidget(this);

    // ---- 1: the import type ----
    auto* p1 = new QWidget(pages_);
    spreadsheet_ = new QRadioButton("E&xcel Spreadsheet", p1);
    fixed_ = new QRadioButton("&Fixed format text file", p1);
    comma_ = new QRadioButton("&Comma separated text file", p1);
    bai2_ = new QRadioButton("&BAI2 cash-management file from the bank", p1);
    ofx_ = new QRadioButton("&OFX statement download (.ofx, .qfx, .qbo)", p1);
    auto* types = new QButtonGroup(p1);
    types->addButton(spreadsheet_, static_cast<int>(ImportType::Spreadsheet));
    types->addButton(fixed_, static_cast<int>(ImportType::Fixed));
    types->addButton(comma_, static_cast<int>(ImportType::Comma));
    types->addButton(bai2_, static_cast<int>(ImportType::Bai2));
    types->addButton(ofx_, static_cast<int>(ImportType::Ofx));
    typeButton(s.type)->setChecked(true);
    connect(types, &QButtonGroup::idClicked, this, [this](int id) {
        wizard_.settings().type = static_cast<ImportType>(id);
        refresh();
    });
    auto* l1 = new QVBoxLayout(p1);
    l1->addWidget(lines(p1, {"This wizard will let you mark a series of checks as cleared",
                             "using a list of checks provided in one of the following formats:"}));
    for (QRadioButton* b : {spreadsheet_, fixed_, comma_, bai2_, ofx_}) l1->addWidget(b);
    l1->addWidget(lines(
        p1, {"To begin setting up, press the next button. At any point",
             "the cancel button may be pressed and the process redone ", "at some other time."}));
    l1->addStretch();
    pages_->addWidget(p1);

    // ---- 2: the optional fields and the file ----
    auto* p2 = new QWidget(pages_);
    amount_ = new QCheckBox("Import &Amount", p2);
    decimal_ = new QCheckBox("Assume &Two Decimal Places", p2);
    cleared_ = new QCheckBox("Import Date &Cleared", p2);
    amount_->setChecked(s.amount);
    decimal_->setChecked(s.assumeDecimal);
    cleared_->setChecked(s.cleared);
    connect(amount_, &QCheckBox::toggled, this, [this](bool on) {
        wizard_.settings().amount = on;
        refresh();
    });
    connect(decimal_, &QCheckBox::toggled, this,
            [this](bool on) { wizard_.settings().assumeDecimal = on; });
    connect(cleared_, &QCheckBox::toggled, this, [this](bool on) {
        wizard_.settings().cleared = on;
        refresh();
    });
    fileText_ =
        lines(p2, {"Enter the name of the file to be used to import the cleared", "checks."});
    filePrompt_ = new QLabel("Import &Filename:", p2);
    fileName_ = new QLineEdit(QString::fromStdString(s.fileName), p2);
    fileName_->setObjectName("ImportFilename");
    fileName_->setMaxLength(255);
    filePrompt_->setBuddy(fileName_);
    connect(fileName_, &QLineEdit::textChanged, this,
            [this](const QString& t) { wizard_.settings().fileName = t.toStdString(); });
    fileButton_ = new QPushButton("...", p2);
    fileButton_->setObjectName("?LOOKUPFILE");
    fileButton_->setToolTip("Choose the file");
    fileButton_->setFixedWidth(fontMetrics().averageCharWidth() * 5);
    connect(fileButton_, &QPushButton::clicked, this, &ImportWizardWindow::chooseFile);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(filePrompt_);
    fileRow->addWidget(fileName_, 1);
    fileRow->addWidget(fileButton_);
    auto* l2 = new QVBoxLayout(p2);
    l2->addWidget(
        lines(p2, {"Indicate which of the following optional fields are also", "to be imported:"}));
    for (QCheckBox* b : {amount_, decimal_, cleared_}) l2->addWidget(b);
    l2->addSpacing(fontMetrics().height());
    l2->addWidget(fileText_);
    l2->addLayout(fileRow);
    l2->addStretch();
    pages_->addWidget(p2);
    amountControls_.push_back(decimal_);

    // ---- 3: spreadsheet columns and rows ----
    auto* p3 = new QWidget(pages_);
    auto* g3 = new QGridLayout;
    const auto row3 = [&](int r, const char* prompt, QLineEdit* e) {
        auto* label = new QLabel(prompt, p3);
        label->setBuddy(e);
        g3->addWidget(label, r, 0);
        g3->addWidget(e, r, 1);
        return label;
    };
    QLineEdit* checkCol = numberEntry(p3, "ChkCheckECol", &s.checkColumn);
    QLineEdit* amountCol = numberEntry(p3, "ChkAmountECol", &s.amountColumn);
    QLineEdit* clearedCol = numberEntry(p3, "ChkClearedECol", &s.clearedColumn);
    row3(0, "Check &Number:", checkCol);
    amountControls_.push_back(row3(1, "&Amount:", amountCol));
    clearedControls_.push_back(row3(2, "Cleared &Date:", clearedCol));
    amountControls_.push_back(amountCol);
    clearedControls_.push_back(clearedCol);
    auto* g3rows = new QGridLayout;
    auto* firstLabel = new QLabel("&First Row:", p3);
    QLineEdit* firstRow = numberEntry(p3, "ChkFirstRow", &s.firstRow);
    firstLabel->setBuddy(firstRow);
    auto* lastLabel = new QLabel("&Last Row:", p3);
    QLineEdit* lastRow = numberEntry(p3, "ChkLastRow", &s.lastRow, true);
    lastLabel->setBuddy(lastRow);
    workbook_ = new QLineEdit(QString::fromStdString(s.workbook), p3);
    workbook_->setObjectName("ImportWorkbook");
    workbook_->setMaxLength(255);
    connect(workbook_, &QLineEdit::textChanged, this,
            [this](const QString& t) { wizard_.settings().workbook = t.toStdString(); });
    auto* workbookLabel = new QLabel("&Workbook File:", p3);
    workbookLabel->setBuddy(workbook_);
    auto* workbookButton = new QPushButton("...", p3);
    workbookButton->setObjectName("?LOOKUPWORKBOOK");
    workbookButton->setToolTip("Choose a workbook file");
    workbookButton->setFixedWidth(fontMetrics().averageCharWidth() * 5);
    connect(workbookButton, &QPushButton::clicked, this, &ImportWizardWindow::chooseWorkbook);
    auto* workbookRow = new QHBoxLayout;
    workbookRow->addWidget(workbookLabel);
    workbookRow->addWidget(workbook_, 1);
    workbookRow->addWidget(workbookButton);
    g3->setColumnStretch(2, 1);
    auto* l3 = new QVBoxLayout(p3);
    l3->addWidget(lines(p3, {"Enter the column in the excel spreadsheet for each of the imported",
                             "fields. Use column 1 for column \"A\", column 2 for column \"B\",",
                             "etc. when indicating the column to be used."}));
    l3->addLayout(g3);
    l3->addWidget(
        lines(p3, {"If the first row in the spreadsheet is a title row, please change the row",
                   "indicated below."}));
    g3rows->addWidget(firstLabel, 0, 0);
    g3rows->addWidget(firstRow, 0, 1);
    g3rows->setColumnStretch(2, 1);
    l3->addLayout(g3rows);
    l3->addWidget(
        lines(p3, {"If you know the last row, please enter it below. Leaving the row blank",
                   "will cause the processing to stop after encountering 5 blank rows."}));
    auto* g3last = new QGridLayout;
    g3last->addWidget(lastLabel, 0, 0);
    g3last->addWidget(lastRow, 0, 1);
    g3last->setColumnStretch(2, 1);
    l3->addLayout(g3last);
    l3->addWidget(lines(p3, {"To read a workbook file (.ods, .xlsx) instead of the spreadsheet",
                             "open in Calc, enter its name below."}));
    l3->addLayout(workbookRow);
    l3->addStretch();
    pages_->addWidget(p3);

    // ---- 4: fixed positions ----
    auto* p4 = new QWidget(pages_);
    auto* g4 = new QGridLayout;
    g4->addWidget(new QLabel("Starting", p4), 0, 1, Qt::AlignCenter);
    g4->addWidget(new QLabel("Ending", p4), 0, 2, Qt::AlignCenter);
    struct FixedRow {
        const char* prompt;
        const char* start;
        const char* end;
        int32_t* startValue;
        int32_t* endValue;
        std::vector<QWidget*>* controls;
    };
    const FixedRow fixedRows[] = {
        {"Check &Number:", "ChkCheckStart", "ChkCheckEnd", &s.checkStart, &s.checkEnd, nullptr},
        {"&Amount:", "ChkAmountStart", "ChkAmountEnd", &s.amountStart, &s.amountEnd,
         &amountControls_},
        {"Cleared &Date:", "ChkClearedStart", "ChkClearedEnd", &s.clearedStart, &s.clearedEnd,
         &clearedControls_},
    };
    int r4 = 1;
    for (const FixedRow& f : fixedRows) {
        auto* label = new QLabel(f.prompt, p4);
        QLineEdit* start = numberEntry(p4, f.start, f.startValue);
        QLineEdit* end = numberEntry(p4, f.end, f.endValue);
        label->setBuddy(start);
        g4->addWidget(label, r4, 0);
        g4->addWidget(start, r4, 1);
        g4->addWidget(end, r4, 2);
        if (f.controls) f.controls->insert(f.controls->end(), {label, start, end});
        ++r4;
    }
    // A paid-items layout's date: the format it is written in.
    dateFormat_ = new QComboBox(p4);
    dateFormat_->setObjectName("ChkClearedFormat");
    for (ClearedDateFormat f :
         {ClearedDateFormat::Standard, ClearedDateFormat::YYYYMMDD, ClearedDateFormat::YYMMDD,
          ClearedDateFormat::MMDDYYYY, ClearedDateFormat::MMDDYY}) {
        const std::string name = clearedDateFormatName(f);
        dateFormat_->addItem(
            name.empty() ? "Short date (with \"/\") or day number" : QString::fromStdString(name),
            static_cast<int>(f));
    }
    dateFormat_->setCurrentIndex(dateFormat_->findData(static_cast<int>(s.clearedFormat)));
    connect(dateFormat_, &QComboBox::currentIndexChanged, this, [this](int i) {
        wizard_.settings().clearedFormat =
            static_cast<ClearedDateFormat>(dateFormat_->itemData(i).toInt());
    });
    auto* formatLabel = new QLabel("Date &Format:", p4);
    formatLabel->setBuddy(dateFormat_);
    g4->addWidget(formatLabel, r4, 0);
    g4->addWidget(dateFormat_, r4, 1, 1, 3, Qt::AlignLeft);
    clearedControls_.insert(clearedControls_.end(), {formatLabel, dateFormat_});
    g4->setColumnStretch(3, 1);
    auto* l4 = new QVBoxLayout(p4);
    l4->addWidget(lines(p4, {"Enter the name of the import file, starting position and ending",
                             "positions for each of the imported fields."}));
    l4->addLayout(g4);
    l4->addStretch();
    pages_->addWidget(p4);

    // ---- 5: comma fields ----
    auto* p5 = new QWidget(pages_);
    auto* g5 = new QGridLayout;
    struct CommaRow {
        const char* prompt;
        const char* setting;
        int32_t* value;
        std::vector<QWidget*>* controls;
    };
    const CommaRow commaRows[] = {
        {"Check &Number:", "ChkCheckCCol", &s.checkField, nullptr},
        {"&Amount:", "ChkAmountCCol", &s.amountField, &amountControls_},
        {"Cleared &Date:", "ChkClearedCCol", &s.clearedField, &clearedControls_},
    };
    int r5 = 0;
    for (const CommaRow& c : commaRows) {
        auto* label = new QLabel(c.prompt, p5);
        QLineEdit* e = numberEntry(p5, c.setting, c.value);
        label->setBuddy(e);
        g5->addWidget(label, r5, 0);
        g5->addWidget(e, r5, 1);
        if (c.controls) c.controls->insert(c.controls->end(), {label, e});
        ++r5;
    }
    g5->setColumnStretch(2, 1);
    auto* l5 = new QVBoxLayout(p5);
    l5->addWidget(
        lines(p5, {"Enter the name of the import file and column of each imported field."}));
    l5->addLayout(g5);
    l5->addStretch();
    pages_->addWidget(p5);

    // ---- 6: the summary ----
    auto* p6 = new QWidget(pages_);
    summary_ = new QLabel(p6);
    summary_->setObjectName("Summary");
    summary_->setTextFormat(Qt::PlainText);
    summary_->setWordWrap(true);
    auto* closing = new QLabel(
        "If this is what you want to do, press the \"Finish\" button.  If there are changes "
        "required in the choices you have made, use the \"Next\" and \"Previous\" buttons to "
        "change those entries.  You may also press the \"Cancel\" button and return to this "
        "process at some later time.",
        p6);
    closing->setTextFormat(Qt::PlainText);
    closing->setWordWrap(true);
    auto* l6 = new QVBoxLayout(p6);
    l6->addWidget(summary_);
    l6->addSpacing(fontMetrics().height());
    l6->addWidget(closing);
    l6->addStretch();
    pages_->addWidget(p6);

    // ---- 7 and 8: the bank files; one set of deposit controls moves to the page shown ----
    const auto bankPage = [&](std::initializer_list<const char*> intro) {
        auto* p = new QWidget(pages_);
        auto* l = new QVBoxLayout(p);
        l->addWidget(lines(p, intro));
        l->addSpacing(fontMetrics().height());
        l->addStretch();
        bankLayouts_.push_back(l);
        pages_->addWidget(p);
    };
    bankPage({"The BAI2 file's paid checks (detail codes 474 and 475) are matched by",
              "the check number in the customer reference field and, with Import",
              "Amount, their amount; with Import Date Cleared the group's as-of date",
              "is written as the date cleared. A file with several accounts asks",
              "which account to import."});
    bankPage({"The OFX statement's transactions with a check number (CHECKNUM, or a",
              "number in REFNUM on money going out) are matched as checks by that",
              "number and, with Import Amount, their amount; with Import Date Cleared",
              "the posting date is written as the date cleared."});

    deposits_ = new QWidget(bankLayouts_.front()->parentWidget());
    depositBox_ = new QCheckBox("Match credits to &deposits of the same amount", deposits_);
    depositBox_->setChecked(s.deposits);
    connect(depositBox_, &QCheckBox::toggled, this, [this](bool on) {
        wizard_.settings().deposits = on;
        refresh();
    });
    depositDays_ = numberEntry(deposits_, "ImportDepositDays", &s.depositDays);
    depositDaysLabel_ = new QLabel("Days &before the posting date:", deposits_);
    depositDaysLabel_->setBuddy(depositDays_);
    auto* depositRow = new QHBoxLayout;
    depositRow->addSpacing(fontMetrics().averageCharWidth() * 3);
    depositRow->addWidget(depositDaysLabel_);
    depositRow->addWidget(depositDays_);
    depositRow->addStretch();
    auto* depositLayout = new QVBoxLayout(deposits_);
    depositLayout->setContentsMargins(0, 0, 0, 0);
    depositLayout->addWidget(depositBox_);
    depositLayout->addLayout(depositRow);
    depositLayout->addWidget(
        lines(deposits_, {"A credit is marked only when exactly one unmarked deposit fits; a",
                          "credit that more than one deposit could be is listed, never marked."}));
    bankLayouts_.front()->insertWidget(2, deposits_);

    // ---- buttons ----
    previous_ = new QPushButton("&Previous", this);
    next_ = new QPushButton("&Next", this);
    finish_ = new QPushButton("Fi&nish", this);
    cancel_ = new QPushButton("Cancel", this);
    previous_->setObjectName("?PREVIOUS");
    next_->setObjectName("?NEXT");
    finish_->setObjectName("?FINISH");
    cancel_->setObjectName("?CANCEL");
    connect(previous_, &QPushButton::clicked, this, &ImportWizardWindow::goPrevious);
    connect(next_, &QPushButton::clicked, this, &ImportWizardWindow::goNext);
    connect(finish_, &QPushButton::clicked, this, &ImportWizardWindow::finish);
    connect(cancel_, &QPushButton::clicked, this, &ImportWizardWindow::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {previous_, next_, finish_, cancel_}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_, 1);
    layout->addLayout(buttons);
    setMinimumWidth(fontMetrics().averageCharWidth() * 76);

    shell::WindowPlace::restore(this, kImportWizardProcedure);
    showPage(wizard_.page());
}

ImportWizardWindow::~ImportWizardWindow() = default;

QRadioButton* ImportWizardWindow::typeButton(ImportType type) const {
    switch (type) {
        case ImportType::Fixed:
            return fixed_;
        case ImportType::Comma:
            return comma_;
        case ImportType::Bai2:
            return bai2_;
        case ImportType::Ofx:
            return ofx_;
        case ImportType::Spreadsheet:
            break;
    }
    return spreadsheet_;
}

QLineEdit* ImportWizardWindow::entry(const std::string& setting) const {
    for (const auto& [name, e] : entries_)
        if (name == setting) return e;
    return nullptr;
}

QLineEdit* ImportWizardWindow::numberEntry(QWidget* parent, const std::string& setting,
                                           int32_t* value, bool blankWhenZero) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromStdString(setting));
    e->setValidator(new QIntValidator(e));
    e->setMaxLength(11);
    e->setMaximumWidth(fontMetrics().averageCharWidth() * 12);
    e->setAlignment(Qt::AlignRight);
    e->setText(blankWhenZero && *value == 0 ? QString() : QString::number(*value));
    connect(e, &QLineEdit::textChanged, this,
            [value](const QString& t) { *value = t.trimmed().toInt(); });
    entries_.push_back({setting, e});
    return e;
}

void ImportWizardWindow::showPage(int page) {
    if (page == 7 || page == 8) {
        QVBoxLayout* l = bankLayouts_[static_cast<size_t>(page - 7)];
        deposits_->setParent(l->parentWidget());
        l->insertWidget(2, deposits_);
        deposits_->show();
    }
    pages_->setCurrentIndex(page - 1);
    refresh();
}

void ImportWizardWindow::refresh() {
    const int page = wizard_.page();
    if (pages_->currentIndex() != page - 1) pages_->setCurrentIndex(page - 1);
    previous_->setEnabled(wizard_.previousEnabled());
    next_->setEnabled(wizard_.nextEnabled());
    finish_->setEnabled(wizard_.finishEnabled());
    finish_->setDefault(wizard_.finishEnabled());
    next_->setDefault(!wizard_.finishEnabled());
    const bool file = wizard_.fileControlsEnabled();
    for (QWidget* w :
         std::initializer_list<QWidget*>{fileText_, filePrompt_, fileName_, fileButton_})
        w->setEnabled(file);
    for (QWidget* w : amountControls_) w->setEnabled(wizard_.amountControlsEnabled());
    for (QWidget* w : clearedControls_) w->setEnabled(wizard_.clearedControlsEnabled());
    decimal_->setEnabled(wizard_.decimalEnabled());
    depositDaysLabel_->setEnabled(wizard_.depositDaysEnabled());
    depositDays_->setEnabled(wizard_.depositDaysEnabled());
    if (page == ImportWizard::kLastPage)
        summary_->setText(QString::fromStdString(wizard_.summary()));
}

void ImportWizardWindow::goNext() {
    wizard_.next();
    showPage(wizard_.page());
}

void ImportWizardWindow::goPrevious() {
    wizard_.previous();
    showPage(wizard_.page());
}

void ImportWizardWindow::chooseFile() {
    const ImportType type = wizard_.settings().type;
    const char* filter = type == ImportType::Bai2  ? kBai2Filter
                         : type == ImportType::Ofx ? kOfxFilter
                                                   : kTextFilter;
    const std::string chosen = chooser_("Choose a File", fileName_->text().toStdString(), filter);
    if (!chosen.empty()) fileName_->setText(QString::fromStdString(chosen));
}

void ImportWizardWindow::chooseWorkbook() {
    const std::string chosen =
        chooser_("Choose a Workbook", workbook_->text().toStdString(), kWorkbookFilter);
    if (!chosen.empty()) workbook_->setText(QString::fromStdString(chosen));
}

void ImportWizardWindow::finish() {
    if (!wizard_.finishEnabled()) return;
    for (QPushButton* b : {previous_, next_, finish_, cancel_}) b->setEnabled(false);
    result_ = wizard_.finish();
    accept();
}

void ImportWizardWindow::reject() {
    GlobalResponse = RequestCancelled;
    QDialog::reject();
}

void ImportWizardWindow::done(int result) {
    if (!placed_) {
        placed_ = true;
        shell::WindowPlace::save(this, kImportWizardProcedure);
    }
    QDialog::done(result);
}

void UpdateAPrecImport(storage::FileSession& session, QWidget* parent) {
    THREAD_LOG("UpdateAPrecImport");
    GlobalResponse = RequestCancelled;
    {
        ImportWizardWindow window(session, parent);
        if (window.exec() == QDialog::Accepted) {
            const ImportResult& result = window.result();
            GlobalResponse =
                result.end == ImportEnd::Completed ? RequestCompleted : RequestCancelled;
            // What the run did and what did not match, beside the worksheet.
            if (result.end == ImportEnd::Completed) showImportExceptions(result, parent);
        }
    }
    THREAD_RETURN("UpdateAPrecImport");
}

}  // namespace imports
