// Pixel-level drawing shared by every skinned control: the nine-grid scaler, the colour-keyed
// copy, fills and frames, and the constant-opacity blend. They work on plain pixel buffers
// (0x00RRGGBB), so the faces come out the same on every system and can be checked pixel by pixel.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "skin/skin_host.h"

namespace sonorin::skin {

// A pixel buffer of its own, for images and scratch work; starts black.
class PixelImage {
  public:
    PixelImage() = default;
    PixelImage(int width, int height)
        : width_(width > 0 ? width : 0),
          height_(height > 0 ? height : 0),
          data_(static_cast<std::size_t>(width_) * height_, 0) {}
    int width() const { return width_; }
    int height() const { return height_; }
    PixelView view() { return {data_.data(), width_, height_}; }
    std::uint32_t at(int x, int y) const { return data_[y * width_ + x]; }
    void set(int x, int y, std::uint32_t rgb) { data_[y * width_ + x] = rgb & 0xFFFFFF; }

  private:
    int width_ = 0, height_ = 0;
    std::vector<std::uint32_t> data_;
};

// Half-way positions (centring) round to the nearest integer, ties to the even one.
int roundHalfEven(double value);
// Where a `size`-pixel thing starts when centred in a `box`-pixel space.
int centreOffset(int box, int size);

// Copies w x h from (sx, sy) of src to (dx, dy) of dst; parts outside either buffer are skipped.
void copyPixels(const PixelView& dst, int dx, int dy, int w, int h, const PixelView& src, int sx,
                int sy);
// Plain pixel stretch (nearest pixel, no smoothing) of the source rectangle onto the
// destination rectangle; a rectangle with no area draws nothing.
void stretchPixels(const PixelView& dst, int dx, int dy, int dw, int dh, const PixelView& src,
                   int sx, int sy, int sw, int sh);
// Copies the source cell, leaving the destination where the source pixel is the key colour.
void DrawTransparent(const PixelView& dst, int dx, int dy, int w, int h, const PixelView& src,
                     int sx, int sy, Rgb key);
// Scales a source cell onto the destination rectangle: corners unscaled, edges and centre
// stretched; with a key colour, key pixels of the result leave the destination unchanged.
void DrawNineGrid(const PixelView& dst, int dx, int dy, int dw, int dh, const PixelView& src,
                  int sx, int sy, int sw, int sh, int left, int top, int right, int bottom,
                  std::optional<Rgb> key = std::nullopt);
void FillBox(const PixelView& dst, int x, int y, int w, int h, Rgb colour);
void FrameBox(const PixelView& dst, int x, int y, int w, int h, Rgb colour);
// The constant-opacity blend of w x h of src over dst at (0, 0), rounded as GDI's own is.
void blendPixels(const PixelView& dst, const PixelView& src, int w, int h, int opacity);

}  // namespace sonorin::skin
