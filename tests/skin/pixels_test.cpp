// The nine-grid scaler, the colour-keyed copy, the blend and the rounding of centred positions.
#include "skin/pixels.h"

#include <gtest/gtest.h>

namespace sonorin::skin {
namespace {

// A 7 x 21 cell whose every pixel is different, so any misplaced pixel shows.
PixelImage numberedCell() {
    PixelImage cell(7, 21);
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 7; ++x)
            cell.set(x, y, 0x010000 * (x + 1) + y + 1);
    return cell;
}

PixelImage nineGrid(PixelImage& cell, int w, int h) {
    PixelImage out(w, h);
    DrawNineGrid(out.view(), 0, 0, w, h, cell.view(), 0, 0, 7, 21, 3, 3, 3, 3);
    return out;
}

TEST(NineGrid, SameSizeReproducesTheCell) {
    PixelImage cell = numberedCell();
    PixelImage out = nineGrid(cell, 7, 21);
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 7; ++x)
            ASSERT_EQ(out.at(x, y), cell.at(x, y)) << x << "," << y;
}

TEST(NineGrid, GrowingKeepsCornersAndRepeatsTheMiddle) {
    PixelImage cell = numberedCell();
    PixelImage out = nineGrid(cell, 100, 30);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(out.at(x, y), cell.at(x, y));
            EXPECT_EQ(out.at(97 + x, y), cell.at(4 + x, y));
            EXPECT_EQ(out.at(x, 27 + y), cell.at(x, 18 + y));
            EXPECT_EQ(out.at(97 + x, 27 + y), cell.at(4 + x, 18 + y));
        }
    }
    // Column 3 fills the middle of every row; the edge rows stretch rows 3..17 in order.
    for (int y = 0; y < 30; ++y)
        for (int x = 3; x < 97; ++x)
            ASSERT_EQ(out.at(x, y) >> 16, 4u) << x << "," << y;
    EXPECT_EQ(out.at(0, 3), cell.at(0, 3));
    EXPECT_EQ(out.at(0, 26), cell.at(0, 17));
    for (int y = 4; y < 27; ++y)
        EXPECT_GE(out.at(0, y), out.at(0, y - 1));
}

TEST(NineGrid, ShrinkingAndSmallerThanTheMargins) {
    PixelImage cell = numberedCell();
    PixelImage small = nineGrid(cell, 7, 8);  // two middle rows left of fifteen
    EXPECT_EQ(small.at(0, 0), cell.at(0, 0));
    EXPECT_EQ(small.at(6, 7), cell.at(6, 20));
    EXPECT_EQ(small.at(0, 3), cell.at(0, 6));   // centre of rows 3..9
    EXPECT_EQ(small.at(0, 4), cell.at(0, 14));  // centre of rows 10..17
    EXPECT_EQ(small.at(3, 4), cell.at(3, 14));

    // 4 x 4: the corners overlap; the bottom-right one is drawn last.
    PixelImage tiny = nineGrid(cell, 4, 4);
    EXPECT_EQ(tiny.at(0, 0), cell.at(0, 0));
    EXPECT_EQ(tiny.at(3, 0), cell.at(6, 0));
    EXPECT_EQ(tiny.at(0, 3), cell.at(0, 20));
    EXPECT_EQ(tiny.at(1, 1), cell.at(4, 18));
    EXPECT_EQ(tiny.at(3, 3), cell.at(6, 20));
}

TEST(NineGrid, NothingForAnEmptyRectangleAndKeyedPixelsLeaveTheDestination) {
    PixelImage cell = numberedCell();
    PixelImage out(10, 10);
    FillBox(out.view(), 0, 0, 10, 10, 0x123456);
    DrawNineGrid(out.view(), 0, 0, 0, 10, cell.view(), 0, 0, 7, 21, 3, 3, 3, 3);
    DrawNineGrid(out.view(), 0, 0, 10, 0, cell.view(), 0, 0, 7, 21, 3, 3, 3, 3);
    DrawNineGrid(out.view(), 0, 0, 10, 10, cell.view(), 0, 0, 0, 21, 3, 3, 3, 3);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(out.at(x, y), 0x123456u);

    cell.set(0, 0, 0xFF00FF);
    DrawNineGrid(out.view(), 1, 1, 7, 21, cell.view(), 0, 0, 7, 21, 3, 3, 3, 3, 0xFF00FF);
    EXPECT_EQ(out.at(1, 1), 0x123456u);
    EXPECT_EQ(out.at(2, 1), cell.at(1, 0));
    EXPECT_EQ(out.at(0, 0), 0x123456u);  // outside the destination rectangle
}

TEST(NineGrid, WithoutMarginsTheWholeCellIsStretched) {
    PixelImage cell(2, 1);
    cell.set(0, 0, 0x111111);
    cell.set(1, 0, 0x222222);
    PixelImage out(6, 2);
    DrawNineGrid(out.view(), 0, 0, 6, 2, cell.view(), 0, 0, 2, 1, 0, 0, 0, 0);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(out.at(x, y), x < 3 ? 0x111111u : 0x222222u);
}

TEST(Transparent, KeyPixelsLeaveTheDestinationUnchanged) {
    PixelImage src(3, 2), dst(3, 2);
    FillBox(src.view(), 0, 0, 3, 2, 0xFF00FF);
    FillBox(dst.view(), 0, 0, 3, 2, 0x0000FF);
    DrawTransparent(dst.view(), 0, 0, 3, 2, src.view(), 0, 0, 0xFF00FF);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(dst.at(x, y), 0x0000FFu);
    src.set(1, 1, 0x00FF00);
    DrawTransparent(dst.view(), 0, 0, 3, 2, src.view(), 0, 0, 0xFF00FF);
    EXPECT_EQ(dst.at(1, 1), 0x00FF00u);
    EXPECT_EQ(dst.at(0, 1), 0x0000FFu);
}

TEST(Blend, ConstantOpacity) {
    PixelImage under(1, 1), over(1, 1);
    under.set(0, 0, 0x000000);
    over.set(0, 0, 0xFF8040);
    blendPixels(under.view(), over.view(), 1, 1, 0);
    EXPECT_EQ(under.at(0, 0), 0x000000u);
    blendPixels(under.view(), over.view(), 1, 1, 128);
    EXPECT_EQ(under.at(0, 0), 0x804020u);
    blendPixels(under.view(), over.view(), 1, 1, 255);
    EXPECT_EQ(under.at(0, 0), 0xFF8040u);
}

TEST(Rounding, HalvesGoToTheEvenInteger) {
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(5.5), 6);
    EXPECT_EQ(roundHalfEven(3.5), 4);
    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(-1.5), -2);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(2.4), 2);
    EXPECT_EQ(roundHalfEven(2.6), 3);
    EXPECT_EQ(centreOffset(13, 9), 2);
    EXPECT_EQ(centreOffset(13, 8), 2);
    EXPECT_EQ(centreOffset(16, 5), 6);
}

}  // namespace
}  // namespace sonorin::skin
