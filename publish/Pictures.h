// Item pictures: every build turns each item's source picture into a picture of
// exactly ActiveItemWidth x ItemHeight pixels, of the source's type.
#pragma once

#include "model/AppletAgent.h"
#include "model/FocalPoint.h"
#include "model/Seams.h"
#include "model/TextUtils.h"
#include "publish/Raster.h"
#include "publish/codecs/Codec.h"

#include <QByteArray>
#include <QString>

#include <optional>

struct ResizedPicture
{
    QString fileName; // base name + extension of the source's type
    QString fullPath; // TempFolder() + fileName
};

// Mode 0 keeps the aspect ratio inside margins of `fill`; mode 1 fills and crops.
// Raises QmError for a source that cannot be read or decoded, or whose type is not supported.
ResizedPicture ResizeImage(const QString &sourcePath, const QString &baseName, int width, int height, int mode, TColor fill);

// True when the item's picture path (blanks around it allowed) names a plain file
// the build can read; an item without one is published without a picture.
bool HasPictureSource(const QString &originalImagePath);

// How the per-build pass renders its pictures.
struct PicturePassOptions
{
    int jobs = 0;         // worker threads; 0: one per core; 1: one picture after another on the calling thread
    bool useCache = true; // take unchanged pictures from the per-user render cache, and keep new ones there
};

// The options every later pass of this process uses (the headless publisher's --jobs and --no-cache).
void SetPicturePassOptions(const PicturePassOptions &options);
PicturePassOptions CurrentPicturePassOptions();

// The per-build pass over all items: node captions, ImageFile and ItemVariants, the
// preview folder.
// Pictures are decoded, resized and encoded on worker threads, at most four per
// worker in flight; everything else (the document, the tree, the
// progress, the files) happens on the calling thread in item order, exactly as one
// picture after another would, and the calling thread waits for the workers through
// `progress` (Pause), so the window answers meanwhile.
// An item whose picture is missing, or exists but cannot be read or decoded, gets
// no picture and a warning caption; the unreadable ones are listed in the document's
// UnreadablePictures. The pictures reach the preview folder only once every item is
// through: a pass stopped by the user (TCancelled) or by an error (settings that are
// no numbers, a full disk) leaves the preview folder, ImageFile and ItemVariants as
// they were and no file of its own behind.
void ProcessItemImages(TAppletAgent &document, IItemTree &tree, IProgress &progress);
void ProcessItemImages(TAppletAgent &document, IItemTree &tree, IProgress &progress, const PicturePassOptions &options);

// Where a source of sw x sh pixels goes in a W x H picture. The source is first
// thought scaled by s to Q (qw x qh); `fromQ` of Q is then stretched onto `into`
// of the picture, which is filled first when `filled`.
struct PictureGeometry
{
    float scale = 0; // s: source pixels per picture pixel
    int qw = 0, qh = 0;
    PixelRect fromQ; // in Q
    PixelRect into;  // in the W x H picture
    bool filled = false;

    // `fromQ` in source pixels: the two stretches done as one.
    SourceRect sourceArea(int sw, int sh) const;
    // Where `point` of the source lands in the W x H picture, in whole percent of its
    // width and height (clamped to 0..100).
    TFocalPoint PlaceInPicture(const TFocalPoint &point, int width, int height) const;
    // The part of the source (sw x sh) that `inPicture` of the picture shows, clipped to the source.
    SourceRect SourceOf(const SourceRect &inPicture, int sw, int sh) const;
};

// Mode 0 fits inside margins, any other mode fills and crops. Halves round to even.
// The bytes of a source picture, read whole; a file over 1 GiB is refused unread, and
// so is anything but a plain file (opening a pipe never waits).
QByteArray ReadPictureSource(const QString &path);

// With a focal point, mode 1's crop window keeps its size but is centred on the point
// as far as Q allows; the focal point at the middle gives the geometry without one.
PictureGeometry ComputeGeometry(int sw, int sh, int width, int height, int mode, const std::optional<TFocalPoint> &focus = std::nullopt);

// The output type of a source by its extension (publish/codecs/Formats.cpp): ".jpg" for
// JPEG, HEIC, AVIF and TIFF, ".gif", ".bmp", ".png", ".webp"; empty for any other.
QString PictureExtension(const QString &sourcePath);

// Decodes the source and draws the W x H picture, without writing anything. A source
// with transparency keeps it where the output type can (PNG, WebP); elsewhere it is
// shown over the fill colour.
DrawnPicture RenderPicture(const QString &sourcePath, int width, int height, int mode, TColor fill,
                           const std::optional<TFocalPoint> &focus = std::nullopt);

// RenderPicture's two halves. The source decoded for a W x H picture: only as much
// of it, and at as coarse a scale, as that picture needs (a picture of another size
// may need more); with true colours, upright, and over the fill colour where the
// output type has no transparency.
DecodedPicture LoadForDrawing(const QString &sourcePath, int width, int height, int mode, TColor fill,
                              const std::optional<TFocalPoint> &focus = std::nullopt);
// Whether `source` holds at least the pixels of a W x H picture along each side of
// the area drawn; then DrawPicture may draw that picture from it.
bool HoldsPixelsFor(const DecodedPicture &source, int width, int height, int mode,
                    const std::optional<TFocalPoint> &focus = std::nullopt);
DrawnPicture DrawPicture(const DecodedPicture &source, int width, int height, int mode, TColor fill,
                         const std::optional<TFocalPoint> &focus = std::nullopt);

// The picture's file content in the output type `extension` (".jpg", ".png", ...).
QByteArray EncodePicture(const DrawnPicture &picture, const QString &extension);
