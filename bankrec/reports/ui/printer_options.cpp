#include "bankrec/reports/ui/printer_options.h"

#include <QCheckBox>
#include <QLabel>
#include <QPrinterInfo>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "bankrec/reports/ui/printer_target.h"
#include "corelib/message.h"

using namespace corelib;

namespace reports {

PrinterFactory qtPrinters() {
    return [](const std::string& name) { return std::make_unique<QPrinterTarget>(name); };
}

PrinterOptions::PrinterOptions(const QString& title, const QString& previewLabel, QWidget* parent)
    : QGroupBox(title, parent) {
    list_ = new QTreeWidget(this);
    list_->setColumnCount(2);
    list_->setHeaderHidden(true);
    list_->setRootIsDecorated(false);
    list_->setColumnWidth(0, fontMetrics().averageCharWidth() * 24);
    list_->setMinimumHeight(fontMetrics().height() * 4);
    list_->setMaximumHeight(fontMetrics().height() * 8);
    auto* prompt = new QLabel("Pri&nter:", this);
    prompt->setBuddy(list_);
    preview_ = new QCheckBox(previewLabel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(list_);
    layout->addWidget(preview_);
}

void PrinterOptions::load() {
    ZOR_ENUMPRINTERS(printers_);
    loaded_ = true;
    list_->clear();
    const QString current = QPrinterInfo::defaultPrinterName();
    QTreeWidgetItem* chosen = nullptr;
    for (const PrinterEntry& p : printers_) {
        auto* item = new QTreeWidgetItem(
            list_, {QString::fromStdString(p.name), QString::fromStdString(p.port)});
        if (!chosen || QString::fromStdString(p.name) == current) chosen = item;
    }
    if (chosen) list_->setCurrentItem(chosen);
}

std::string PrinterOptions::printer() const {
    const QTreeWidgetItem* item = list_->currentItem();
    return item ? item->text(0).toStdString() : std::string();
}

void PrinterOptions::warnWithoutPrinters() {
    if (warned_ || !loaded_ || !printers_.empty()) return;
    warned_ = true;
    ds_Beep();
    ds_Message(
        "No printers defined. Printing this report may not work unless printers are added to the "
        "system.",
        window()->windowTitle().toStdString(), icon::Information, msg::OK);
}

}  // namespace reports
