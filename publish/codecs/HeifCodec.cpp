#include "publish/codecs/HeifCodec.h"

#include "model/Error.h"
#include "publish/Colour.h"

#include <libheif/heif.h>

#include <cstring>
#include <memory>

namespace {

QmError ReadError(const heif_error &error)
{
    return QmError(QStringLiteral("The HEIF picture cannot be read: %1.").arg(QString::fromUtf8(error.message)));
}

void Check(const heif_error &error)
{
    if (error.code != heif_error_Ok)
        throw ReadError(error);
}

struct ContextDeleter
{
    void operator()(heif_context *c) const { heif_context_free(c); }
};
struct HandleDeleter
{
    void operator()(heif_image_handle *h) const { heif_image_handle_release(h); }
};
struct ImageDeleter
{
    void operator()(heif_image *i) const { heif_image_release(i); }
};
struct OptionsDeleter
{
    void operator()(heif_decoding_options *o) const { heif_decoding_options_free(o); }
};

// The profile a handle names: its ICC profile, or for colour primaries other than
// those of sRGB (Display P3, BT.2020) a profile made from them.
QByteArray ColourProfile(const heif_image_handle *handle)
{
    QByteArray icc;
    switch (heif_image_handle_get_color_profile_type(handle)) {
    case heif_color_profile_type_prof:
    case heif_color_profile_type_rICC:
        icc.resize(qsizetype(heif_image_handle_get_raw_color_profile_size(handle)));
        if (icc.isEmpty() || heif_image_handle_get_raw_color_profile(handle, icc.data()).code != heif_error_Ok)
            icc.clear();
        break;
    case heif_color_profile_type_nclx: {
        heif_color_profile_nclx *nclx = nullptr;
        // Also on an error the library may have made the profile: it is freed either way.
        const bool read = heif_image_handle_get_nclx_color_profile(handle, &nclx).code == heif_error_Ok;
        if (!nclx)
            break;
        const auto p = nclx->color_primaries;
        if (read && p != heif_color_primaries_ITU_R_BT_709_5 && p != heif_color_primaries_unspecified) {
            const double primaries[8] = {nclx->color_primary_red_x,   nclx->color_primary_red_y,  nclx->color_primary_green_x,
                                         nclx->color_primary_green_y, nclx->color_primary_blue_x, nclx->color_primary_blue_y,
                                         nclx->color_primary_white_x, nclx->color_primary_white_y};
            icc = ProfileFromPrimaries(primaries);
        }
        heif_nclx_color_profile_free(nclx);
        break;
    }
    default:
        break;
    }
    return icc;
}

} // namespace

DecodedPicture DecodeHeif(const QByteArray &bytes, std::int64_t maxPixels)
{
    static const bool initialised = heif_init(nullptr).code == heif_error_Ok;
    if (!initialised)
        throw QmError(QStringLiteral("The HEIF picture cannot be read: the HEIF library cannot be started."));
    const std::unique_ptr<heif_context, ContextDeleter> context(heif_context_alloc());
    if (!context)
        throw QmError(QStringLiteral("The HEIF picture cannot be read: out of memory."));
    // The pass draws several pictures at once already.
    heif_context_set_max_decoding_threads(context.get(), 0);
    Check(heif_context_read_from_memory_without_copy(context.get(), bytes.constData(), std::size_t(bytes.size()), nullptr));
    heif_image_handle *rawHandle = nullptr;
    Check(heif_context_get_primary_image_handle(context.get(), &rawHandle));
    const std::unique_ptr<heif_image_handle, HandleDeleter> handle(rawHandle);

    DecodedPicture result;
    // The size with rotation applied, checked before anything of it is decoded.
    result.pixels = Bitmap(heif_image_handle_get_width(handle.get()), heif_image_handle_get_height(handle.get()), maxPixels);
    result.icc = ColourProfile(handle.get());
    const bool alpha = heif_image_handle_has_alpha_channel(handle.get());
    const std::unique_ptr<heif_decoding_options, OptionsDeleter> options(heif_decoding_options_alloc());
    options->convert_hdr_to_8bit = 1;
    heif_image *rawImage = nullptr;
    Check(heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB,
                            alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get()));
    const std::unique_ptr<heif_image, ImageDeleter> image(rawImage);
    int stride = 0;
    const std::uint8_t *plane = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int w = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int h = heif_image_get_height(image.get(), heif_channel_interleaved);
    if (!plane || w != result.pixels.width() || h != result.pixels.height())
        throw QmError(QStringLiteral("The HEIF picture cannot be read: the decoded image does not have its stated size."));
    const int n = alpha ? 4 : 3;
    if (alpha)
        result.alpha.resize(std::size_t(w) * std::size_t(h));
    for (int y = 0; y < h; ++y) {
        const std::uint8_t *in = plane + std::size_t(y) * std::size_t(stride);
        std::uint8_t *out = result.pixels.row(y);
        for (int x = 0; x < w; ++x, in += n, out += 3) {
            std::memcpy(out, in, 3);
            if (alpha)
                result.alpha[std::size_t(y) * std::size_t(w) + std::size_t(x)] = in[3];
        }
    }
    result.shownWidth = w;
    result.shownHeight = h;
    return result;
}
