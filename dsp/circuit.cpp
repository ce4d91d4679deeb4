#include "dsp/circuit.h"

namespace sorvane::dsp {

RateClass rateClassOf(float sampleRate) {
  if (sampleRate < 46000.0f) return RateClass::S1;
  if (sampleRate >= 46000.0f && sampleRate < 68100.0f) return RateClass::S2;
  if (sampleRate >= 68100.0f && sampleRate < 92100.0f) return RateClass::S3;
  return RateClass::S4;
}

PotentiometerHalves potentiometerHalves(float position, float total) {
  const float first = position * total;
  const float second = (1.0f - position) * total;
  return {static_cast<double>(first), static_cast<double>(second)};
}

}  // namespace sorvane::dsp
