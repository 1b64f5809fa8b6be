#include "publish/codecs/JpegCodec.h"

#include "model/Error.h"
#include "publish/Colour.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

// libjpeg reports a fatal error by calling error_exit, which must not return.
// Ours jumps back (longjmp) into the small functions below that called the
// library. Those functions hold no object with a destructor and touch only the
// plain-data State, so the jump skips no C++ clean-up; the C++ wrappers look at
// the result afterwards and raise QmError with the library's message.

namespace {

constexpr int kMaxScans = 1000;   // a progressive file needs about ten
constexpr int kMaxWarnings = 100; // corrupt data repeated this often is an error

struct ErrorBridge
{
    jpeg_error_mgr pub; // first member: libjpeg's pointer is also ours
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    int warnings;
};

[[noreturn]] void OnError(j_common_ptr cinfo)
{
    auto *bridge = reinterpret_cast<ErrorBridge *>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, bridge->message);
    std::longjmp(bridge->jump, 1);
}

void OnMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return; // trace messages
    auto *bridge = reinterpret_cast<ErrorBridge *>(cinfo->err);
    const int code = cinfo->err->msg_code;
    // A file that ends early or whose data stops short is broken, not just odd.
    if (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER || ++bridge->warnings > kMaxWarnings)
        OnError(cinfo);
}

void OnProgress(j_common_ptr cinfo)
{
    if (!cinfo->is_decompressor)
        return;
    auto *dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (dinfo->input_scan_number > kMaxScans) {
        auto *bridge = reinterpret_cast<ErrorBridge *>(cinfo->err);
        std::snprintf(bridge->message, sizeof bridge->message, "The JPEG file has too many scans");
        std::longjmp(bridge->jump, 1);
    }
}

void InstallErrorBridge(ErrorBridge &bridge)
{
    jpeg_std_error(&bridge.pub);
    bridge.pub.error_exit = OnError;
    bridge.pub.emit_message = OnMessage;
    bridge.message[0] = 0;
    bridge.warnings = 0;
}

} // namespace

struct JpegReader::State
{
    jpeg_decompress_struct cinfo;
    ErrorBridge err;
    jpeg_progress_mgr progress;
    bool created;
    bool multiScan; // the library keeps every coefficient of the picture in memory
};

// The functions a libjpeg error may jump back into: plain data only.
struct JpegCore
{
    static bool ReadHeader(JpegReader::State *s, const unsigned char *data, unsigned long size)
    {
        s->cinfo.err = &s->err.pub;
        if (setjmp(s->err.jump))
            return false;
        jpeg_create_decompress(&s->cinfo);
        s->created = true;
        s->progress.progress_monitor = OnProgress;
        s->cinfo.progress = &s->progress;
        jpeg_mem_src(&s->cinfo, data, size);
        jpeg_save_markers(&s->cinfo, JPEG_APP0 + 1, 0xFFFF);
        jpeg_save_markers(&s->cinfo, JPEG_APP0 + 2, 0xFFFF);
        jpeg_read_header(&s->cinfo, TRUE);
        s->multiScan = jpeg_has_multiple_scans(&s->cinfo);
        return true;
    }

    static bool CalcOutput(JpegReader::State *s, int scaleNum, bool cmyk)
    {
        if (setjmp(s->err.jump))
            return false;
        s->cinfo.scale_num = unsigned(scaleNum);
        s->cinfo.scale_denom = 8;
        s->cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
        s->cinfo.dct_method = JDCT_ISLOW;
        s->cinfo.do_fancy_upsampling = TRUE;
        jpeg_calc_output_dimensions(&s->cinfo);
        return true;
    }

    static bool Start(JpegReader::State *s)
    {
        if (setjmp(s->err.jump))
            return false;
        jpeg_start_decompress(&s->cinfo);
        return true;
    }

    // Reads every scanline into `pixels` (RGB rows of `width` pixels); CMYK rows go
    // through `cmykRow` (4 bytes a pixel) and are converted, through `profile` when valid.
    static bool ReadLines(JpegReader::State *s, unsigned char *pixels, unsigned char *cmykRow, bool adobeInverted,
                          const CmykProfile *profile, JDIMENSION firstRow, JDIMENSION endRow)
    {
        if (setjmp(s->err.jump))
            return false;
        const std::size_t stride = std::size_t(s->cinfo.output_width) * 3;
        if (firstRow > 0 && jpeg_skip_scanlines(&s->cinfo, firstRow) != firstRow)
            return false;
        while (s->cinfo.output_scanline < endRow) {
            unsigned char *rowOut = pixels + std::size_t(s->cinfo.output_scanline) * stride;
            JSAMPROW row = cmykRow ? cmykRow : rowOut;
            if (jpeg_read_scanlines(&s->cinfo, &row, 1) != 1)
                return false;
            if (cmykRow && profile->isValid()) {
                profile->convert(cmykRow, rowOut, s->cinfo.output_width);
            } else if (cmykRow) {
                for (JDIMENSION x = 0; x < s->cinfo.output_width; ++x) {
                    unsigned c = cmykRow[4 * x], m = cmykRow[4 * x + 1], y = cmykRow[4 * x + 2], k = cmykRow[4 * x + 3];
                    if (!adobeInverted) {
                        c = 255 - c;
                        m = 255 - m;
                        y = 255 - y;
                        k = 255 - k;
                    }
                    rowOut[3 * x] = (unsigned char)((c * k + 127) / 255);
                    rowOut[3 * x + 1] = (unsigned char)((m * k + 127) / 255);
                    rowOut[3 * x + 2] = (unsigned char)((y * k + 127) / 255);
                }
            }
        }
        // The rows below the needed ones are skipped, not drawn, but their data is still
        // read, so a file cut short anywhere is refused. (Skipping up to the very end would
        // not read it: the library then just declares the picture finished.)
        const JDIMENSION rest = s->cinfo.output_height - s->cinfo.output_scanline;
        if (rest > 1 && jpeg_skip_scanlines(&s->cinfo, rest - 1) != rest - 1)
            return false;
        if (rest > 0) {
            unsigned char *rowOut = pixels + std::size_t(s->cinfo.output_scanline) * stride;
            JSAMPROW row = cmykRow ? cmykRow : rowOut;
            if (jpeg_read_scanlines(&s->cinfo, &row, 1) != 1)
                return false;
            std::memset(rowOut, 0, stride); // outside the needed rows the result stays black
        }
        jpeg_finish_decompress(&s->cinfo);
        return true;
    }
};

namespace {

QmError LibraryError(const char *message)
{
    return QmError(QStringLiteral("The JPEG picture cannot be read: %1.").arg(QString::fromLocal8Bit(message)));
}

} // namespace

JpegReader::JpegReader(const QByteArray &bytes, std::int64_t maxPixels) : d(new State), m_maxPixels(maxPixels)
{
    std::memset(static_cast<void *>(d.get()), 0, sizeof(State));
    InstallErrorBridge(d->err);
    if (bytes.isEmpty())
        throw QmError(QStringLiteral("The JPEG picture cannot be read: the file is empty."));
    if (!JpegCore::ReadHeader(d.get(), reinterpret_cast<const unsigned char *>(bytes.constData()),
                              static_cast<unsigned long>(bytes.size())))
        throw LibraryError(d->err.message);
    for (jpeg_saved_marker_ptr m = d->cinfo.marker_list; m; m = m->next)
        if (m->marker == JPEG_APP0 + 1 && m->data_length >= 6 && std::memcmp(m->data, "Exif\0\0", 6) == 0) {
            m_orientation = ExifOrientation(m->data, m->data_length);
            break;
        }
    // The profile comes in numbered pieces of "ICC_PROFILE\0", sequence number and count.
    std::vector<QByteArray> pieces;
    for (jpeg_saved_marker_ptr m = d->cinfo.marker_list; m; m = m->next)
        if (m->marker == JPEG_APP0 + 2 && m->data_length > 14 && std::memcmp(m->data, "ICC_PROFILE\0", 12) == 0) {
            const unsigned seq = m->data[12], count = m->data[13];
            if (seq < 1 || seq > count)
                continue;
            pieces.resize(std::max<std::size_t>(pieces.size(), count));
            pieces[seq - 1] = QByteArray(reinterpret_cast<const char *>(m->data) + 14, qsizetype(m->data_length) - 14);
        }
    if (std::all_of(pieces.begin(), pieces.end(), [](const QByteArray &p) { return !p.isEmpty(); }))
        for (const QByteArray &p : pieces)
            m_icc += p;
    if (d->multiScan && std::int64_t(storedWidth()) * storedHeight() > m_maxPixels)
        throw QmError(QStringLiteral("The JPEG picture is too large (%1 x %2 pixels in several scans); at most %3 "
                                     "megapixels can be processed.")
                          .arg(storedWidth())
                          .arg(storedHeight())
                          .arg(m_maxPixels / 1'000'000));
}

JpegReader::~JpegReader() = default;

void JpegReader::StateDeleter::operator()(State *state) const
{
    // Destroying only frees the library's memory; it does not report errors.
    if (state->created)
        jpeg_destroy_decompress(&state->cinfo);
    delete state;
}

int JpegReader::storedWidth() const
{
    return int(d->cinfo.image_width);
}

int JpegReader::storedHeight() const
{
    return int(d->cinfo.image_height);
}

int JpegReader::orientation() const
{
    return m_orientation;
}

QByteArray JpegReader::iccProfile() const
{
    return m_icc;
}

int JpegReader::shownWidth() const
{
    return m_orientation >= 5 ? storedHeight() : storedWidth();
}

int JpegReader::shownHeight() const
{
    return m_orientation >= 5 ? storedWidth() : storedHeight();
}

Bitmap JpegReader::decode(int scaleNum)
{
    return decode(scaleNum, {0, 0, double(shownWidth()), double(shownHeight())}, 0);
}

Bitmap JpegReader::decode(int scaleNum, const SourceRect &needed, int margin)
{
    scaleNum = std::clamp(scaleNum, 1, 8);
    const J_COLOR_SPACE space = d->cinfo.jpeg_color_space;
    const bool cmyk = space == JCS_CMYK || space == JCS_YCCK;
    if (!JpegCore::CalcOutput(d.get(), scaleNum, cmyk))
        throw LibraryError(d->err.message);
    // Checked before the library allocates its buffers for the picture.
    Bitmap picture(int(d->cinfo.output_width), int(d->cinfo.output_height), m_maxPixels);
    if (!JpegCore::Start(d.get()))
        throw LibraryError(d->err.message);
    if (int(d->cinfo.output_width) != picture.width() || int(d->cinfo.output_height) != picture.height() ||
        d->cinfo.output_components != (cmyk ? 4 : 3))
        throw QmError(QStringLiteral("The JPEG picture cannot be read: unexpected output format."));
    // The stored rows the needed area covers: shown rows, or shown columns for the
    // turned orientations, counted from the far side for the mirrored ones.
    const double h = storedHeight();
    double from = needed.top, to = needed.bottom;
    switch (m_orientation) {
    case 3:
    case 4:
        from = h - needed.bottom, to = h - needed.top;
        break;
    case 5:
    case 8:
        from = needed.left, to = needed.right;
        break;
    case 6:
    case 7:
        from = h - needed.right, to = h - needed.left;
        break;
    default:
        break;
    }
    const double f = scaleNum / 8.0;
    const double rows = picture.height();
    const auto firstRow = JDIMENSION(std::clamp(std::floor(from * f) - margin, 0.0, rows));
    const auto endRow = JDIMENSION(std::clamp(std::ceil(to * f) + margin, double(firstRow), rows));
    std::vector<unsigned char> cmykRow(cmyk ? std::size_t(picture.width()) * 4 : 0);
    // A CMYK picture without a profile keeps the plain conversion it always had.
    const CmykProfile profile(cmyk ? m_icc : QByteArray(), d->cinfo.saw_Adobe_marker);
    if (!JpegCore::ReadLines(d.get(), picture.data(), cmyk ? cmykRow.data() : nullptr, d->cinfo.saw_Adobe_marker, &profile, firstRow,
                             endRow))
        throw LibraryError(d->err.message[0] ? d->err.message : "the picture data stops short");
    return Oriented(std::move(picture), m_orientation);
}

int ChooseJpegScale(double areaWidth, double areaHeight, int drawWidth, int drawHeight)
{
    // The library has fast reduced transforms for 1/8, 1/4 and 1/2 only; the other
    // scales are slower than decoding at full size would suggest. A quarter more
    // pixels than drawn keeps the pictures as sharp as twice as many did.
    constexpr double kHeadroom = 1.25;
    for (int num : {1, 2, 4})
        if (areaWidth * num / 8 >= kHeadroom * drawWidth && areaHeight * num / 8 >= kHeadroom * drawHeight)
            return num;
    return 8;
}

DecodedPicture DecodeJpegSource(const QByteArray &bytes, const DecodeRequest &request)
{
    JpegReader reader(bytes, request.maxPixels);
    DecodedPicture result;
    result.shownWidth = reader.shownWidth();
    result.shownHeight = reader.shownHeight();
    result.icc = reader.iccProfile();
    if (!request.drawn) {
        result.pixels = reader.decode(8);
        return result;
    }
    const DrawnArea drawn = request.drawn(result.shownWidth, result.shownHeight);
    const SourceRect &area = drawn.area;
    const int num = ChooseJpegScale(area.right - area.left, area.bottom - area.top, drawn.width, drawn.height);
    // Rows beyond the filter's reach around the area are not decoded.
    const double f = num / 8.0;
    const double reach =
        std::max({(area.right - area.left) * f / std::max(drawn.width, 1), (area.bottom - area.top) * f / std::max(drawn.height, 1), 1.0});
    result.pixels = reader.decode(num, area, int(std::ceil(3 * reach)) + 2);
    result.scale = f;
    return result;
}

Bitmap DecodeJpeg(const QByteArray &bytes, std::int64_t maxPixels)
{
    JpegReader reader(bytes, maxPixels);
    return reader.decode(8);
}

// ---- encoding ----

namespace {

struct EncodeState
{
    jpeg_compress_struct cinfo;
    ErrorBridge err;
    unsigned char *buffer;
    unsigned long size;
    bool created;
};

bool EncodeCore(EncodeState *s, const unsigned char *pixels, int width, int height, int quality)
{
    s->cinfo.err = &s->err.pub;
    if (setjmp(s->err.jump))
        return false;
    jpeg_create_compress(&s->cinfo);
    s->created = true;
    jpeg_mem_dest(&s->cinfo, &s->buffer, &s->size);
    s->cinfo.image_width = JDIMENSION(width);
    s->cinfo.image_height = JDIMENSION(height);
    s->cinfo.input_components = 3;
    s->cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&s->cinfo);
    jpeg_set_quality(&s->cinfo, quality, TRUE);
    // Full-resolution chroma: small pictures with coloured edges and lettering keep them sharp.
    for (int c = 0; c < s->cinfo.num_components; ++c) {
        s->cinfo.comp_info[c].h_samp_factor = 1;
        s->cinfo.comp_info[c].v_samp_factor = 1;
    }
    s->cinfo.optimize_coding = TRUE;
    jpeg_start_compress(&s->cinfo, TRUE);
    const std::size_t stride = std::size_t(width) * 3;
    while (s->cinfo.next_scanline < s->cinfo.image_height) {
        JSAMPROW row = const_cast<unsigned char *>(pixels + std::size_t(s->cinfo.next_scanline) * stride);
        jpeg_write_scanlines(&s->cinfo, &row, 1);
    }
    jpeg_finish_compress(&s->cinfo);
    return true;
}

} // namespace

QByteArray EncodeJpeg(const Bitmap &picture, int quality)
{
    if (picture.isNull())
        throw QmError(QStringLiteral("An empty picture cannot be written as JPEG."));
    EncodeState s;
    std::memset(static_cast<void *>(&s), 0, sizeof s);
    InstallErrorBridge(s.err);
    const bool ok = EncodeCore(&s, picture.data(), picture.width(), picture.height(), quality);
    QByteArray bytes;
    if (ok)
        bytes = QByteArray(reinterpret_cast<const char *>(s.buffer), qsizetype(s.size));
    if (s.created)
        jpeg_destroy_compress(&s.cinfo);
    std::free(s.buffer);
    if (!ok)
        throw QmError(QStringLiteral("The JPEG picture cannot be written: %1.").arg(QString::fromLocal8Bit(s.err.message)));
    return bytes;
}

// ---- Exif ----

int ExifOrientation(const std::uint8_t *data, std::size_t size)
{
    if (size < 6 + 8 || std::memcmp(data, "Exif\0\0", 6) != 0)
        return 1;
    return TiffOrientation(data, size);
}

int TiffOrientation(const std::uint8_t *data, std::size_t size)
{
    if (size >= 6 && std::memcmp(data, "Exif\0\0", 6) == 0) {
        data += 6;
        size -= 6;
    }
    if (size < 8)
        return 1;
    const std::uint8_t *tiff = data;
    const std::size_t n = size;
    bool little;
    if (tiff[0] == 'I' && tiff[1] == 'I')
        little = true;
    else if (tiff[0] == 'M' && tiff[1] == 'M')
        little = false;
    else
        return 1;
    auto u16 = [&](std::size_t at) -> unsigned {
        return little ? unsigned(tiff[at]) | unsigned(tiff[at + 1]) << 8 : unsigned(tiff[at]) << 8 | unsigned(tiff[at + 1]);
    };
    auto u32 = [&](std::size_t at) -> std::uint32_t {
        return little ? std::uint32_t(u16(at)) | std::uint32_t(u16(at + 2)) << 16
                      : std::uint32_t(u16(at)) << 16 | std::uint32_t(u16(at + 2));
    };
    if (u16(2) != 42)
        return 1;
    const std::uint32_t ifd = u32(4);
    if (ifd < 8 || std::size_t(ifd) + 2 > n)
        return 1;
    const unsigned entries = u16(ifd);
    for (unsigned i = 0; i < entries; ++i) {
        const std::size_t at = std::size_t(ifd) + 2 + std::size_t(i) * 12;
        if (at + 12 > n)
            return 1;
        if (u16(at) == 0x0112) {
            const unsigned type = u16(at + 2);
            const unsigned value = type == 3 ? u16(at + 8) : type == 4 ? unsigned(u32(at + 8)) : 0;
            return value >= 1 && value <= 8 ? int(value) : 1;
        }
    }
    return 1;
}
