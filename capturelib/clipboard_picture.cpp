#include "clipboard_picture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QSvgRenderer>

namespace capture {
namespace {

// A drawing that claims a larger size is refused rather than rendered into gigabytes.
constexpr int kMaxDrawingSide = 16384;

QImage renderDrawing(const QByteArray& svg) {
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) return {};
    const QSize size = renderer.defaultSize();
    if (size.isEmpty() || size.width() > kMaxDrawingSide || size.height() > kMaxDrawingSide)
        return {};
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) return {};
    image.fill(Qt::white);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

}  // namespace

QImage clipboardPicture() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data == nullptr) return {};
    if (data->hasImage()) {
        const QImage image = qvariant_cast<QImage>(data->imageData());
        if (!image.isNull()) return image;
    }
    for (const char* type : {"image/svg+xml", "image/svg"}) {
        if (data->hasFormat(type)) {
            const QImage image = renderDrawing(data->data(type));
            if (!image.isNull()) return image;
        }
    }
    return {};
}

}  // namespace capture
