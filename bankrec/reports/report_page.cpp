#include "bankrec/reports/report_page.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QRectF>
#include <array>
#include <memory>

namespace reports {

namespace {

constexpr int kRoles = 4;

struct Fonts {
    std::array<QFont, kRoles> font;
    std::array<std::unique_ptr<QFontMetricsF>, kRoles> metrics;
    Fonts() {
        // Pixel sizes in thousandths of an inch: 12, 10, 8 and 8 points.
        const int size[kRoles] = {167, 139, 111, 111};
        const bool bold[kRoles] = {true, true, true, false};
        for (int i = 0; i < kRoles; ++i) {
            QFont f("DejaVu Sans");
            f.setStyleHint(QFont::SansSerif);
            f.setPixelSize(size[i]);
            f.setBold(bold[i]);
            f.setHintingPreference(QFont::PreferNoHinting);
            f.setKerning(false);
            // No ligatures: "ffi" stays three letters in the PDF's text, for search and copy.
            f.setStyleStrategy(QFont::PreferNoShaping);
            font[static_cast<size_t>(i)] = f;
            metrics[static_cast<size_t>(i)] = std::make_unique<QFontMetricsF>(f);
        }
    }
};

// Made once and never destroyed: fonts must not outlive the application object's font cache.
const Fonts& fonts() {
    static const Fonts* f = new Fonts;
    return *f;
}

const QFontMetricsF& metrics(FontRole role) {
    return *fonts().metrics[static_cast<size_t>(role)];
}

// The longest prefix of `s` (whole characters) no wider than `width`.
QString longestFitting(FontRole role, const QString& s, int width) {
    const QFontMetricsF& m = metrics(role);
    qsizetype low = 0, high = s.size();
    while (low < high) {
        const qsizetype mid = (low + high + 1) / 2;
        if (m.horizontalAdvance(s.left(mid)) <= width)
            low = mid;
        else
            high = mid - 1;
    }
    // Never split a surrogate pair.
    if (low > 0 && low < s.size() && s.at(low - 1).isHighSurrogate()) --low;
    return s.left(low);
}

}  // namespace

const QFont& reportFont(FontRole role) {
    return fonts().font[static_cast<size_t>(role)];
}

int lineHeight(FontRole role) {
    return static_cast<int>(metrics(role).height() + 0.999);
}

int textWidth(FontRole role, const std::string& text) {
    return static_cast<int>(metrics(role).horizontalAdvance(QString::fromStdString(text)) + 0.999);
}

std::string fitText(FontRole role, const std::string& text, int width) {
    const QString s = QString::fromStdString(text);
    if (metrics(role).horizontalAdvance(s) <= width) return text;
    return longestFitting(role, s, width).toStdString();
}

std::vector<std::string> wrapText(FontRole role, const std::string& text, int width) {
    std::vector<std::string> lines;
    const QFontMetricsF& m = metrics(role);
    QString rest = QString::fromStdString(text).trimmed();
    while (!rest.isEmpty()) {
        if (m.horizontalAdvance(rest) <= width) {
            lines.push_back(rest.toStdString());
            break;
        }
        QString line = longestFitting(role, rest, width);
        if (line.isEmpty()) line = rest.left(1);  // not even one character fits: keep going
        // Break after the last word that fits, unless the first word alone is too long.
        const qsizetype blank = line.lastIndexOf(' ');
        if (blank > 0 && line.size() < rest.size() && rest.at(line.size()) != ' ')
            line = line.left(blank);
        lines.push_back(line.trimmed().toStdString());
        rest = rest.mid(line.size()).trimmed();
    }
    return lines;
}

void paintPage(QPainter& painter, const ReportPage& page, const QRectF& target) {
    const double scale = std::min(target.width() / kPageWidth, target.height() / kPageHeight);
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(scale, scale);
    painter.setPen(Qt::black);
    int font = -1;
    for (const PageItem& item : page.items) {
        const QRectF box(item.x, item.y, item.width, item.height);
        if (item.kind == PageItem::Kind::Line) {
            painter.fillRect(QRectF(item.x, item.y, item.width, std::max(item.height, 1)),
                             Qt::black);
            continue;
        }
        if (static_cast<int>(item.font) != font) {
            font = static_cast<int>(item.font);
            painter.setFont(reportFont(item.font));
        }
        int flags = Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip;
        flags |= item.align == Align::Right    ? Qt::AlignRight
                 : item.align == Align::Center ? Qt::AlignHCenter
                                               : Qt::AlignLeft;
        painter.drawText(box, flags, QString::fromStdString(item.text));
    }
    painter.restore();
}

QDataStream& operator<<(QDataStream& out, const ReportPage& page) {
    out << qint32(page.number) << quint32(page.items.size());
    for (const PageItem& i : page.items) {
        out << quint8(i.kind) << quint8(i.font) << quint8(i.align) << qint32(i.x) << qint32(i.y)
            << qint32(i.width) << qint32(i.height)
            << QByteArray::fromRawData(i.text.data(), static_cast<qsizetype>(i.text.size()));
    }
    return out;
}

QDataStream& operator>>(QDataStream& in, ReportPage& page) {
    qint32 number = 0;
    quint32 count = 0;
    in >> number >> count;
    page.number = number;
    page.items.clear();
    for (quint32 n = 0; n < count && in.status() == QDataStream::Ok; ++n) {
        quint8 kind = 0, font = 0, align = 0;
        qint32 x = 0, y = 0, w = 0, h = 0;
        QByteArray text;
        in >> kind >> font >> align >> x >> y >> w >> h >> text;
        PageItem i;
        i.kind = kind == 1 ? PageItem::Kind::Line : PageItem::Kind::Text;
        i.font = static_cast<FontRole>(std::min<int>(font, kRoles - 1));
        i.align = static_cast<Align>(std::min<int>(align, 2));
        i.x = x;
        i.y = y;
        i.width = w;
        i.height = h;
        i.text = text.toStdString();
        page.items.push_back(std::move(i));
    }
    return in;
}

}  // namespace reports
