// Helpers of the picture tests: generated pictures, comparisons, and a private
// per-user folder tree for one test.
#pragma once

#include "ErrorOf.h"
#include "FileBytes.h"
#include "ScratchHome.h"

#include "model/AppletAgent.h"
#include "model/MemorySeams.h"
#include "publish/Raster.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cmath>
#include <functional>

namespace picturetest {

class UserFolders : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_scratch.isValid()); }
    QString work(const QString &name) const { return m_scratch.Work() + name; }
    QString appFolder() const { return m_scratch.DataHome() + QStringLiteral("/Brindlecove/Quillmere/1.0/"); }

private:
    ScratchHome m_scratch;
};

// A document of one gallery size whose items are added one per source, for the
// per-build pass over the items' pictures.
class ItemPassFixture : public UserFolders
{
protected:
    void useGallery(const QString &width, const QString &height, const QString &fill)
    {
        document.SetDefaults();
        document.AppletData.ActiveItemWidth = width;
        document.AppletData.ItemHeight = height;
        document.AppletData.ThumbProcessType = QStringLiteral("0");
        document.AppletData.ThumbFillColor = fill;
    }

    void addItem(const QString &source)
    {
        TItemData item;
        item.OriginalImagePath = source;
        item.ImageFile = QStringLiteral("old.jpg");
        document.Items.push_back(item);
        tree.AddLastChild(0, QStringLiteral("item"));
    }

    TAppletAgent document;
    MemoryItemTree tree;
};

inline Bitmap Solid(int w, int h, TColor color)
{
    Bitmap b(w, h);
    Fill(b, color);
    return b;
}

// Smooth colours with every pixel different from its neighbours.
inline Bitmap Gradient(int w, int h)
{
    Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, std::uint8_t(x * 255 / std::max(w - 1, 1)), std::uint8_t(y * 255 / std::max(h - 1, 1)),
                       std::uint8_t((x + y) * 127 / std::max(w + h - 2, 1) + 64));
    return b;
}

inline double Psnr(const Bitmap &a, const Bitmap &b)
{
    if (a.width() != b.width() || a.height() != b.height())
        return 0;
    double sum = 0;
    const std::size_t n = std::size_t(a.width()) * std::size_t(a.height()) * 3;
    for (std::size_t i = 0; i < n; ++i) {
        const double d = double(a.data()[i]) - double(b.data()[i]);
        sum += d * d;
    }
    return sum == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / (sum / double(n)));
}

// Squared distance of two colour words 0x00BBGGRR.
inline int ColourDistance(TColor a, TColor b)
{
    int sum = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
        sum += d * d;
    }
    return sum;
}

using ::ErrorOf;

} // namespace picturetest
