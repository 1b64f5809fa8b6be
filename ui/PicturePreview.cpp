#include "ui/PicturePreview.h"

#include "model/Error.h"
#include "publish/Pictures.h"
#include "publish/codecs/Formats.h"
#include "ui/AccessibleRoles.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
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
    // The focal point is set by the mouse or the keyboard.
    setFocusPolicy(Qt::StrongFocus);
    SetFocalPoint(std::nullopt);
}

void TPicturePreview::SetFocalPoint(const std::optional<TFocalPoint> &point)
{
    m_focus = point;
    setAccessibleDescription(
        point ? QStringLiteral("Focal point at %1% across and %2% down. Click the picture or use the arrow keys to move it; "
                               "Delete or a double click removes it.")
                    .arg(point->x)
                    .arg(point->y)
              : QStringLiteral("No focal point: the picture is cropped, and shown in a closed strip, around its middle. "
                               "Click the picture or use the arrow keys to set one."));
    update();
}

void TPicturePreview::ChooseFocalPoint(const std::optional<TFocalPoint> &point, bool startsStep)
{
    if (point == m_focus)
        return;
    SetFocalPoint(point);
    Q_EMIT FocalPointChanged(startsStep);
}

void TPicturePreview::mousePressEvent(QMouseEvent *event)
{
    const QRect target = PictureRect();
    const QPointF at = event->position();
    if (event->button() != Qt::LeftButton || !target.contains(at.toPoint())) {
        QWidget::mousePressEvent(event);
        return;
    }
    // The middle of the pixel clicked, in whole percent of the picture.
    const auto percent = [](double offset, int size) { return std::clamp(int(std::lround((offset + 0.5) * 100 / size)), 0, 100); };
    ChooseFocalPoint(TFocalPoint{percent(std::floor(at.x()) - target.left(), target.width()),
                                 percent(std::floor(at.y()) - target.top(), target.height())},
                     true);
}

void TPicturePreview::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The press before it set a point; removing it goes on with that step.
    if (event->button() == Qt::LeftButton && PictureRect().contains(event->position().toPoint()))
        ChooseFocalPoint(std::nullopt, false);
    else
        QWidget::mouseDoubleClickEvent(event);
}

void TPicturePreview::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int step = modifiers == Qt::ShiftModifier ? 1 : 5;
    TFocalPoint point = m_focus.value_or(TFocalPoint());
    // Without a picture (one that cannot be read) there is nothing to point at.
    const int key = HasPicture() && (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier) ? event->key() : 0;
    switch (key) {
    case Qt::Key_Left:
        point.x -= step;
        break;
    case Qt::Key_Right:
        point.x += step;
        break;
    case Qt::Key_Up:
        point.y -= step;
        break;
    case Qt::Key_Down:
        point.y += step;
        break;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        ChooseFocalPoint(std::nullopt, false);
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    ChooseFocalPoint(TFocalPoint{std::clamp(point.x, 0, 100), std::clamp(point.y, 0, 100)}, false);
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
    PaintFraming(painter, target);
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(target).adjusted(1, 1, -1, -1));
    }
}

void TPicturePreview::PaintFraming(QPainter &painter, const QRect &target) const
{
    const int sw = m_picture.fullSize.width(), sh = m_picture.fullSize.height();
    const auto shown = [&](const SourceRect &r) {
        const double fx = double(target.width()) / sw, fy = double(target.height()) / sh;
        return QRectF(target.left() + r.left * fx, target.top() + r.top * fy, (r.right - r.left) * fx, (r.bottom - r.top) * fy);
    };
    painter.setBrush(Qt::NoBrush);
    const TPreviewFraming f = m_framing ? m_framing() : TPreviewFraming();
    if (f.width > 0 && f.height > 0 && sw > 0 && sh > 0) {
        const PictureGeometry g = ComputeGeometry(sw, sh, f.width, f.height, f.mode, m_focus);
        if (f.mode != 0) {
            // What the filling resize leaves out is dimmed; the part it keeps is framed.
            const QRectF kept = shown(g.sourceArea(sw, sh));
            QPainterPath outside;
            outside.addRect(target);
            outside.addRect(kept);
            painter.fillPath(outside, QColor(0, 0, 0, 120));
            painter.setPen(QPen(Qt::white, 1));
            painter.drawRect(kept.adjusted(0.5, 0.5, -0.5, -0.5));
        }
        if (f.stripWidth > 0) {
            // The slice a closed strip shows, around where the point lands in the picture.
            const int strip = std::min(f.stripWidth, f.width);
            const double middle = g.PlaceInPicture(m_focus.value_or(TFocalPoint()), f.width, f.height).x * f.width / 100.0;
            const double left = std::clamp(middle - strip / 2.0, 0.0, double(f.width - strip));
            painter.setPen(QPen(QColor(255, 214, 0), 1, Qt::DashLine));
            painter.drawRect(shown(g.SourceOf({left, 0, left + strip, double(f.height)}, sw, sh)).adjusted(0.5, 0.5, -0.5, -0.5));
        }
    }
    if (m_focus) {
        const QPointF at(target.left() + m_focus->x * target.width() / 100.0, target.top() + m_focus->y * target.height() / 100.0);
        painter.setRenderHint(QPainter::Antialiasing);
        for (const QPen &pen : {QPen(QColor(0, 0, 0, 180), 3.5), QPen(Qt::white, 1.5)}) {
            painter.setPen(pen);
            painter.drawEllipse(at, 6, 6);
            painter.drawLine(at - QPointF(10, 0), at - QPointF(3, 0));
            painter.drawLine(at + QPointF(3, 0), at + QPointF(10, 0));
            painter.drawLine(at - QPointF(0, 10), at - QPointF(0, 3));
            painter.drawLine(at + QPointF(0, 3), at + QPointF(0, 10));
        }
    }
}
