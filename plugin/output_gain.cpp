#include <algorithm>
#include <cmath>

#include "plugin/parameters.h"
#include "plugin/sorvane.h"

namespace sorvane {

float heldGainValue(float value) {
  // A value from a host, chunk or file outside the knob's span (or NaN) must
  // not turn into an infinite or NaN gain, nor into a text off the scale.
  if (std::isnan(value)) return 0.5f;
  return std::clamp(value, 0.0f, 1.0f);
}

float outputGainFor(float value) {
  const float decibels = heldGainValue(value) * (kGainScaleMaximum - kGainScaleMinimum) + kGainScaleMinimum;
  const float exponent = decibels * 0.115129255f;  // ln(10)/20
  return static_cast<float>(std::exp(static_cast<double>(exponent)));
}

}  // namespace sorvane
