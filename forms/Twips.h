// Window geometry is designed in twips; Qt works in logical pixels.
#pragma once

#include <QRect>
#include <QSize>

namespace forms {

// 1440 twips per inch at 96 dots per inch: 15 twips are one pixel, and one Qt logical
// pixel is a 96-DPI pixel whatever the screen's scale. Every conversion goes through here.
inline constexpr int kTwipsPerPixel = 15;

constexpr int Px(int twips) {
    // Round half away from zero, as the platform rounds twips to pixels.
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}
constexpr int Twips(int pixels) { return pixels * kTwipsPerPixel; }

constexpr QRect PxRect(int left, int top, int width, int height) {
    return QRect(Px(left), Px(top), Px(width), Px(height));
}
constexpr QSize PxSize(int width, int height) { return QSize(Px(width), Px(height)); }

}  // namespace forms
