// The extra pictures of an item beside its picture at the gallery's size, as the
// gallery's extras ask (TAppletExtras): the same picture at twice the size for
// high-resolution screens, and WebP copies for the browsers that show them. A
// variant is a scale and an output type; it is drawn by the same geometry as the
// item's picture, and the render cache keeps it like any picture.
#pragma once

#include "model/AppletAgent.h"
#include "publish/Raster.h"
#include "publish/RenderCache.h"

#include <QByteArray>
#include <QString>

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

// The item's variants by `plan`, for the item picture drawn with `settings` from
// `source` under `baseName`: each taken from the cache or drawn (once per scale)
// and encoded. A variant of the item picture itself (scale 1, its own type) is
// left out, and so are those of a scale for which the source holds too few pixels:
// where the source would have to be enlarged to fill it (fewer source pixels than
// picture pixels along the side the geometry matches), or where the picture would
// exceed the largest bitmap. Touches nothing but the cache, so it runs on the
// pass's workers. Raises QmError as drawing the item picture does.
std::vector<RenderedVariant> RenderItemVariants(const QString &source, const QString &baseName, const RenderSettings &settings,
                                                const VariantPlan &plan, const RenderCache &cache);

// The item's variants of type `extension` as a srcset ("p0_t.webp 1x, p0_t@2x.webp 2x"),
// each behind the image path of the configuration files; scale 1 is left out when
// `withOneX` is false (the item picture itself stands for it). Empty without any.
QString VariantSrcset(const TAppletData &data, const TPictureVariants &variants, const QString &extension, bool withOneX);

// The srcset of the item's larger pictures of its own type ("p0_t@2x.jpg 2x") and of
// its WebP pictures; empty when the build made none.
QString HiDpiSrcset(const TAppletAgent &document, int index);
QString WebpSrcset(const TAppletAgent &document, int index);
