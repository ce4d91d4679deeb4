#include "dsp/gain_taper.h"

#include <cmath>

namespace sorvane::dsp {

float gainTaper(float gainValue, const GainTaperTable& table) {
  float v = gainValue;
  if (std::isnan(v))
    v = 0.5f;
  else if (v < 0.0f)
    v = 0.0f;
  else if (v > 1.0f)
    v = 1.0f;

  const float g = v * 20.0f - 10.0f;  // deflection from centre, -10..+10
  const float x = std::fabs(g);
  const int i = static_cast<int>(std::floor(x));
  const float t = x - static_cast<float>(i);

  const float p0 = table[i];
  const float p1 = table[i + 1];
  const float p2 = table[i + 2];
  const float p3 = table[i + 3];
  const float a = (p3 - p0) * 0.5f + (p1 - p2) * 1.5f;
  const float c = ((p0 - p1 + (p2 - p0) * 0.5f - a + a * t) * t + (p2 - p0) * 0.5f) * t + p1;

  return v >= 0.5f ? c : 0.5f - (c - 0.5f);
}

}  // namespace sorvane::dsp
