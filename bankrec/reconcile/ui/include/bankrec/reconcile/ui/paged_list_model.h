#pragma once
// A table model over rows read page by page (a ViewPager): the view asks only for the rows it
// draws, so a list of 100,000 rows opens as fast as one of 100. The columns' texts come from a
// function of the row, computed once per row drawn.
#include <QAbstractTableModel>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace reconcile {

class PagedListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    struct Column {
        QString heading;
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    };
    // The number of rows, and the texts of row `index` (empty when the row is not there).
    using CountFn = std::function<int64_t()>;
    using TextsFn = std::function<std::vector<std::string>(int64_t index)>;

    PagedListModel(std::vector<Column> columns, CountFn count, TextsFn texts,
                   QObject* parent = nullptr);

    // Forgets every row shown (after the rows were read again).
    void reload();
    // Row `index` changed in place (after a mark).
    void rowChanged(int index);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    std::vector<Column> columns_;
    CountFn count_;
    TextsFn texts_;
    mutable int cachedRow_ = -1;
    mutable std::vector<std::string> cached_;
};

// The columns of an activity list with these headings: the marker centred, the date and the
// amount (the last column) right-aligned, the texts left-aligned.
std::vector<PagedListModel::Column> activityColumns(const std::vector<std::string>& headings);

}  // namespace reconcile
