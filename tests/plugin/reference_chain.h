// The straightforward audio path, kept as the reference the shipped one is
// measured against: per sample, the update check, then every band object's
// own process() in chain order (left object, then right), then phase and
// output gain. It works on a real effect's bands and update state, so an
// effect can be driven by it and by the shipped path interchangeably.
#pragma once

#include <cstring>

#include "plugin/sorvane.h"

namespace sorvane {

template <class Product>
struct ChainAccess {
  using Effect = Sorvane<Product>;

  template <class Sample>
  static void processReference(Effect& e, Sample** inputs, Sample** outputs, VstInt32 sampleFrames) {
    if (sampleFrames <= 0 || !inputs || !outputs) return;
    const Sample* inL = inputs[0];
    const Sample* inR = inputs[1];
    Sample* outL = outputs[0];
    Sample* outR = outputs[1];
    if (!inL || !inR || !outL || !outR) return;

    const bool on = e.processingOn;
    const double phase = e.phaseFactor;
    const double gain = e.outputGain;

    if (!on) {
      std::memmove(outL, inL, sizeof(Sample) * static_cast<size_t>(sampleFrames));
      std::memmove(outR, inR, sizeof(Sample) * static_cast<size_t>(sampleFrames));
      return;
    }

    VstInt32 counter = e.updateCounter;
    const VstInt32 period = e.updatePeriod;
    for (VstInt32 i = 0; i < sampleFrames; ++i) {
      if (counter > period) {
        e.forEachBand([&e](size_t band, auto& l, auto& r) {
          if (e.bandDirty[band].exchange(false)) {
            l.calculateCoefficients();
            r.calculateCoefficients();
          }
        });
        counter = 0;
      }
      ++counter;
      double sampleL = inL[i];
      double sampleR = inR[i];
      e.forEachBand([&sampleL, &sampleR](size_t, auto& l, auto& r) {
        l.process(sampleL);
        r.process(sampleR);
      });
      outL[i] = static_cast<Sample>((sampleL * phase) * gain);
      outR[i] = static_cast<Sample>((sampleR * phase) * gain);
    }
    e.updateCounter = counter;
  }

  // Write access to the bands, for tests that put a pair out of step.
  static typename Effect::Bands& left(Effect& e) { return e.left; }
  static typename Effect::Bands& right(Effect& e) { return e.right; }
};

}  // namespace sorvane
