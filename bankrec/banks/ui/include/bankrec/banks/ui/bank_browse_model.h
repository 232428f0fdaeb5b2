#pragma once
// The bank browse's list: its three columns over BankBrowse, a page of rows fetched whenever the
// view scrolls near the end of what it holds.
#include <QAbstractTableModel>
#include <vector>

#include "bankrec/banks/bank_browse.h"

namespace banks {

class BankBrowseModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    static constexpr int kPage = 100;

    explicit BankBrowseModel(BankBrowse& browse, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    // Reads the list again from the first row, fetching until `bankId` (when not 0) is loaded.
    // Returns that bank's row, or -1.
    int reload(int32_t bankId = 0);
    const BankBrowseRow* row(int r) const;
    int rowOfBank(int32_t bankId) const;

  private:
    BankBrowse& browse_;
    std::vector<BankBrowseRow> rows_;
    bool atEnd_ = false;
};

}  // namespace banks
