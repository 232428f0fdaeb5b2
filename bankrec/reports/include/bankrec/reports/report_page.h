#pragma once
// One printed page as the list of what is drawn on it, in page units of a thousandth of an inch
// from the page's top left corner, and paintPage, the one routine that draws it. A report lays
// each page out once; the page is then drawn into an SVG page file for the preview and its
// search, or straight onto a printer or PDF, so printed text always stays real text.
#include <QDataStream>
#include <QFont>
#include <cstdint>
#include <string>
#include <vector>

class QPainter;
class QRectF;

namespace reports {

// US Letter, portrait.
inline constexpr int kPageWidth = 8500;
inline constexpr int kPageHeight = 11000;

// The report fonts, by use.
enum class FontRole : uint8_t {
    Title = 0,  // organisation name
    Subtitle,   // report title line
    Heading,    // column headings, labels of totals
    Detail,     // rows
};
// The font of a role, sized in page units (its pixel size is in thousandths of an inch).
const QFont& reportFont(FontRole role);
// The height of one line of a role's font, in page units.
int lineHeight(FontRole role);
// The width of a text in a role's font, in page units.
int textWidth(FontRole role, const std::string& text);
// Words of the text on lines no wider than `width` (a word longer than the width is cut where
// it no longer fits). An empty text gives no line.
std::vector<std::string> wrapText(FontRole role, const std::string& text, int width);
// The text cut, at a character boundary, to fit `width`.
std::string fitText(FontRole role, const std::string& text, int width);

enum class Align : uint8_t { Left = 0, Right, Center };

struct PageItem {
    enum class Kind : uint8_t { Text = 0, Line };
    Kind kind = Kind::Text;
    FontRole font = FontRole::Detail;
    Align align = Align::Left;
    int32_t x = 0;  // the item's box
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;  // a line: its thickness
    std::string text;    // UTF-8, already fitted to the box
};

struct ReportPage {
    int32_t number = 0;
    std::vector<PageItem> items;
};

// Draws the page onto the painter, scaled into `target` (in the painter's coordinates) with
// the page's proportions kept and its top left corner at the target's.
void paintPage(QPainter& painter, const ReportPage& page, const QRectF& target);

// A page's binary form, for page stores on disk.
QDataStream& operator<<(QDataStream& out, const ReportPage& page);
QDataStream& operator>>(QDataStream& in, ReportPage& page);

}  // namespace reports
