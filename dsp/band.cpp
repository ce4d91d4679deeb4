#include "dsp/band.h"

namespace sorvane::dsp {

const RateTiming& rateTimingFor(float sampleRate) {
  for (const RateTiming& timing : kRateTimings)
    if (sampleRate < timing.below) return timing;
  return kRateTimings.back();
}

CommonBase::~CommonBase() = default;
void CommonBase::setSampleRate(float rate) { sampleRate_ = rate; }
void CommonBase::reset() {}
void SZBase::idle() {}

}  // namespace sorvane::dsp
