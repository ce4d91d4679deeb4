// The least work a stereo band chain can do: every band's direct-form-I
// recursion with its denormal guard (the products' own kernel,
// dsp/filter_kernel.h), left and right in the two lanes of one vector,
// float in and out. No crossfade, no output gains, no update checks, no
// calls. What the shipped path spends beyond this is overhead.
#pragma once

#include <tuple>

#include "dsp/filter_kernel.h"
#include "dsp/lanes.h"

namespace sorvane::bench {

// A chain of sections of the given orders, run sample by sample.
template <int... Orders>
class FloorChain {
 public:
  using Sections = std::tuple<dsp::FilterSection<Orders, dsp::Lanes2>...>;

  Sections& sections() { return sections_; }

  void process(const float* inL, const float* inR, float* outL, float* outR, int frames) {
    Sections s = sections_;  // a local copy the compiler can keep in registers
    for (int i = 0; i < frames; ++i) {
      dsp::Lanes2 v = dsp::Lanes2::load(inL + i, inR + i);
      std::apply([&v](auto&... section) { ((v = dsp::runRecursion(section, v)), ...); }, s);
      v.store(outL + i, outR + i);
    }
    sections_ = s;
  }

 private:
  Sections sections_{};
};

}  // namespace sorvane::bench
