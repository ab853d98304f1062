#pragma once
// Lumetra's own weather icon strip: twelve 64 x 64 pictures side by side, in
// the order of WeatherSymbol (weather_text.h), drawn in code.
#include <QImage>

namespace lumetra {

inline constexpr int kWeatherIconSize = 64;

// 768 x 64, premultiplied ARGB with a transparent background.
const QImage& WeatherIconStrip();
// One picture scaled to `size` x `size` (cached per size).
QImage WeatherIcon(int symbol, int size);

}  // namespace lumetra
