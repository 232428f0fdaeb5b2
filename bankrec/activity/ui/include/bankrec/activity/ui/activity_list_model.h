#pragma once
// The register's list: a table model over the pager, so the view asks only for the rows it
// draws and a register of 100,000 rows opens as fast as one of 100. Each row has two lines: the
// display role gives the first, SecondLineRole the second (drawn by TwoLineDelegate).
#include <QAbstractTableModel>
#include <QStyledItemDelegate>

namespace activity {

class ActivityPager;

class ActivityListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Role { SecondLineRole = Qt::UserRole + 1, ActivityIdRole };

    explicit ActivityListModel(ActivityPager& pager, QObject* parent = nullptr);

    // Forgets every row shown; the pager must have been refreshed first.
    void reload();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    ActivityPager& pager_;
};

// Draws a row's two lines: the first on a yellow background with the selection bar when
// selected, the second always in the window's own colours.
class TwoLineDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // The height of one row: two lines of text.
    static int rowHeight(const QFontMetrics& metrics);
};

}  // namespace activity
