// The item pane's preview picture: the item's source picture, read by the same
// readers that publishing uses (so it shows the orientation, the colours and the
// refusals a build will meet), decoded at a reduced scale where the format allows
// it, and drawn whole at its own aspect ratio, centred in the widget's box.
#pragma once

#include "model/FocalPoint.h"
#include "model/TextUtils.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <functional>
#include <optional>

// A picture read for showing in a box of `box` device pixels.
struct TPreviewPicture
{
    QImage image;         // upright RGB, or RGBA with transparency
    QSize fullSize;       // the picture's own size, upright
    bool reduced = false; // decoded below the full size
};

// Reads the picture at `path` through publishing's decoders, in sRGB and upright. A
// JPEG or WebP is decoded at a reduced scale that still fills the box with the
// picture fitted into it; other types are read whole, GIF transparency taking `fill`
// (0x00BBGGRR) as a build does, other transparency kept. Raises QmError for a file
// publishing could not read, with publishing's message.
TPreviewPicture ReadPreviewPicture(const QString &path, const QSize &box, TColor fill);

// The rectangle a picture of `picture` pixels takes when shown whole, as large as
// `box` allows, at its own aspect ratio and centred.
QRect FittedRect(const QSize &picture, const QRect &box);

// What the gallery makes of the picture, for the frames drawn over it.
struct TPreviewFraming
{
    int width = 0; // the gallery's pictures; 0: no frames
    int height = 0;
    int mode = 1;
    int stripWidth = 0; // a closed strip, in the picture's pixels; 0: no strips
};

// The preview also holds the item's focal point, a value of the item pane: a click
// on the picture sets it, a double click removes it, the arrow keys move it (Shift:
// by one percent) and Delete removes it. Over the picture it shows the point, the
// part the filling resize keeps and the slice a closed strip shows.
class TPicturePreview : public QWidget
{
    Q_OBJECT

public:
    explicit TPicturePreview(QWidget *parent = nullptr);

    std::optional<TFocalPoint> FocalPoint() const { return m_focus; }
    // Shows the value, as the pane does when it shows an item; no signal.
    void SetFocalPoint(const std::optional<TFocalPoint> &point);
    // The user's change: sets the value and, when it changed, emits FocalPointChanged.
    void ChooseFocalPoint(const std::optional<TFocalPoint> &point, bool startsStep);
    // Asked on every paint, so the frames follow the gallery's values.
    void SetFramingSource(std::function<TPreviewFraming()> source) { m_framing = std::move(source); }

    // Reads the picture and shows it; on an error the preview is emptied and the
    // QmError passed on.
    void ShowPicture(const QString &path, TColor fill);
    // No picture, but the reason why there is none, as text in the picture's place.
    void ShowProblem(const QString &reason);
    void Clear();

    bool HasPicture() const { return !m_picture.image.isNull(); }
    const QString &Problem() const { return m_problem; }
    const TPreviewPicture &Picture() const { return m_picture; }
    // Where the picture is drawn in the widget, or an empty rectangle.
    QRect PictureRect() const;

Q_SIGNALS:
    // A click starts a step of its own; key moves and a double click go on with the last one.
    void FocalPointChanged(bool startsStep);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // The box the picture is read for: the widget's size in device pixels, but never
    // less than a usual preview box, so that showing the pane does not read again.
    QSize DecodeBox() const;
    // The frames and the point over the picture drawn at `target`.
    void PaintFraming(QPainter &painter, const QRect &target) const;

    QString m_path;
    QString m_problem;
    TColor m_fill = 0;
    TPreviewPicture m_picture;
    QPixmap m_scaled; // the picture at PictureRect's size, made on the first paint after a change
    std::optional<TFocalPoint> m_focus;
    std::function<TPreviewFraming()> m_framing;
};
