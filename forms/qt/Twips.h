// Window geometry is designed in twips; Qt works in logical pixels. Every conversion goes
// through here.
#pragma once

#include <QRect>

#include "forms/Design.h"

namespace forms {

// 1440 twips per inch at 96 dots per inch: one Qt logical pixel is a 96-DPI pixel whatever
// the screen's scale, so 15 twips are one pixel.
inline constexpr int kTwipsPerPixel = 15;

constexpr int Px(int twips) {
    // Round half away from zero, as the platform rounds twips to pixels.
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}
constexpr int ToTwips(int pixels) { return pixels * kTwipsPerPixel; }
constexpr QRect PxRect(const Twips& at) {
    return QRect(Px(at.left), Px(at.top), Px(at.width), Px(at.height));
}

}  // namespace forms
