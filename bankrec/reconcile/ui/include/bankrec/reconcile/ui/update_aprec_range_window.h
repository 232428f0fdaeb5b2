#pragma once
// "Mark / Unmark Range of Checks" (UpdateAPrecRangeWindow): From, To and "Mark all checks in
// range"; OK marks the range (RangeDialog) under its progress window, Cancel marks nothing.
#include <QDialog>

#include "bankrec/reconcile/update_aprec_range.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace reconcile {

class UpdateAPrecRangeWindow : public QDialog {
    Q_OBJECT
  public:
    UpdateAPrecRangeWindow(storage::FileSession& session, QWidget* parent = nullptr);

    QLineEdit* fromEdit() const { return from_; }
    QLineEdit* toEdit() const { return to_; }
    QCheckBox* markBox() const { return mark_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    const RangeDialog& dialog() const { return dialog_; }
    void reject() override;

  private:
    void ok();

    RangeDialog dialog_;
    QLineEdit* from_;
    QLineEdit* to_;
    QCheckBox* mark_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

// Runs the dialog modally over `parent` for the bank in the session's APbnk buffer; leaves
// GlobalResponse 1 when a range was marked, 2 when cancelled.
void runRangeWindow(storage::FileSession& session, QWidget* parent);

}  // namespace reconcile
