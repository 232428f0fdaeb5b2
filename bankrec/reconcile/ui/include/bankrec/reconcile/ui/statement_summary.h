#pragma once
// "Account Summary": a statement's figures as the worksheet and the viewer show them, each field
// with its label and picture: the previous closing balance and date, the marked deposits and
// checks with their counts, the service charge and interest with their dates, and the closing
// balance and date.
#include <QGroupBox>
#include <map>

#include "bankrec/reconcile/update_aprec_new.h"

class QLabel;

namespace reconcile {

class PictureEdit;

class StatementSummary : public QGroupBox {
    Q_OBJECT
  public:
    explicit StatementSummary(QWidget* parent = nullptr);

    // The fields a user types into (read-only in the viewer).
    PictureEdit* field(SummaryField which) const;
    // The counts and totals of the marks: always read-only.
    PictureEdit* depositsCount() const { return depositsCount_; }
    PictureEdit* depositsAmount() const { return depositsAmount_; }
    PictureEdit* checksCount() const { return checksCount_; }
    PictureEdit* checksAmount() const { return checksAmount_; }
    // The service charge and interest prompts (the viewer names the ledger batches there).
    QLabel* serviceChargePrompt() const { return chargePrompt_; }
    QLabel* interestPrompt() const { return interestPrompt_; }
    // The typed fields in tab order.
    std::vector<QWidget*> tabOrder() const;

    // Shows every figure of the statement.
    void show(const storage::APrec& r);
    // Makes every typed field read-only (the viewer).
    void setViewOnly();

  private:
    std::map<SummaryField, PictureEdit*> fields_;
    PictureEdit* depositsCount_;
    PictureEdit* depositsAmount_;
    PictureEdit* checksCount_;
    PictureEdit* checksAmount_;
    QLabel* chargePrompt_;
    QLabel* interestPrompt_;
};

}  // namespace reconcile
