// The extra pictures of an item beside its picture at the gallery's size, as the
// gallery's extras ask (TAppletExtras): the same picture at twice the size for
// high-resolution screens, and WebP copies for the browsers that show them. A
// variant is a scale and an output type; it is drawn by the same geometry as the
// item's picture, and the render cache keeps it like any picture.
#pragma once

#include "model/AppletAgent.h"
#include "publish/Raster.h"
#include "publish/RenderCache.h"
#include "publish/codecs/Codec.h"

#include <QByteArray>
#include <QString>

#include <map>
#include <optional>
#include <vector>

// One kind of variant: `scale` times the gallery's width and height, of the type
// `extension` names (".webp"), or of the item picture's own type when it is empty.
struct VariantKind
{
    int scale = 1;
    QString extension;
};
using VariantPlan = std::vector<VariantKind>;

// A run's say over the gallery's extras (the headless publisher's --hidpi, --webp
// and their --no- forms): a value given here wins over the project's.
struct ExtrasOverride
{
    std::optional<bool> hiDpi;
    std::optional<bool> webP;
};

// The override every later build of this process uses, and the one in force.
void SetExtrasOverride(const ExtrasOverride &override);
ExtrasOverride CurrentExtrasOverride();

// The variants a build makes, in the order they are made and listed.
VariantPlan PlanVariants(const TAppletExtras &extras, const ExtrasOverride &override = {});

// "p3_t@2x.jpg" for base name "p3_t", scale 2 and ".jpg"; no "@1x" at scale 1.
QString VariantFileName(const QString &baseName, int scale, const QString &extension);

// A variant as the worker that drew it hands it back.
struct RenderedVariant
{
    int scale = 1;
    QString fileName;
    QByteArray bytes;
};

// One item's pictures at the sizes a build needs, each drawn at most once. The source
// is decoded once, as the item picture needs it; a larger picture is drawn from that
// decode where it holds the pixels for it, else from a decode of its own. Which of
// the two serves depends on the source and the settings alone, never on what the
// cache holds, so every picture has the same bytes drawn or taken from the cache.
class ItemDrawing
{
public:
    ItemDrawing(const QString &source, const RenderSettings &settings);

    const QString &source() const { return m_source; }
    const RenderSettings &settings() const { return m_settings; }

    // The item picture at `scale` times its size. Null for a larger one where the
    // source would have to be enlarged to fill it (fewer source pixels than picture
    // pixels along the side the geometry matches) or where it would exceed the
    // largest bitmap. Raises QmError as drawing the item picture does.
    const DrawnPicture *At(int scale);
    // Where the item's focal point (the middle without one) lands in the item picture.
    TFocalPoint PlacedFocus();

private:
    const DecodedPicture &Decoded();

    QString m_source;
    RenderSettings m_settings;
    std::optional<DecodedPicture> m_decoded; // for the item picture
    std::map<int, std::optional<DrawnPicture>> m_drawn;
};

// The item's variants by `plan` under `baseName`, each taken from the cache or
// encoded from `drawing`. A variant of the item picture itself (scale 1, its own
// type) is left out, and so are those of a scale the drawing has no picture for.
// Touches nothing but the cache, so it runs on the pass's workers.
std::vector<RenderedVariant> RenderItemVariants(ItemDrawing &drawing, const QString &baseName, const VariantPlan &plan,
                                                const RenderCache &cache);

// The item's variants of type `extension` as a srcset ("p0_t.webp 1x, p0_t@2x.webp 2x"),
// each behind the image path of the configuration files; scale 1 is left out when
// `withOneX` is false (the item picture itself stands for it). Empty without any.
QString VariantSrcset(const TAppletData &data, const TPictureVariants &variants, const QString &extension, bool withOneX);

// The srcset of the item's larger pictures of its own type ("p0_t@2x.jpg 2x") and of
// its WebP pictures; empty when the build made none.
QString HiDpiSrcset(const TAppletAgent &document, int index);
QString WebpSrcset(const TAppletAgent &document, int index);
