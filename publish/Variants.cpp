#include "publish/Variants.h"

#include "model/Error.h"
#include "publish/ConfigXml.h"
#include "publish/Pictures.h"
#include "publish/codecs/WebpCodec.h"

#include <QFileInfo>

#include <mutex>
#include <utility>

namespace {

const char *const kWebp = ".webp";

std::mutex g_overrideLock;
ExtrasOverride g_override;

bool IsOn(const QString &flag, std::optional<bool> override)
{
    return override.value_or(flag == QLatin1String("1"));
}

// A picture of the item's own type as the item picture is written; a WebP copy of
// another type's picture with the copies' own settings.
QByteArray EncodeVariant(const DrawnPicture &picture, const VariantKind &kind, const QString &ownType)
{
    if (kind.extension == QLatin1String(kWebp) && ownType != kind.extension)
        return EncodeWebp(picture.pixels, picture.alpha, picture.lossless, kWebpCopy);
    return EncodePicture(picture, kind.extension.isEmpty() ? ownType : kind.extension);
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

ItemDrawing::ItemDrawing(const QString &source, const RenderSettings &settings) : m_source(source), m_settings(settings)
{}

const DecodedPicture &ItemDrawing::Decoded()
{
    if (!m_decoded)
        m_decoded = LoadForDrawing(m_source, m_settings.width, m_settings.height, m_settings.mode, m_settings.fill, m_settings.focus);
    return *m_decoded;
}

const DrawnPicture *ItemDrawing::At(int scale)
{
    auto drawn = m_drawn.find(scale);
    if (drawn == m_drawn.end()) {
        const int w = m_settings.width * scale, h = m_settings.height * scale;
        const int mode = m_settings.mode;
        const TColor fill = m_settings.fill;
        const std::optional<TFocalPoint> &focus = m_settings.focus;
        std::optional<DrawnPicture> picture;
        if (scale == 1) {
            picture = DrawPicture(Decoded(), w, h, mode, fill, focus);
        } else if (std::int64_t(w) * h <= kMaxBitmapPixels) {
            const DecodedPicture &source = Decoded();
            if (ComputeGeometry(source.shownWidth, source.shownHeight, w, h, mode).scale >= 1.0f)
                picture = HoldsPixelsFor(source, w, h, mode, focus) ? DrawPicture(source, w, h, mode, fill, focus)
                                                                    : RenderPicture(m_source, w, h, mode, fill, focus);
        }
        drawn = m_drawn.emplace(scale, std::move(picture)).first;
    }
    return drawn->second ? &*drawn->second : nullptr;
}

TFocalPoint ItemDrawing::PlacedFocus()
{
    const DecodedPicture &source = Decoded();
    const RenderSettings &s = m_settings;
    const TFocalPoint focus = s.focus.value_or(TFocalPoint{});
    return ComputeGeometry(source.shownWidth, source.shownHeight, s.width, s.height, s.mode, focus).PlaceInPicture(focus, s.width, s.height);
}

std::vector<RenderedVariant> RenderItemVariants(ItemDrawing &drawing, const QString &baseName, const VariantPlan &plan,
                                                const RenderCache &cache)
{
    const RenderSettings &settings = drawing.settings();
    std::vector<RenderedVariant> variants;
    for (const VariantKind &kind : plan) {
        RenderSettings s = settings;
        s.width *= kind.scale;
        s.height *= kind.scale;
        if (!kind.extension.isEmpty())
            s.extension = kind.extension;
        if (kind.scale == 1 && s.extension == settings.extension)
            continue;
        bool tooFewPixels = false;
        const QByteArray bytes = cache.LoadOrMake(drawing.source(), s, [&] {
            const DrawnPicture *picture = drawing.At(kind.scale);
            tooFewPixels = !picture;
            return picture ? EncodeVariant(*picture, kind, settings.extension) : QByteArray();
        });
        if (!tooFewPixels)
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
