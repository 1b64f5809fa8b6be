#include "publish/Variants.h"

#include "model/Error.h"
#include "publish/ConfigXml.h"
#include "publish/Pictures.h"
#include "publish/codecs/WebpCodec.h"

#include <QFileInfo>

#include <map>
#include <mutex>
#include <set>
#include <utility>

namespace {

const char *const kWebp = ".webp";

std::mutex g_overrideLock;
ExtrasOverride g_override;

bool IsOn(const QString &flag, std::optional<bool> override)
{
    return override.value_or(flag == QLatin1String("1"));
}

QByteArray EncodeVariant(const DrawnPicture &picture, const QString &extension)
{
    if (extension == QLatin1String(kWebp))
        return EncodeWebp(picture.pixels, picture.alpha, picture.lossless);
    return EncodePicture(picture, extension);
}

// Whether the source drawn into `picture` by `settings` had the pixels for it without enlarging.
bool HeldPixelsFor(const DrawnPicture &picture, const RenderSettings &settings)
{
    return ComputeGeometry(picture.shownWidth, picture.shownHeight, settings.width, settings.height, settings.mode).scale >= 1.0f;
}

// The type of a generated file: its extension, from the dot on, in lower case.
QString TypeOf(const QString &fileName)
{
    return QLatin1Char('.') + QFileInfo(fileName).suffix().toLower();
}

QString OwnType(const TAppletAgent &document, int index)
{
    return TypeOf(document.Items.at(size_t(index)).ImageFile);
}

const TPictureVariants &VariantsOf(const TAppletAgent &document, int index)
{
    static const TPictureVariants none;
    return size_t(index) < document.ItemVariants.size() ? document.ItemVariants[size_t(index)] : none;
}

} // namespace

void SetExtrasOverride(const ExtrasOverride &override)
{
    const std::lock_guard lock(g_overrideLock);
    g_override = override;
}

ExtrasOverride CurrentExtrasOverride()
{
    const std::lock_guard lock(g_overrideLock);
    return g_override;
}

VariantPlan PlanVariants(const TAppletExtras &extras, const ExtrasOverride &override)
{
    const bool hiDpi = IsOn(extras.HiDpi, override.hiDpi);
    VariantPlan plan;
    if (hiDpi)
        plan.push_back({2, QString()});
    if (IsOn(extras.WebP, override.webP)) {
        plan.push_back({1, QLatin1String(kWebp)});
        if (hiDpi)
            plan.push_back({2, QLatin1String(kWebp)});
    }
    return plan;
}

QString VariantFileName(const QString &baseName, int scale, const QString &extension)
{
    return baseName + (scale > 1 ? QStringLiteral("@%1x").arg(scale) : QString()) + extension;
}

std::vector<RenderedVariant> RenderItemVariants(const QString &source, const QString &baseName, const RenderSettings &settings,
                                                const VariantPlan &plan, const RenderCache &cache)
{
    std::vector<RenderedVariant> variants;
    std::map<int, DrawnPicture> drawn; // by scale, drawn at the first variant the cache does not hold
    std::set<int> tooFewPixels;        // scales the source cannot fill
    for (const VariantKind &kind : plan) {
        RenderSettings s = settings;
        s.width *= kind.scale;
        s.height *= kind.scale;
        if (!kind.extension.isEmpty())
            s.extension = kind.extension;
        if ((kind.scale == 1 && s.extension == settings.extension) || tooFewPixels.count(kind.scale))
            continue;
        const QString key = cache.Key(source, s);
        QByteArray bytes = cache.Load(key);
        if (bytes.isEmpty()) {
            auto picture = drawn.find(kind.scale);
            if (picture == drawn.end()) {
                if (std::int64_t(s.width) * s.height > kMaxBitmapPixels) {
                    tooFewPixels.insert(kind.scale);
                    continue;
                }
                DrawnPicture rendered = RenderPicture(source, s.width, s.height, s.mode, s.fill, s.focus);
                if (kind.scale > 1 && !HeldPixelsFor(rendered, s)) {
                    tooFewPixels.insert(kind.scale);
                    continue;
                }
                picture = drawn.emplace(kind.scale, std::move(rendered)).first;
            }
            bytes = EncodeVariant(picture->second, s.extension);
            // A source changed while it was drawn is not kept under its old key.
            if (!key.isEmpty() && cache.Key(source, s) == key)
                cache.Store(key, bytes);
        }
        variants.push_back({kind.scale, VariantFileName(baseName, kind.scale, s.extension), bytes});
    }
    return variants;
}

QString VariantSrcset(const TAppletData &data, const TPictureVariants &variants, const QString &extension, bool withOneX)
{
    QStringList candidates;
    for (const TPictureVariant &variant : variants)
        if ((withOneX || variant.Scale > 1) && TypeOf(variant.FileName) == extension)
            candidates << ImagePath(data, variant.FileName) + QStringLiteral(" %1x").arg(variant.Scale);
    return candidates.join(QStringLiteral(", "));
}

QString HiDpiSrcset(const TAppletAgent &document, int index)
{
    return VariantSrcset(document.AppletData, VariantsOf(document, index), OwnType(document, index), false);
}

QString WebpSrcset(const TAppletAgent &document, int index)
{
    if (OwnType(document, index) == QLatin1String(kWebp))
        return QString();
    return VariantSrcset(document.AppletData, VariantsOf(document, index), QLatin1String(kWebp), true);
}
