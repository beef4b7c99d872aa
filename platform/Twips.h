#pragma once

#include <cmath>

// Twips, the unit the stored window places and the design sizes are given
// in: 15 to a pixel at 96 dpi.
namespace Twips {

inline constexpr int kPerPixel = 15;

// The nearest pixel, halves away from zero.
inline int toPixels(double twips) { return int(std::lround(twips / kPerPixel)); }

// The pixel at or before the place, toward zero: how the main window has
// always placed the player window by its stored place.
inline int toPixelsTowardZero(double twips) { return int(std::trunc(twips / kPerPixel)); }

inline constexpr int fromPixels(int pixels) { return pixels * kPerPixel; }

} // namespace Twips
