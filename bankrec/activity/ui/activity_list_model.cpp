#include "bankrec/activity/ui/activity_list_model.h"

#include <QApplication>
#include <QPainter>

#include "bankrec/activity/activity_pager.h"
#include "bankrec/activity/register_rows.h"

namespace activity {

namespace {

Qt::Alignment alignmentOf(int column) {
    switch (column) {
        case ColActivityDate:
        case ColPayment:
        case ColDeposit:
            return Qt::AlignRight | Qt::AlignVCenter;
        case ColIndicator:
            return Qt::AlignHCenter | Qt::AlignVCenter;
        default:
            return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

// Yellow, 00FFFFh in blue-green-red order.
const QColor kFirstLineBackground(255, 255, 0);

}  // namespace

ActivityListModel::ActivityListModel(ActivityPager& pager, QObject* parent)
    : QAbstractTableModel(parent), pager_(pager) {}

void ActivityListModel::reload() {
    beginResetModel();
    endResetModel();
}

int ActivityListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return static_cast<int>(std::min<int64_t>(pager_.count(), INT32_MAX));
}

int ActivityListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : RegisterColumnCount;
}

QVariant ActivityListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(alignmentOf(index.column()));
    if (role != Qt::DisplayRole && role != SecondLineRole && role != ActivityIdRole) return {};
    const RegisterRow* row = pager_.row(index.row());
    if (!row) return {};
    if (role == ActivityIdRole) return row->rec.ActivityID;
    const RegisterLines lines = registerLines(*row);
    const auto& texts = role == Qt::DisplayRole ? lines.first : lines.second;
    return QString::fromStdString(texts[static_cast<size_t>(index.column())]);
}

QVariant ActivityListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= RegisterColumnCount) return {};
    if (role == Qt::DisplayRole)
        return QString::fromStdString(registerHeadings()[static_cast<size_t>(section)]);
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(alignmentOf(section));
    return {};
}

int TwoLineDelegate::rowHeight(const QFontMetrics& metrics) {
    return 2 * metrics.height() + 6;
}

QSize TwoLineDelegate::sizeHint(const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(rowHeight(option.fontMetrics));
    return size;
}

void TwoLineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& pal = option.palette;
    const QRect all = option.rect;
    const int half = all.height() / 2;
    const QRect first(all.left(), all.top(), all.width(), half);
    const QRect second(all.left(), all.top() + half, all.width(), all.height() - half);
    const Qt::Alignment align =
        Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask;
    const int pad = 4;

    painter->save();
    painter->fillRect(first, selected ? pal.color(QPalette::Highlight) : kFirstLineBackground);
    painter->setPen(selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text));
    painter->drawText(first.adjusted(pad, 0, -pad, 0), align | Qt::AlignVCenter,
                      option.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(),
                                                    Qt::ElideRight, first.width() - 2 * pad));
    painter->fillRect(second, pal.color(QPalette::Base));
    painter->setPen(pal.color(QPalette::Text));
    const QString below = index.data(ActivityListModel::SecondLineRole).toString();
    if (!below.isEmpty()) {
        painter->drawText(
            second.adjusted(pad, 0, -pad, 0), align | Qt::AlignVCenter,
            option.fontMetrics.elidedText(below, Qt::ElideRight, second.width() - 2 * pad));
    }
    painter->restore();
}

}  // namespace activity
