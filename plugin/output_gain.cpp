#include <algorithm>
#include <cmath>

#include "plugin/sorvane.h"

namespace sorvane {

float outputGainFor(float value) {
  // The knob spans -20..+20 dB; a value from a host, chunk or file outside
  // that span (or NaN) must not turn into an infinite or NaN gain.
  if (std::isnan(value)) value = 0.5f;
  value = std::clamp(value, 0.0f, 1.0f);
  const float exponent = (value * 40.0f - 20.0f) * 0.115129255f;  // ln(10)/20
  return static_cast<float>(std::exp(static_cast<double>(exponent)));
}

}  // namespace sorvane
