#include "bankrec/imports/ui/import_exceptions_window.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "bankrec/imports/import_exceptions.h"
#include "bankrec/reports/report_writer.h"
#include "bankrec/reports/ui/printer_options.h"
#include "bankrec/shell/ui/window_place.h"
#include "corelib/daytime.h"
#include "corelib/globals.h"
#include "corelib/message.h"
#include "corelib/picture.h"

using namespace corelib;
using namespace reports;

namespace imports {

namespace {

constexpr const char* kTitle = "Import Exceptions";
constexpr const char* kPlace = "ImportExceptions";

// The list as a report: a heading with the counts, then one band per line.
class ExceptionsReport : public ReportSource {
  public:
    explicit ExceptionsReport(const ImportResult& result) : result_(result) {}

    std::string title() const override { return kTitle; }
    bool open(ReportWriter& writer, int64_t& total) override {
        total = static_cast<int64_t>(result_.exceptions.size());
        writer.setPageHeader([this](int32_t page) { return header(page); });
        return true;
    }
    Step next(ReportWriter& writer) override {
        if (next_ >= result_.exceptions.size()) return Step::End;
        const ImportException& e = result_.exceptions[next_++];
        Band b;
        const int lh = lineHeight(FontRole::Detail);
        b.text(kLine.x, 0, kLine.width, FontRole::Detail, Align::Right, std::to_string(e.line));
        b.text(kResult.x, 0, kResult.width, FontRole::Detail, Align::Left, outcomeName(e.outcome));
        const int used =
            b.wrappedText(kNote.x, 0, kNote.width, FontRole::Detail, Align::Left, e.note);
        b.wrappedText(kNote.x, std::max(used, 1) * lh, kNote.width, FontRole::Detail, Align::Left,
                      e.text);
        return writer.print(b) ? Step::Row : Step::Failed;
    }
    void finish(ReportWriter&) override {}

  private:
    struct Column {
        int x, width;
    };
    static constexpr Column kLine{kMarginLeft, 500};
    static constexpr Column kResult{kMarginLeft + 600, 1200};
    static constexpr Column kNote{kMarginLeft + 1900, kMarginRight - kMarginLeft - 1900};

    Band header(int32_t page) const {
        Band b;
        const int width = kMarginRight - kMarginLeft;
        b.text(kMarginLeft, 0, width, FontRole::Subtitle, Align::Center, kTitle);
        int y = 250;
        y += lineHeight(FontRole::Detail) * b.wrappedText(kMarginLeft, y, width, FontRole::Detail,
                                                          Align::Left,
                                                          importCountsText(result_.counts));
        for (const std::string& w : result_.warnings)
            y += lineHeight(FontRole::Detail) * b.wrappedText(kMarginLeft, y, width,
                                                              FontRole::Detail, Align::Left,
                                                              "Warning: " + w);
        b.text(
            kMarginLeft, y, width, FontRole::Detail, Align::Right,
            "Page " + std::to_string(page) + "   " + picture::formatDate("@d17", daytime::today()));
        y += lineHeight(FontRole::Detail) + 60;
        b.text(kLine.x, y, kLine.width, FontRole::Heading, Align::Right, "Line");
        b.text(kResult.x, y, kResult.width, FontRole::Heading, Align::Left, "Result");
        b.text(kNote.x, y, kNote.width, FontRole::Heading, Align::Left,
               "Looked for / Line as read");
        b.rule(kMarginLeft, y + lineHeight(FontRole::Heading) + 20, width);
        b.setMinimumHeight(y + lineHeight(FontRole::Heading) + 80);
        return b;
    }

    const ImportResult& result_;
    size_t next_ = 0;
};

std::string systemSaveChooser(QWidget* parent, const std::string& title,
                              const std::string& suggested, const std::string& filter) {
    return QFileDialog::getSaveFileName(parent, QString::fromStdString(title),
                                        QString::fromStdString(suggested),
                                        QString::fromStdString(filter))
        .toStdString();
}

}  // namespace

ImportExceptionsWindow::ImportExceptionsWindow(ImportResult result, QWidget* parent,
                                               SaveChooser chooser, ReportOutput output)
    : QDialog(parent),
      result_(std::move(result)),
      chooser_(std::move(chooser)),
      output_(std::move(output)) {
    setObjectName(kPlace);
    setWindowTitle(kTitle);
    if (!chooser_) {
        chooser_ = [this](const std::string& t, const std::string& s, const std::string& f) {
            return systemSaveChooser(this, t, s, f);
        };
    }
    if (!output_.printer) {
        output_.preview = true;
        const std::string name = QPrinterInfo::defaultPrinterName().toStdString();
        output_.printer = [name] { return qtPrinters()(name); };
    }
    counts_ = new QLabel(QString::fromStdString(importCountsText(result_.counts)), this);
    counts_->setObjectName("Counts");
    counts_->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(counts_);
    for (const std::string& w : result_.warnings) {
        auto* warning = new QLabel(QString::fromStdString("Warning: " + w), this);
        warning->setWordWrap(true);
        layout->addWidget(warning);
    }
    auto* prompt =
        new QLabel(result_.exceptions.empty() ? "Every line matched: there is nothing to look at."
                                              : "Lines that matched nothing or more than one row:",
                   this);
    layout->addWidget(prompt);
    table_ = new QTableWidget(static_cast<int>(result_.exceptions.size()), 4, this);
    table_->setObjectName("Exceptions");
    table_->setHorizontalHeaderLabels({"Line", "Result", "Looked for", "Line as read"});
    table_->verticalHeader()->setVisible(false);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setWordWrap(false);
    for (int r = 0; r < table_->rowCount(); ++r) {
        const ImportException& e = result_.exceptions[static_cast<size_t>(r)];
        auto* line = new QTableWidgetItem(QString::number(e.line));
        line->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table_->setItem(r, 0, line);
        table_->setItem(r, 1, new QTableWidgetItem(outcomeName(e.outcome)));
        table_->setItem(r, 2, new QTableWidgetItem(QString::fromStdString(e.note)));
        table_->setItem(r, 3, new QTableWidgetItem(QString::fromStdString(e.text)));
    }
    table_->resizeColumnsToContents();
    table_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table_, 1);

    print_ = new QPushButton("&Print...", this);
    save_ = new QPushButton("&Save as CSV...", this);
    close_ = new QPushButton("&Close", this);
    print_->setObjectName("?PRINT");
    save_->setObjectName("?SAVE");
    close_->setObjectName("?CLOSE");
    print_->setEnabled(!result_.exceptions.empty());
    connect(print_, &QPushButton::clicked, this, [this] { (void)printList(); });
    connect(save_, &QPushButton::clicked, this, [this] { (void)saveList(); });
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {print_, save_, close_}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    close_->setDefault(true);
    layout->addLayout(buttons);
    // Wide enough for the bank's lines as read beside what was looked for.
    setMinimumSize(fontMetrics().averageCharWidth() * 150, fontMetrics().height() * 18);
    shell::WindowPlace::restore(this, kPlace);
}

ReportResult ImportExceptionsWindow::printList() {
    ExceptionsReport report(result_);
    return runReport(report, output_);
}

bool ImportExceptionsWindow::saveList() {
    const std::string path = chooser_("Save the Exceptions", "exceptions.csv",
                                      "Comma Delimited (*.csv);;All Files (*.*)");
    if (path.empty()) return false;
    std::string error;
    if (saveExceptionsCsv(path, result_, error)) return true;
    ds_Beep();
    ds_Message("The exceptions could not be saved in " + path + ": " + error, glo_ApplicationName,
               icon::Exclamation, msg::OK);
    return false;
}

void ImportExceptionsWindow::done(int result) {
    if (!placed_) {
        placed_ = true;
        shell::WindowPlace::save(this, kPlace);
    }
    QDialog::done(result);
}

void showImportExceptions(const ImportResult& result, QWidget* parent) {
    auto* window = new ImportExceptionsWindow(result, parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setModal(false);
    window->show();
}

}  // namespace imports
