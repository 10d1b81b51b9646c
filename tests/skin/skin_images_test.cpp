// The five images: sizes, cells, the normal face pixel by pixel, colours and directions of the
// other faces, and the key colour wherever no shape is.
#include "skin/skin_images.h"

#include <gtest/gtest.h>

namespace sonorin::skin {
namespace {

// The designer's normal face, as the look book gives it.
const Rgb kFace0[21][7] = {
    {0xBFE1F9, 0x6BB3E3, 0x2C97D8, 0x1B8FD5, 0x2C97D8, 0x6BB3E3, 0xBFE1F9},
    {0x69B2E2, 0x7EC0E7, 0xE7F3FB, 0xFFFFFF, 0xE7F3FB, 0x7EC0E7, 0x69B2E2},
    {0x2995D7, 0xECF6FC, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xECF6FC, 0x2995D7},
    {0x1B8FD5, 0xF5FAFD, 0xF1F8FC, 0xF1F8FC, 0xF1F8FC, 0xF5FAFD, 0x1B8FD5},
    {0x1B8FD5, 0xF3F9FC, 0xEEF6FB, 0xEEF6FB, 0xEEF6FB, 0xF3F9FC, 0x1B8FD5},
    {0x1B8FD5, 0xF0F7FC, 0xEAF4FB, 0xEAF4FB, 0xEAF4FB, 0xF0F7FC, 0x1B8FD5},
    {0x1B8FD5, 0xEEF6FC, 0xE6F2FB, 0xE6F2FB, 0xE6F2FB, 0xEEF6FC, 0x1B8FD5},
    {0x1B8FD5, 0xEBF5FC, 0xE2F0FA, 0xE2F0FA, 0xE2F0FA, 0xEBF5FC, 0x1B8FD5},
    {0x1B8FD5, 0xE8F3FC, 0xDEEEFA, 0xDEEEFA, 0xDEEEFA, 0xE8F3FC, 0x1B8FD5},
    {0x1B8FD5, 0xE5F2FB, 0xDAECF9, 0xDAECF9, 0xDAECF9, 0xE5F2FB, 0x1B8FD5},
    {0x1B8FD5, 0xE3F0FB, 0xD7EAF9, 0xD7EAF9, 0xD7EAF9, 0xE3F0FB, 0x1B8FD5},
    {0x1B8FD5, 0xDBEBF8, 0xCCE2F5, 0xCCE2F5, 0xCCE2F5, 0xDBEBF8, 0x1B8FD5},
    {0x1B8FD5, 0xD9E9F7, 0xC8DFF3, 0xC8DFF3, 0xC8DFF3, 0xD9E9F7, 0x1B8FD5},
    {0x1B8FD5, 0xD5E7F5, 0xC3DCF1, 0xC3DCF1, 0xC3DCF1, 0xD5E7F5, 0x1B8FD5},
    {0x1B8FD5, 0xD2E4F4, 0xBED8EF, 0xBED8EF, 0xBED8EF, 0xD2E4F4, 0x1B8FD5},
    {0x1B8FD5, 0xCDE2F2, 0xB8D5ED, 0xB8D5ED, 0xB8D5ED, 0xCDE2F2, 0x1B8FD5},
    {0x1B8FD5, 0xCBE0F1, 0xB4D2EB, 0xB4D2EB, 0xB4D2EB, 0xCBE0F1, 0x1B8FD5},
    {0x1B8FD5, 0xC9DEF0, 0xB1D0EA, 0xB1D0EA, 0xB1D0EA, 0xC9DEF0, 0x1B8FD5},
    {0x2895D7, 0xBAD7EE, 0xBBD6EC, 0xB0CFE9, 0xBBD5EC, 0xBAD7EE, 0x2895D7},
    {0x64B0E2, 0x68B2E1, 0xBBD8EE, 0xCCE0F1, 0xBBD8EE, 0x68B2E1, 0x62AFE1},
    {0xCAE7FB, 0x60AEE1, 0x2A96D8, 0x1B8FD5, 0x2A96D8, 0x60AEE1, 0xCAE7FB},
};

int brightness(Rgb c) {
    return ((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) + (c & 0xFF);
}

bool isKey(const PixelImage& image, int x, int y) {
    return image.at(x, y) == KeyColor;
}

TEST(SkinImages, SizesAndPixelCount) {
    int pixels = 0;
    for (int i = 0; i < kSkinImageCount; ++i) {
        PixelImage image = makeSkinImage(static_cast<SkinImage>(i));
        EXPECT_EQ(image.width(), kImageSizes[i].width);
        EXPECT_EQ(image.height(), kImageSizes[i].height);
        pixels += image.width() * image.height();
    }
    EXPECT_EQ(pixels, 2146);
}

TEST(ButtonFaces, NormalFacePixelByPixel) {
    PixelImage faces = makeSkinImage(SkinImage::ButtonFaces);
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 7; ++x)
            ASSERT_EQ(faces.at(x, y), kFace0[y][x]) << "row " << y << " column " << x;
}

TEST(ButtonFaces, FramesOfTheOtherFaces) {
    PixelImage faces = makeSkinImage(SkinImage::ButtonFaces);
    for (int n = 1; n < 4; ++n) {
        const Rgb border = n == 3 ? 0x87C3E8 : 0x1B8FD5;
        const int top = 21 * n;
        for (int y = 3; y <= 17; ++y) {
            EXPECT_EQ(faces.at(0, top + y), border) << n;
            EXPECT_EQ(faces.at(6, top + y), border) << n;
        }
        EXPECT_EQ(faces.at(3, top), border) << n;
        EXPECT_EQ(faces.at(3, top + 20), border) << n;
        const Rgb corner = n == 3 ? 0xF2F7FB : 0xBFE1F9;
        EXPECT_EQ(faces.at(0, top), corner) << n;
        EXPECT_EQ(faces.at(6, top), corner) << n;
    }
}

TEST(ButtonFaces, GradientsRunTheirWay) {
    PixelImage faces = makeSkinImage(SkinImage::ButtonFaces);
    const struct {
        int face;
        Rgb edgeTop, edgeBottom, centreTop, centreBottom;
        bool centreDarkensDownward;
    } looks[] = {
        {1, 0x46C1FB, 0x39BAF8, 0xD2EEFC, 0xA7D4F2, true},
        {2, 0x31B7F9, 0x3EBFFC, 0x9FD4F3, 0xC3EAFD, false},
    };
    for (const auto& l : looks) {
        const int top = 21 * l.face;
        for (int x : {1, 5}) {
            EXPECT_EQ(faces.at(x, top + 3), l.edgeTop);
            EXPECT_EQ(faces.at(x, top + 17), l.edgeBottom);
        }
        EXPECT_EQ(faces.at(3, top + 3), l.centreTop);
        EXPECT_EQ(faces.at(3, top + 17), l.centreBottom);
        for (int y = 4; y <= 17; ++y) {
            const int step =
                brightness(faces.at(3, top + y)) - brightness(faces.at(3, top + y - 1));
            EXPECT_TRUE(l.centreDarkensDownward ? step <= 0 : step >= 0) << l.face << " " << y;
        }
    }
    EXPECT_EQ(faces.at(3, 63 + 3), 0xF2F7FBu);
    EXPECT_EQ(faces.at(3, 63 + 17), 0xD2E3F3u);
    // Normal: white to light blue downward.
    EXPECT_GT(brightness(faces.at(3, 3)), brightness(faces.at(3, 17)));
}

TEST(ComboParts, ButtonsArrowsAndKey) {
    PixelImage parts = makeSkinImage(SkinImage::ComboParts);
    for (int y = 0; y < 18; ++y) {
        EXPECT_EQ(parts.at(0, y), 0x4EA0D1u);
        EXPECT_EQ(parts.at(4, y), 0x4EA0D1u);
    }
    EXPECT_EQ(parts.at(2, 1), 0xC1EEFDu);
    EXPECT_EQ(parts.at(2, 16), 0x65B8E3u);
    EXPECT_EQ(parts.at(6, 1), 0x61B5E2u);
    EXPECT_EQ(parts.at(6, 16), 0xBCEBFCu);
    const int widths[4] = {7, 5, 3, 1};
    for (int cell = 0; cell < 2; ++cell) {
        const Rgb colour = cell == 0 ? 0x19555F : 0x84A5AC;
        for (int row = 0; row < 4; ++row) {
            for (int x = 0; x < 7; ++x) {
                const bool in = x >= (7 - widths[row]) / 2 && x < (7 + widths[row]) / 2;
                EXPECT_EQ(parts.at(8 + x, 4 * cell + row), in ? colour : KeyColor)
                    << cell << " " << x << "," << row;
            }
        }
    }
    for (int y = 8; y < 18; ++y)
        for (int x = 8; x < 15; ++x)
            EXPECT_TRUE(isKey(parts, x, y));
}

TEST(Glyphs, TickSquareDotAndKey) {
    PixelImage g = makeSkinImage(SkinImage::Glyphs);
    for (int cell = 0; cell < 2; ++cell) {
        const int x0 = 9 * cell;
        // The tick's three ends, and its top row in the ramp's first colour.
        EXPECT_FALSE(isKey(g, x0 + 0, 3));
        EXPECT_FALSE(isKey(g, x0 + 3, 7));
        EXPECT_FALSE(isKey(g, x0 + 8, 0));
        EXPECT_EQ(g.at(x0 + 8, 0), cell == 0 ? 0x54B71Du : 0xA8DA8Cu);
        EXPECT_TRUE(isKey(g, x0 + 0, 0));
        EXPECT_TRUE(isKey(g, x0 + 8, 7));
        EXPECT_GT(brightness(g.at(x0 + 8, 0)), brightness(g.at(x0 + 3, 7)));
        for (int y = 9; y < 16; ++y)
            for (int x = 1; x < 8; ++x)
                EXPECT_FALSE(isKey(g, x0 + x, y));
        EXPECT_TRUE(isKey(g, x0 + 0, 9));
        const int dotWidths[5] = {3, 5, 5, 5, 3};
        for (int row = 0; row < 5; ++row) {
            int painted = 0;
            for (int x = 0; x < 5; ++x)
                painted += isKey(g, x0 + 2 + x, 18 + row) ? 0 : 1;
            EXPECT_EQ(painted, dotWidths[row]);
        }
        EXPECT_EQ(g.at(x0 + 3, 18), cell == 0 ? 0x5CBA28u : 0xADDC93u);
        EXPECT_EQ(g.at(x0 + 3, 22), cell == 0 ? 0x3F9D0Bu : 0x9FCE85u);
    }
    EXPECT_TRUE(isKey(g, 17, 23));
    EXPECT_TRUE(isKey(g, 9, 17));
}

TEST(RoundFaces, DiscsRimsAndKeyCorners) {
    PixelImage r = makeSkinImage(SkinImage::RoundFaces);
    const int widths[13] = {7, 9, 11, 13, 13, 13, 13, 13, 13, 13, 11, 9, 7};
    const Rgb rims[4] = {0x83A6D2, 0x83A6D2, 0x6489C1, 0xC1D2E8};
    for (int n = 0; n < 4; ++n) {
        for (int y = 0; y < 13; ++y) {
            int painted = 0;
            for (int x = 0; x < 13; ++x)
                painted += isKey(r, x, 13 * n + y) ? 0 : 1;
            EXPECT_EQ(painted, widths[y]) << n << " row " << y;
        }
        EXPECT_EQ(r.at(6, 13 * n), rims[n]);
        EXPECT_EQ(r.at(0, 13 * n + 6), rims[n]);
        EXPECT_TRUE(isKey(r, 0, 13 * n));
    }
    EXPECT_EQ(r.at(6, 6), 0xFFFFFFu);
    EXPECT_EQ(r.at(6, 13 + 1), 0xC3EAF8u);
    EXPECT_EQ(r.at(6, 26 + 1), 0xCDEFFAu);
    EXPECT_EQ(r.at(6, 39 + 6), 0xFFFFFFu);
}

TEST(HeaderFaces, ThreeFacesWithTheBottomLine) {
    PixelImage h = makeSkinImage(SkinImage::HeaderFaces);
    for (int x = 0; x < 9; ++x)
        EXPECT_EQ(h.at(x, 19), 0xC0DAF2u);
    EXPECT_EQ(h.at(1, 0), 0xEAF5FEu);
    EXPECT_EQ(h.at(2, 5), 0x7AB0D9u);
    EXPECT_EQ(h.at(4, 0), 0xD3EEFEu);
    EXPECT_EQ(h.at(3, 5), 0x5EC2FAu);
    EXPECT_EQ(h.at(5, 5), 0x4BA2DBu);
    EXPECT_EQ(h.at(7, 0), 0x97D7FBu);
    EXPECT_GT(brightness(h.at(1, 0)), brightness(h.at(1, 18)));  // normal darkens downward
    EXPECT_LT(brightness(h.at(7, 0)), brightness(h.at(7, 18)));  // pressed lightens
}

}  // namespace
}  // namespace sonorin::skin
