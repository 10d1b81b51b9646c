#include "skin/pixels.h"

#include <algorithm>
#include <cmath>

namespace sonorin::skin {
namespace {

bool inside(const PixelView& v, int x, int y) {
    return x >= 0 && y >= 0 && x < v.width && y < v.height;
}

}  // namespace

int roundHalfEven(double value) {
    const double lower = std::floor(value);
    const double fraction = value - lower;
    long long n = static_cast<long long>(lower);
    if (fraction > 0.5 || (fraction == 0.5 && n % 2 != 0))
        ++n;
    return static_cast<int>(n);
}

int centreOffset(int box, int size) {
    return roundHalfEven((box - size) / 2.0);
}

void copyPixels(const PixelView& dst, int dx, int dy, int w, int h, const PixelView& src, int sx,
                int sy) {
    if (!dst || !src)
        return;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (inside(src, sx + x, sy + y) && inside(dst, dx + x, dy + y))
                dst.at(dx + x, dy + y) = src.at(sx + x, sy + y) & 0xFFFFFF;
}

void stretchPixels(const PixelView& dst, int dx, int dy, int dw, int dh, const PixelView& src,
                   int sx, int sy, int sw, int sh) {
    if (!dst || !src || dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
        return;
    for (int y = 0; y < dh; ++y) {
        // The source pixel under the centre of each destination pixel.
        const int fy = sy + static_cast<int>((2LL * y + 1) * sh / (2LL * dh));
        for (int x = 0; x < dw; ++x) {
            const int fx = sx + static_cast<int>((2LL * x + 1) * sw / (2LL * dw));
            if (inside(src, fx, fy) && inside(dst, dx + x, dy + y))
                dst.at(dx + x, dy + y) = src.at(fx, fy) & 0xFFFFFF;
        }
    }
}

void DrawTransparent(const PixelView& dst, int dx, int dy, int w, int h, const PixelView& src,
                     int sx, int sy, Rgb key) {
    if (!dst || !src)
        return;
    key &= 0xFFFFFF;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (!inside(src, sx + x, sy + y) || !inside(dst, dx + x, dy + y))
                continue;
            const std::uint32_t p = src.at(sx + x, sy + y) & 0xFFFFFF;
            if (p != key)
                dst.at(dx + x, dy + y) = p;
        }
    }
}

void DrawNineGrid(const PixelView& dst, int dx, int dy, int dw, int dh, const PixelView& src,
                  int sx, int sy, int sw, int sh, int L, int T, int R, int B,
                  std::optional<Rgb> key) {
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0 || !dst || !src)
        return;
    PixelImage scratch(dw, dh);
    const PixelView s = scratch.view();
    if (L <= 0 && T <= 0 && R <= 0 && B <= 0) {
        stretchPixels(s, 0, 0, dw, dh, src, sx, sy, sw, sh);
    } else {
        if (L > 0 && T > 0)
            copyPixels(s, 0, 0, L, T, src, sx, sy);
        if (R > 0 && T > 0)
            copyPixels(s, dw - R, 0, R, T, src, sx + sw - R, sy);
        if (L > 0 && B > 0)
            copyPixels(s, 0, dh - B, L, B, src, sx, sy + sh - B);
        if (R > 0 && B > 0)
            copyPixels(s, dw - R, dh - B, R, B, src, sx + sw - R, sy + sh - B);
        const int midSrcW = sw - L - R, midSrcH = sh - T - B;
        const int midW = dw - L - R, midH = dh - T - B;
        if (L > 0)
            stretchPixels(s, 0, T, L, midH, src, sx, sy + T, L, midSrcH);
        if (R > 0)
            stretchPixels(s, dw - R, T, R, midH, src, sx + sw - R, sy + T, R, midSrcH);
        if (T > 0)
            stretchPixels(s, L, 0, midW, T, src, sx + L, sy, midSrcW, T);
        if (B > 0)
            stretchPixels(s, L, dh - B, midW, B, src, sx + L, sy + sh - B, midSrcW, B);
        stretchPixels(s, L, T, midW, midH, src, sx + L, sy + T, midSrcW, midSrcH);
    }
    if (key)
        DrawTransparent(dst, dx, dy, dw, dh, s, 0, 0, *key);
    else
        copyPixels(dst, dx, dy, dw, dh, s, 0, 0);
}

void FillBox(const PixelView& dst, int x, int y, int w, int h, Rgb colour) {
    for (int j = std::max(0, y); j < std::min(dst.height, y + h); ++j)
        for (int i = std::max(0, x); i < std::min(dst.width, x + w); ++i)
            dst.at(i, j) = colour & 0xFFFFFF;
}

void FrameBox(const PixelView& dst, int x, int y, int w, int h, Rgb colour) {
    if (w <= 0 || h <= 0)
        return;
    FillBox(dst, x, y, w, 1, colour);
    FillBox(dst, x, y + h - 1, w, 1, colour);
    FillBox(dst, x, y, 1, h, colour);
    FillBox(dst, x + w - 1, y, 1, h, colour);
}

void blendPixels(const PixelView& dst, const PixelView& src, int w, int h, int opacity) {
    if (!dst || !src || opacity <= 0)
        return;
    const std::uint32_t a = static_cast<std::uint32_t>(std::min(opacity, 255)), rest = 255 - a;
    const int rows = std::min({h, dst.height, src.height});
    const int columns = std::min({w, dst.width, src.width});
    for (int y = 0; y < rows; ++y) {
        std::uint32_t* d = dst.pixels + static_cast<std::ptrdiff_t>(y) * dst.width;
        const std::uint32_t* s = src.pixels + static_cast<std::ptrdiff_t>(y) * src.width;
        for (int x = 0; x < columns; ++x) {
            const std::uint32_t under = d[x], over = s[x];
            // n / 255 for n < 65536 is (n * 0x8081) >> 23: no division in the inner loop.
            const std::uint32_t r =
                (((over >> 16) & 0xFF) * a + ((under >> 16) & 0xFF) * rest + 127) * 0x8081 >> 23;
            const std::uint32_t g =
                (((over >> 8) & 0xFF) * a + ((under >> 8) & 0xFF) * rest + 127) * 0x8081 >> 23;
            const std::uint32_t b =
                ((over & 0xFF) * a + (under & 0xFF) * rest + 127) * 0x8081 >> 23;
            d[x] = (r << 16) | (g << 8) | b;
        }
    }
}

}  // namespace sonorin::skin
