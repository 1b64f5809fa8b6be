#include "ui/PicturePreview.h"

#include "model/Error.h"
#include "publish/BmpCodec.h"
#include "publish/GifCodec.h"
#include "publish/JpegCodec.h"
#include "publish/Pictures.h"
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

QImage ToImage(const Bitmap &bitmap)
{
    return QImage(bitmap.data(), bitmap.width(), bitmap.height(), qsizetype(bitmap.width()) * 3, QImage::Format_RGB888).copy();
}

// The smallest DCT scale (of 8) at which a picture of `full` pixels still covers
// `fitted` along both sides.
int PreviewJpegScale(const QSize &full, const QSize &fitted)
{
    for (int num = 1; num < 8; ++num)
        if ((qint64(full.width()) * num + 7) / 8 >= fitted.width() && (qint64(full.height()) * num + 7) / 8 >= fitted.height())
            return num;
    return 8;
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
    const QString extension = PictureExtension(path);
    if (extension.isEmpty())
        throw QmError(QStringLiteral("The picture \"%1\" is of an unsupported picture type: only JPEG (.jpg, .jpeg), "
                                     "GIF (.gif) and BMP (.bmp) files can be used.")
                          .arg(path));
    const QByteArray bytes = ReadPictureSource(path);
    TPreviewPicture result;
    try {
        if (extension == QLatin1String(".jpg")) {
            JpegReader reader(bytes);
            result.fullSize = QSize(reader.shownWidth(), reader.shownHeight());
            const QSize fitted = FittedRect(result.fullSize, QRect(QPoint(), box)).size();
            result.image = ToImage(reader.decode(PreviewJpegScale(result.fullSize, fitted)));
        } else {
            result.image = ToImage(extension == QLatin1String(".gif") ? DecodeGif(bytes, fill) : DecodeBmp(bytes));
            result.fullSize = result.image.size();
        }
    } catch (const QmError &e) {
        throw QmError(QStringLiteral("%1\nPicture: %2").arg(e.message(), path));
    }
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
