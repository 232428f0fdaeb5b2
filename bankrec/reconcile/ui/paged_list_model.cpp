#include "bankrec/reconcile/ui/paged_list_model.h"

#include <algorithm>
#include <climits>

namespace reconcile {

PagedListModel::PagedListModel(std::vector<Column> columns, CountFn count, TextsFn texts,
                               QObject* parent)
    : QAbstractTableModel(parent),
      columns_(std::move(columns)),
      count_(std::move(count)),
      texts_(std::move(texts)) {}

void PagedListModel::reload() {
    beginResetModel();
    cachedRow_ = -1;
    endResetModel();
}

void PagedListModel::rowChanged(int index) {
    if (index == cachedRow_) cachedRow_ = -1;
    emit dataChanged(this->index(index, 0), this->index(index, columnCount() - 1));
}

int PagedListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return static_cast<int>(std::min<int64_t>(count_(), INT_MAX));
}

int PagedListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant PagedListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() >= columnCount()) return {};
    const Column& c = columns_[static_cast<size_t>(index.column())];
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(c.alignment);
    if (role != Qt::DisplayRole) return {};
    if (index.row() != cachedRow_) {
        cached_ = texts_(index.row());
        cachedRow_ = index.row();
    }
    const size_t at = static_cast<size_t>(index.column());
    return at < cached_.size() ? QString::fromStdString(cached_[at]) : QString();
}

QVariant PagedListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
    const Column& c = columns_[static_cast<size_t>(section)];
    if (role == Qt::DisplayRole) return c.heading;
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(c.alignment);
    return {};
}

std::vector<PagedListModel::Column> activityColumns(const std::vector<std::string>& headings) {
    std::vector<PagedListModel::Column> columns;
    for (size_t c = 0; c < headings.size(); ++c) {
        Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
        if (c == 0) align = Qt::AlignHCenter | Qt::AlignVCenter;
        if (c == 1 || c + 1 == headings.size()) align = Qt::AlignRight | Qt::AlignVCenter;
        columns.push_back({QString::fromStdString(headings[c]), align});
    }
    return columns;
}

}  // namespace reconcile
