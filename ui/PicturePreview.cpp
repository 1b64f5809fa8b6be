#include "ui/PicturePreview.h"

#include "model/Error.h"
#include "publish/codecs/Formats.h"
#include "ui/AccessibleRoles.h"

#include <QPainter>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>

namespace {

// A box smaller than this is read for this size anyway: a pane laid out later, or
// made a little larger, then needs no second reading.
constexpr int kLeastDecodeWidth = 640;
constexpr int kLeastDecodeHeight = 480;

// RGB, or RGBA (coverage not premultiplied) for a picture with transparency.
QImage ToImage(const DecodedPicture &picture)
{
    const Bitmap &bitmap = picture.pixels;
    if (picture.alpha.empty())
        return QImage(bitmap.data(), bitmap.width(), bitmap.height(), qsizetype(bitmap.width()) * 3, QImage::Format_RGB888).copy();
    QImage image(bitmap.width(), bitmap.height(), QImage::Format_RGBA8888);
    for (int y = 0; y < bitmap.height(); ++y) {
        const std::uint8_t *in = bitmap.row(y);
        const std::uint8_t *a = picture.alpha.data() + std::size_t(y) * std::size_t(bitmap.width());
        std::uint8_t *out = image.scanLine(y);
        for (int x = 0; x < bitmap.width(); ++x, in += 3, out += 4) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            out[3] = a[x];
        }
    }
    return image;
}

} // namespace

QRect FittedRect(const QSize &picture, const QRect &box)
{
    if (picture.isEmpty() || box.isEmpty())
        return QRect();
    const double scale = std::min(double(box.width()) / picture.width(), double(box.height()) / picture.height());
    const int w = std::clamp(int(std::lround(picture.width() * scale)), 1, box.width());
    const int h = std::clamp(int(std::lround(picture.height() * scale)), 1, box.height());
    return QRect(box.left() + (box.width() - w) / 2, box.top() + (box.height() - h) / 2, w, h);
}

TPreviewPicture ReadPreviewPicture(const QString &path, const QSize &box, TColor fill)
{
    DecodeRequest request;
    request.fill = fill;
    request.drawn = [&box](int sw, int sh) {
        const QSize fitted = FittedRect(QSize(sw, sh), QRect(QPoint(), box)).size();
        return DrawnArea{{0, 0, double(sw), double(sh)}, fitted.width(), fitted.height()};
    };
    const DecodedPicture picture = LoadPicture(path, request);
    TPreviewPicture result;
    result.fullSize = QSize(picture.shownWidth, picture.shownHeight);
    result.image = ToImage(picture);
    // Only as many pixels are kept as the box can show.
    const QSize fitted = FittedRect(result.fullSize, QRect(QPoint(), box)).size();
    if (result.image.width() > fitted.width() || result.image.height() > fitted.height())
        result.image = result.image.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    result.reduced = result.image.size() != result.fullSize;
    return result;
}

// ---------------------------------------------------------------- widget

TPicturePreview::TPicturePreview(QWidget *parent) : QWidget(parent)
{
    // To a screen reader the preview is a picture, not a pane.
    ShowAsRole("TPicturePreview", QAccessible::Graphic);
    // Nothing is painted around the picture: the group's background shows through.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
}

QSize TPicturePreview::DecodeBox() const
{
    const double ratio = devicePixelRatioF();
    return QSize(int(std::ceil(std::max(width(), kLeastDecodeWidth) * ratio)),
                 int(std::ceil(std::max(height(), kLeastDecodeHeight) * ratio)));
}

void TPicturePreview::ShowPicture(const QString &path, TColor fill)
{
    m_path = path;
    m_problem.clear();
    m_fill = fill;
    m_scaled = QPixmap();
    try {
        m_picture = ReadPreviewPicture(path, DecodeBox(), fill);
    } catch (const QmError &) {
        Clear();
        throw;
    }
    // A screen reader calls the picture by its file's name.
    setAccessibleName(ExtractFileName(path));
    update();
}

void TPicturePreview::ShowProblem(const QString &reason)
{
    Clear();
    m_problem = reason;
    setAccessibleName(reason);
    update();
}

void TPicturePreview::Clear()
{
    m_path.clear();
    m_problem.clear();
    setAccessibleName(QString());
    m_picture = TPreviewPicture();
    m_scaled = QPixmap();
    update();
}

QRect TPicturePreview::PictureRect() const
{
    return HasPicture() ? FittedRect(m_picture.fullSize, rect()) : QRect();
}

void TPicturePreview::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_scaled = QPixmap();
    if (!m_picture.reduced)
        return;
    // Grown past what was read: read again for the larger box. The picture was read
    // once already, so a failure now (the file changed meanwhile) keeps what is shown.
    const double ratio = devicePixelRatioF();
    const QSize needed = PictureRect().size() * ratio;
    if (needed.width() <= m_picture.image.width() && needed.height() <= m_picture.image.height())
        return;
    try {
        m_picture = ReadPreviewPicture(m_path, DecodeBox(), m_fill);
    } catch (const QmError &) {
    }
}

void TPicturePreview::paintEvent(QPaintEvent *)
{
    if (!m_problem.isEmpty()) {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, m_problem);
        return;
    }
    const QRect target = PictureRect();
    if (target.isEmpty())
        return;
    const double ratio = devicePixelRatioF();
    const QSize pixels = target.size() * ratio;
    if (m_scaled.isNull() || m_scaled.size() != pixels) {
        m_scaled = QPixmap::fromImage(m_picture.image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        m_scaled.setDevicePixelRatio(ratio);
    }
    QPainter painter(this);
    painter.drawPixmap(target.topLeft(), m_scaled);
}
