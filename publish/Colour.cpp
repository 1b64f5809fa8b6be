#include "publish/Colour.h"

#include <lcms2.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

// Profiles and transforms released on every way out.
struct ProfileHandle
{
    cmsHPROFILE h;
    explicit ProfileHandle(cmsHPROFILE profile) : h(profile) {}
    ~ProfileHandle()
    {
        if (h)
            cmsCloseProfile(h);
    }
    ProfileHandle(const ProfileHandle &) = delete;
    ProfileHandle &operator=(const ProfileHandle &) = delete;
};

cmsHPROFILE OpenProfile(const QByteArray &icc)
{
    if (icc.isEmpty() || icc.size() > (qsizetype(1) << 26))
        return nullptr;
    return cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size()));
}

// Perceptual where the profile has tables for it; matrix profiles fall back to
// relative colorimetric, as browsers convert them.
cmsHTRANSFORM MakeTransform(cmsHPROFILE from, cmsUInt32Number inFormat)
{
    ProfileHandle srgb(cmsCreate_sRGBProfile());
    return cmsCreateTransform(from, inFormat, srgb.h, TYPE_RGB_8, INTENT_PERCEPTUAL, 0);
}

// True when the transform leaves every colour of a grid through the cube (and every
// grey) within one level of itself: an sRGB profile (the many slightly different
// copies cameras embed), which must not shift a picture by rounding.
bool IsIdentity(cmsHTRANSFORM transform, bool grey)
{
    std::vector<std::uint8_t> in, out;
    for (int v = 0; v < 256; ++v)
        for (int c = 0; c < (grey ? 1 : 3); ++c)
            in.push_back(std::uint8_t(v));
    if (!grey)
        for (int r = 0; r < 256; r += 17)
            for (int g = 0; g < 256; g += 17)
                for (int b = 0; b < 256; b += 17)
                    in.insert(in.end(), {std::uint8_t(r), std::uint8_t(g), std::uint8_t(b)});
    const cmsUInt32Number count = cmsUInt32Number(in.size() / (grey ? 1 : 3));
    out.resize(std::size_t(count) * 3);
    cmsDoTransform(transform, in.data(), out.data(), count);
    for (cmsUInt32Number i = 0; i < count; ++i)
        for (int c = 0; c < 3; ++c)
            if (std::abs(int(out[3 * i + c]) - int(in[grey ? i : 3 * i + c])) > 1)
                return false;
    return true;
}

} // namespace

void ConvertToSrgb(Bitmap &picture, const QByteArray &icc)
{
    if (picture.isNull())
        return;
    ProfileHandle profile(OpenProfile(icc));
    if (!profile.h || cmsGetDeviceClass(profile.h) == cmsSigLinkClass)
        return;
    const cmsColorSpaceSignature space = cmsGetColorSpace(profile.h);
    if (space != cmsSigRgbData && space != cmsSigGrayData)
        return;
    const bool grey = space == cmsSigGrayData;
    const cmsHTRANSFORM transform = MakeTransform(profile.h, grey ? TYPE_GRAY_8 : TYPE_RGB_8);
    if (!transform)
        return;
    if (IsIdentity(transform, grey)) {
        cmsDeleteTransform(transform);
        return;
    }
    const auto width = cmsUInt32Number(picture.width());
    std::vector<std::uint8_t> greyRow(grey ? width : 0);
    for (int y = 0; y < picture.height(); ++y) {
        std::uint8_t *row = picture.row(y);
        if (grey) {
            for (cmsUInt32Number x = 0; x < width; ++x)
                greyRow[x] = row[3 * x];
            cmsDoTransform(transform, greyRow.data(), row, width);
        } else {
            cmsDoTransform(transform, row, row, width);
        }
    }
    cmsDeleteTransform(transform);
}

CmykProfile::CmykProfile(const QByteArray &icc, bool inverted)
{
    ProfileHandle profile(OpenProfile(icc));
    if (profile.h && cmsGetColorSpace(profile.h) == cmsSigCmykData && cmsGetDeviceClass(profile.h) != cmsSigLinkClass)
        m_transform = MakeTransform(profile.h, inverted ? TYPE_CMYK_8_REV : TYPE_CMYK_8);
}

CmykProfile::~CmykProfile()
{
    if (m_transform)
        cmsDeleteTransform(m_transform);
}

void CmykProfile::convert(const std::uint8_t *cmyk, std::uint8_t *rgb, std::uint32_t count) const
{
    cmsDoTransform(m_transform, cmyk, rgb, count);
}

QByteArray ProfileFromPrimaries(const double primaries[8])
{
    const cmsCIExyYTRIPLE rgb = {{primaries[0], primaries[1], 1.0}, {primaries[2], primaries[3], 1.0}, {primaries[4], primaries[5], 1.0}};
    const cmsCIExyY white = {primaries[6], primaries[7], 1.0};
    // The sRGB tone curve: a line near black, then a power of 2.4.
    const double params[5] = {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045};
    cmsToneCurve *curve = cmsBuildParametricToneCurve(nullptr, 4, params);
    if (!curve)
        return QByteArray();
    cmsToneCurve *curves[3] = {curve, curve, curve};
    ProfileHandle profile(cmsCreateRGBProfile(&white, &rgb, curves));
    cmsFreeToneCurve(curve);
    cmsUInt32Number size = 0;
    if (!profile.h || !cmsSaveProfileToMem(profile.h, nullptr, &size) || size == 0)
        return QByteArray();
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    if (!cmsSaveProfileToMem(profile.h, bytes.data(), &size))
        return QByteArray();
    return bytes;
}
