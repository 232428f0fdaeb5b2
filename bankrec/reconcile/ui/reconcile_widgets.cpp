#include "bankrec/reconcile/ui/reconcile_widgets.h"

#include <QHeaderView>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTableView>
#include <algorithm>

#include "bankrec/reconcile/reconcile_texts.h"
#include "corelib/picture.h"

using namespace corelib;

namespace reconcile {

namespace {

QPixmap canvas() {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    return pm;
}

QIcon magnifier() {
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(30, 60, 140), 2));
    p.drawEllipse(QRectF(2, 2, 8, 8));
    p.setPen(QPen(QColor(90, 60, 20), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9.5, 9.5), QPointF(14, 14));
    return QIcon(pm);
}

QIcon pencil() {
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath body;
    body.moveTo(3, 13);
    body.lineTo(4, 10);
    body.lineTo(11, 3);
    body.lineTo(13, 5);
    body.lineTo(6, 12);
    body.closeSubpath();
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(QColor(230, 180, 40));
    p.drawPath(body);
    return QIcon(pm);
}

QIcon tick(bool on) {
    QPixmap pm = canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    if (on) {
        p.setPen(QPen(QColor(0, 128, 0), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(4, 8.5), QPointF(7, 11.5), QPointF(12, 4.5)}));
    } else {
        p.setPen(QPen(QColor(180, 0, 0), 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4.5, 4.5), QPointF(11.5, 11.5));
        p.drawLine(QPointF(11.5, 4.5), QPointF(4.5, 11.5));
    }
    return QIcon(pm);
}

}  // namespace

QIcon buttonIcon(const std::string& name) {
    if (name == "~smView.ico") return magnifier();
    if (name == "~smChange.ico") return pencil();
    if (name == "~CheckOn.ico") return tick(true);
    if (name == "~CheckOff.ico") return tick(false);
    return {};
}

void setUpList(QTableView* list) {
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setShowGrid(false);
    list->setWordWrap(false);
    list->setAlternatingRowColors(true);
    list->verticalHeader()->hide();
    list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 6);
    list->horizontalHeader()->setStretchLastSection(false);
    list->horizontalHeader()->setHighlightSections(false);
}

void setColumnUnits(QTableView* list, const std::vector<int>& units) {
    const int charWidth = std::max(4, list->fontMetrics().averageCharWidth());
    const QFontMetrics header(list->horizontalHeader()->font());
    QAbstractItemModel* model = list->model();
    for (size_t c = 0; c < units.size() && static_cast<int>(c) < model->columnCount(); ++c) {
        const QString heading = model->headerData(int(c), Qt::Horizontal).toString();
        list->setColumnWidth(
            int(c), std::max(units[c] * charWidth / 4, header.horizontalAdvance(heading) + 16));
    }
}

void setActivityColumns(QTableView* list, const std::vector<int>& units, bool checks) {
    setColumnUnits(list, units);
    const QFontMetrics m = list->fontMetrics();
    list->setColumnWidth(1, std::max(list->columnWidth(1), m.horizontalAdvance("00/00/0000") + 16));
    if (checks) list->setColumnWidth(3, std::max(list->columnWidth(3), m.averageCharWidth() * 28));
    list->horizontalHeader()->setSectionResizeMode(checks ? 4 : 2, QHeaderView::Stretch);
}

PictureEdit::PictureEdit(Kind kind, QWidget* parent) : QLineEdit(parent), kind_(kind) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const int chars = kind == Kind::Amount ? 19 : kind == Kind::Count ? 10 : 11;
    setFixedWidth(fontMetrics().averageCharWidth() * chars + 16);
    setMaxLength(kind == Kind::Amount ? 24 : 12);
}

void PictureEdit::setAmount(Decimal value) {
    setText(QString::fromStdString(moneyText(value)));
}

void PictureEdit::setCount(int64_t value) {
    setText(QString::fromStdString(countText(value)));
}

void PictureEdit::setDate(int32_t dayNumber) {
    setText(QString::fromStdString(dateText(dayNumber)));
}

bool PictureEdit::amount(Decimal& out) const {
    static const picture::Picture money = *picture::Picture::parse("@n-19.2");
    const auto v = picture::parseNumber(money, text().toStdString());
    if (!v || !v->inRange()) return false;
    out = *v;
    return true;
}

bool PictureEdit::date(int32_t& out) const {
    static const picture::Picture d17 = *picture::Picture::parse("@d17");
    const auto v = picture::parseDate(d17, text().toStdString());
    if (!v) return false;
    out = *v;
    return true;
}

void PictureEdit::setOpen(bool open) {
    setReadOnly(!open);
    setFocusPolicy(open ? Qt::StrongFocus : Qt::NoFocus);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, open ? QPalette().color(QPalette::Base) : QColor(192, 192, 192));
    setPalette(pal);
}

}  // namespace reconcile
