// The skin's colours and its five images, painted pixel by pixel (the program carries no image
// files). Face n of the command button is the 7 x 21 cell at (0, 21 n) of ButtonFaces.
#pragma once

#include "skin/pixels.h"

namespace sonorin::skin {

constexpr Rgb BorderColor = 0x54A5D5;
constexpr Rgb BorderColorDisabled = 0xA4CFE9;
constexpr Rgb PressedBorderColor = 0x3986C4;
constexpr Rgb BarColor = 0x4CD6F6;
constexpr Rgb DisabledTextColor = 0x798A96;
constexpr Rgb White = 0xFFFFFF;
constexpr Rgb KeyColor = 0xFF00FF;

enum class SkinImage { ButtonFaces, ComboParts, Glyphs, RoundFaces, HeaderFaces };
constexpr int kSkinImageCount = 5;

struct ImageSize {
    int width, height;
};
constexpr ImageSize kImageSizes[kSkinImageCount] = {{7, 84}, {15, 18}, {18, 24}, {13, 52}, {9, 20}};

constexpr int kFaceWidth = 7;
constexpr int kFaceHeight = 21;
constexpr int kFaceMargin = 3;

// Paints every pixel of one image; `into` has the image's size.
void paintSkinImage(SkinImage image, const PixelView& into);
PixelImage makeSkinImage(SkinImage image);

}  // namespace sonorin::skin
