// The raster layer: the stretch copy and the orientation turns.
#include "test_pictures_support.h"

#include "model/Error.h"
#include "publish/Raster.h"

using namespace picturetest;

namespace {

TEST(PicturesRaster, SameSizeStretchIsAnExactCopy)
{
    const Bitmap source = Gradient(37, 23);
    Bitmap target(37, 23);
    StretchCopy(source, {0, 0, 37, 23}, target, {0, 0, 37, 23});
    EXPECT_EQ(Psnr(source, target), 99.0);
}

TEST(PicturesRaster, FlatColourStaysFlatWhenShrunkOrEnlarged)
{
    const Bitmap source = Solid(90, 60, 0x204080);
    for (auto [w, h] : {std::pair{7, 5}, std::pair{300, 11}, std::pair{1, 1}}) {
        Bitmap target(w, h);
        StretchCopy(source, {0, 0, 90, 60}, target, {0, 0, w, h});
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(target.pixel(x, y), 0x204080u) << w << "x" << h << " at " << x << "," << y;
    }
}

TEST(PicturesRaster, OnlyTheDestinationRectangleIsDrawn)
{
    const Bitmap source = Solid(50, 50, 0x0000FF);
    Bitmap target = Solid(20, 10, 0x00FF00);
    StretchCopy(source, {0, 0, 50, 50}, target, {5, 2, 15, 8});
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool inside = x >= 5 && x < 15 && y >= 2 && y < 8;
            ASSERT_EQ(target.pixel(x, y), inside ? 0x0000FFu : 0x00FF00u) << x << "," << y;
        }
    // A rectangle reaching past the target is clipped; an empty one draws nothing.
    StretchCopy(source, {0, 0, 50, 50}, target, {-30, -30, 40, 40});
    EXPECT_EQ(target.pixel(19, 9), 0x0000FFu);
    Bitmap untouched = Solid(4, 4, 0);
    StretchCopy(source, {0, 0, 50, 50}, untouched, {2, 2, 2, 3});
    EXPECT_EQ(untouched.pixel(2, 2), 0u);
}

TEST(PicturesRaster, SourceAreaSelectsThePartDrawn)
{
    // Left half red, right half blue: drawing the right 40 % gives blue only.
    Bitmap source = Solid(100, 20, 0x0000FF);
    FillRect(source, {50, 0, 100, 20}, 0xFF0000);
    Bitmap target(10, 4);
    StretchCopy(source, {60, 0, 100, 20}, target, {0, 0, 10, 4});
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(target.pixel(x, 2), 0xFF0000u) << x;
}

TEST(PicturesRaster, OrientationsTurnAndMirror)
{
    // 3 x 2, marked at its stored top-left corner.
    Bitmap stored = Solid(3, 2, 0);
    stored.setPixel(0, 0, 255, 255, 255);
    struct Case
    {
        int orientation, width, x, y; // where the mark shows
    };
    for (const Case &c : {Case{1, 3, 0, 0}, Case{2, 3, 2, 0}, Case{3, 3, 2, 1}, Case{4, 3, 0, 1}, Case{5, 2, 0, 0}, Case{6, 2, 1, 0},
                          Case{7, 2, 1, 2}, Case{8, 2, 0, 2}}) {
        const Bitmap shown = Oriented(stored, c.orientation);
        ASSERT_EQ(shown.width(), c.width) << c.orientation;
        EXPECT_EQ(shown.pixel(c.x, c.y), 0xFFFFFFu) << "orientation " << c.orientation;
    }
}

TEST(PicturesRaster, SizesOutsideTheLimitsAreRefused)
{
    EXPECT_THROW(Bitmap(0, 5), QmError);
    EXPECT_THROW(Bitmap(5, -1), QmError);
    EXPECT_THROW(Bitmap(20000, 20000), QmError);
    EXPECT_THROW(Bitmap(100, 100, 9999), QmError);
}

} // namespace
