#include "bankrec/banks/ui/bank_browse_model.h"

using namespace storage;

namespace banks {

BankBrowseModel::BankBrowseModel(BankBrowse& browse, QObject* parent)
    : QAbstractTableModel(parent), browse_(browse) {}

int BankBrowseModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int BankBrowseModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant BankBrowseModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size())) return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    const BankBrowseRow& r = rows_[size_t(index.row())];
    switch (index.column()) {
        case 0:
            return QString::fromStdString(r.bank.Bank);
        case 1:
            return QString::fromStdString(r.bankAccount);
        case 2:
            return QString::fromStdString(r.journals);
    }
    return {};
}

QVariant BankBrowseModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case 0:
            return QStringLiteral("Financial Institution Accounts");
        case 1:
            return QStringLiteral("Bank Account");
        case 2:
            return QStringLiteral("Journals");
    }
    return {};
}

bool BankBrowseModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !atEnd_;
}

void BankBrowseModel::fetchMore(const QModelIndex& parent) {
    if (parent.isValid() || atEnd_) return;
    std::vector<BankBrowseRow> page;
    const ViewPosition* after = rows_.empty() ? nullptr : &rows_.back().position;
    if (browse_.fetch(after, kPage, page) != Error::None || page.empty()) {
        atEnd_ = true;
        return;
    }
    if (int(page.size()) < kPage) atEnd_ = true;
    beginInsertRows({}, int(rows_.size()), int(rows_.size() + page.size()) - 1);
    for (auto& r : page) rows_.push_back(std::move(r));
    endInsertRows();
}

int BankBrowseModel::reload(int32_t bankId) {
    beginResetModel();
    rows_.clear();
    atEnd_ = false;
    endResetModel();
    fetchMore({});
    if (bankId == 0) return rows_.empty() ? -1 : 0;
    for (;;) {
        int r = rowOfBank(bankId);
        if (r >= 0 || atEnd_) return r;
        fetchMore({});
    }
}

const BankBrowseRow* BankBrowseModel::row(int r) const {
    return r >= 0 && r < int(rows_.size()) ? &rows_[size_t(r)] : nullptr;
}

int BankBrowseModel::rowOfBank(int32_t bankId) const {
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].bank.BankID == bankId) return int(i);
    return -1;
}

}  // namespace banks
