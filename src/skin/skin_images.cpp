#include "skin/skin_images.h"

#include <algorithm>
#include <cmath>

namespace sonorin::skin {
namespace {

// The normal face as drawn by the designer; the other faces follow its shape.
constexpr Rgb kNormalFace[kFaceHeight][kFaceWidth] = {
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

constexpr Rgb kFaceBorder = 0x1B8FD5;
constexpr Rgb kDisabledFaceBorder = 0x87C3E8;
constexpr Rgb kDisabledFaceCorner = 0xF2F7FB;

// Linear mix of two colours, t from 0 (a) to 1 (b), rounded per channel.
Rgb mix(Rgb a, Rgb b, double t) {
    Rgb out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const double ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
        out |= static_cast<Rgb>(std::lround(ca + (cb - ca) * t)) << shift;
    }
    return out;
}

// A vertical ramp from `top` at row `first` to `bottom` at row `last`.
Rgb ramp(Rgb top, Rgb bottom, int row, int first, int last) {
    if (last <= first)
        return top;
    return mix(top, bottom, static_cast<double>(row - first) / (last - first));
}

struct FaceLook {
    Rgb edgeTop, edgeBottom;      // columns 1 and 5, rows 3..17
    Rgb centreTop, centreBottom;  // columns 2..4, rows 3..17
};
constexpr FaceLook kFaceLooks[4] = {
    {},                                        // normal: the table above
    {0x46C1FB, 0x39BAF8, 0xD2EEFC, 0xA7D4F2},  // hover
    {0x31B7F9, 0x3EBFFC, 0x9FD4F3, 0xC3EAFD},  // pressed
    {0xF8FBFD, 0xE8F1F9, 0xF2F7FB, 0xD2E3F3},  // disabled
};

bool onRing(int x, int y) {
    return x == 0 || x == kFaceWidth - 1 || y == 0 || y == kFaceHeight - 1;
}

// How far a pixel of the normal face's frame is from white towards the border colour, read
// on the green channel, which varies most along the anti-aliased edge.
double borderShare(Rgb p) {
    const double g = (p >> 8) & 0xFF, border = (kFaceBorder >> 8) & 0xFF;
    return std::clamp((255.0 - g) / (255.0 - border), 0.0, 1.0);
}

Rgb facePixel(int face, int x, int y) {
    if (face == 0)
        return kNormalFace[y][x];
    const FaceLook& look = kFaceLooks[face];
    const bool edgeColumn = x == 1 || x == kFaceWidth - 2;
    if (onRing(x, y)) {
        if (face != 3)
            return kNormalFace[y][x];
        if (y == 0 && (x == 0 || x == kFaceWidth - 1))
            return kDisabledFaceCorner;
        return mix(White, kDisabledFaceBorder, borderShare(kNormalFace[y][x]));
    }
    const int row = std::clamp(y, 3, 17);
    const Rgb inner = edgeColumn ? ramp(look.edgeTop, look.edgeBottom, row, 3, 17)
                                 : ramp(look.centreTop, look.centreBottom, row, 3, 17);
    // The four pixels just inside the rounded corners are half frame, half inside.
    if (edgeColumn && (y == 1 || y == kFaceHeight - 2))
        return mix(inner, face == 3 ? kDisabledFaceBorder : kFaceBorder, 0.5);
    return inner;
}

void paintButtonFaces(const PixelView& v) {
    for (int face = 0; face < 4; ++face)
        for (int y = 0; y < kFaceHeight; ++y)
            for (int x = 0; x < kFaceWidth; ++x)
                v.at(x, face * kFaceHeight + y) = facePixel(face, x, y);
}

// A downward triangle 7, 5, 3, 1 pixels wide in a 7 x 4 cell.
void paintArrow(const PixelView& v, int cx, int cy, Rgb colour) {
    for (int row = 0; row < 4; ++row)
        for (int x = row; x < 7 - row; ++x)
            v.at(cx + x, cy + row) = colour;
}

void paintComboParts(const PixelView& v) {
    FillBox(v, 0, 0, v.width, v.height, KeyColor);
    const struct {
        int x;
        Rgb top, bottom;
    } buttons[] = {{0, 0xC1EEFD, 0x65B8E3}, {4, 0x61B5E2, 0xBCEBFC}};
    for (const auto& b : buttons) {
        for (int y = 0; y < 18; ++y) {
            v.at(b.x, y) = 0x4EA0D1;
            const Rgb c = ramp(b.top, b.bottom, std::clamp(y, 1, 16), 1, 16);
            for (int x = 1; x < 4; ++x)
                v.at(b.x + x, y) = (x == 1 || x == 3) ? mix(c, White, 0.25) : c;
        }
    }
    paintArrow(v, 8, 0, 0x19555F);
    paintArrow(v, 8, 4, 0x84A5AC);
}

void paintGlyphs(const PixelView& v) {
    FillBox(v, 0, 0, v.width, v.height, KeyColor);
    // The tick: a short stroke from (0, 3) down to (3, 7), a long one up to (8, 0).
    static const char* const tick[8] = {".......XX", "......XXX", ".....XXX.", "X...XXX..",
                                        "XX.XXX...", "XXXXX....", ".XXX.....", "..XX....."};
    const struct {
        int x;
        Rgb top, bottom, dotTop, dotBottom;
    } looks[] = {{0, 0x54B71D, 0x2E7D05, 0x5CBA28, 0x3F9D0B},
                 {9, 0xA8DA8C, 0x98C77E, 0xADDC93, 0x9FCE85}};
    for (const auto& l : looks) {
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 9; ++x)
                if (tick[y][x] == 'X')
                    v.at(l.x + x, y) = ramp(l.top, l.bottom, y, 0, 7);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 7; ++x)
                v.at(l.x + 1 + x, 9 + y) = ramp(l.top, l.bottom, y, 0, 6);
        static const int dotWidths[5] = {3, 5, 5, 5, 3};
        for (int y = 0; y < 5; ++y) {
            const int from = centreOffset(5, dotWidths[y]);
            for (int x = from; x < from + dotWidths[y]; ++x)
                v.at(l.x + 2 + x, 18 + y) = ramp(l.dotTop, l.dotBottom, y, 0, 4);
        }
    }
}

void paintRoundFaces(const PixelView& v) {
    FillBox(v, 0, 0, v.width, v.height, KeyColor);
    static const int widths[13] = {7, 9, 11, 13, 13, 13, 13, 13, 13, 13, 11, 9, 7};
    const struct {
        Rgb rim, top, bottom;
    } looks[4] = {{0x83A6D2, White, White},
                  {0x83A6D2, 0xC3EAF8, 0xDDF4FC},
                  {0x6489C1, 0xCDEFFA, 0xAEE1F5},
                  {0xC1D2E8, White, White}};
    auto inDisc = [&](int x, int y) {
        if (y < 0 || y >= 13)
            return false;
        const int from = (13 - widths[y]) / 2;
        return x >= from && x < from + widths[y];
    };
    for (int n = 0; n < 4; ++n) {
        for (int y = 0; y < 13; ++y) {
            for (int x = 0; x < 13; ++x) {
                if (!inDisc(x, y))
                    continue;
                const bool rim = !inDisc(x - 1, y) || !inDisc(x + 1, y) || !inDisc(x, y - 1) ||
                                 !inDisc(x, y + 1);
                v.at(x, 13 * n + y) =
                    rim ? looks[n].rim : ramp(looks[n].top, looks[n].bottom, y, 1, 11);
            }
        }
    }
}

void paintHeaderFaces(const PixelView& v) {
    const struct {
        Rgb left, right, top, bottom;
    } looks[3] = {{White, 0x7AB0D9, 0xEAF5FE, 0xC0DAF2},
                  {0x5EC2FA, 0x4BA2DB, 0xD3EEFE, 0xAEE0FD},
                  {0x6AB8E8, 0x4BA2DB, 0x97D7FB, 0xB3E8FF}};
    for (int n = 0; n < 3; ++n) {
        for (int y = 0; y < 20; ++y) {
            v.at(3 * n, y) = looks[n].left;
            v.at(3 * n + 1, y) = ramp(looks[n].top, looks[n].bottom, y, 0, 18);
            v.at(3 * n + 2, y) = looks[n].right;
        }
        for (int x = 0; x < 3; ++x)
            v.at(3 * n + x, 19) = 0xC0DAF2;
    }
}

}  // namespace

void paintSkinImage(SkinImage image, const PixelView& into) {
    const ImageSize size = kImageSizes[static_cast<int>(image)];
    if (!into || into.width != size.width || into.height != size.height)
        return;
    switch (image) {
        case SkinImage::ButtonFaces:
            return paintButtonFaces(into);
        case SkinImage::ComboParts:
            return paintComboParts(into);
        case SkinImage::Glyphs:
            return paintGlyphs(into);
        case SkinImage::RoundFaces:
            return paintRoundFaces(into);
        case SkinImage::HeaderFaces:
            return paintHeaderFaces(into);
    }
}

PixelImage makeSkinImage(SkinImage image) {
    const ImageSize size = kImageSizes[static_cast<int>(image)];
    PixelImage out(size.width, size.height);
    paintSkinImage(image, out.view());
    return out;
}

}  // namespace sonorin::skin
