#pragma once
// The printer group of the report windows: the print system's printers with their ports (the
// current printer chosen) and whether to preview the report first.
#include <QGroupBox>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bankrec/reports/print_target.h"
#include "corelib/ui/zor_enumprinters.h"

class QCheckBox;
class QTreeWidget;

namespace reports {

// Makes the target a printer name prints to.
using PrinterFactory = std::function<std::unique_ptr<PrintTarget>(const std::string& printer)>;
// The factory the windows use unless given another: the printer through Qt's print support.
PrinterFactory qtPrinters();

class PrinterOptions : public QGroupBox {
    Q_OBJECT
  public:
    // `title` is the group's ("&4. Printer Options"), `previewLabel` the check box's.
    PrinterOptions(const QString& title, const QString& previewLabel, QWidget* parent);

    // Fills the list through ZOR_ENUMPRINTERS and chooses the current printer (else the first).
    void load();
    // The printer chosen (empty when there is none).
    std::string printer() const;

    // Once the window is up: without a printer the clerk is told, once, that printing may not
    // work ("No printers defined..."); the window stays open.
    void warnWithoutPrinters();

    QTreeWidget* printerList() const { return list_; }
    QCheckBox* previewBox() const { return preview_; }

  private:
    std::vector<corelib::PrinterEntry> printers_;
    bool loaded_ = false;
    bool warned_ = false;
    QTreeWidget* list_;
    QCheckBox* preview_;
};

}  // namespace reports
