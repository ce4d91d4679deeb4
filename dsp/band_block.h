#pragma once

// Block processing of a stereo band chain: the left and the right object of
// every band run together, as the two lanes of one vector (Lanes2), sample
// by sample through the whole chain, with the bands' state held in locals
// for the length of the block.
//
// The output is the same, bit for bit, as calling each object's process()
// per sample in chain order: both run the one kernel of
// dsp/filter_kernel.h, each lane on its own object's coefficients and
// history (the filter code is built without contraction, and packed SSE2
// arithmetic rounds each lane exactly as scalar SSE2 does).
//
// The lanes share one control flow, so the pair must agree on everything
// that steers it: both valid, equal crossfade counters and lengths. Owners
// give both objects the same parameters, rates and updates, so they always
// do; canRunAsPairs checks it, and a pair that does not is to be run object
// by object. Coefficients and gains are per lane and need not agree.

#include <algorithm>
#include <tuple>
#include <utility>

#include "dsp/band.h"
#include "dsp/filter_kernel.h"
#include "dsp/lanes.h"

namespace sorvane::dsp {

template <class BandType>
using RunningPair = RunningBand<BandType::kOrder, BandType::kHasOutputGain, Lanes2>;

template <class BandType>
bool canRunAsPair(const BandType& left, const BandType& right) {
  return left.isValid() && right.isValid() && left.crossfadeCounter() == right.crossfadeCounter() &&
         left.crossfadeLength() == right.crossfadeLength();
}

// True when every left/right pair of the chain can run as two lanes.
template <class... BandTypes>
bool canRunAsPairs(const std::tuple<BandTypes...>& left, const std::tuple<BandTypes...>& right) {
  return [&]<std::size_t... I>(std::index_sequence<I...>) {
    return (canRunAsPair(std::get<I>(left), std::get<I>(right)) && ...);
  }
  (std::index_sequence_for<BandTypes...>{});
}

namespace detail {

// frames samples through every band pair in chain order, sample-major so
// that the bands' recursions overlap in the pipeline.
template <bool MayFade, class Chain, class Load, class Store>
inline void runSpan(Chain& chain, int begin, int end, Load& load, Store& store) {
  for (int i = begin; i < end; ++i) {
    Lanes2 sample = load(i);
    std::apply([&sample](auto&... band) { ((sample = band.template step<MayFade>(sample)), ...); }, chain);
    store(i, sample);
  }
}

}  // namespace detail

// Runs `frames` samples through the chain of band pairs. load(i) gives
// sample i of both channels as Lanes2 (widened to double); store(i, v)
// takes the chain's output for it. Requires canRunAsPairs(left, right).
template <class Load, class Store, class... BandTypes>
void processPairs(std::tuple<BandTypes...>& left, std::tuple<BandTypes...>& right, int frames, Load&& load,
                  Store&& store) {
  constexpr auto indices = std::index_sequence_for<BandTypes...>{};
  std::tuple<RunningPair<BandTypes>...> chain;
  [&]<std::size_t... I>(std::index_sequence<I...>) {
    ((std::get<I>(left).template loadLane<0>(std::get<I>(chain)),
      std::get<I>(right).template loadLane<1>(std::get<I>(chain))),
     ...);
  }
  (indices);

  // Spans in which no pair starts or ends a crossfade.
  for (int begin = 0; begin < frames;) {
    int end = frames;
    bool anyFading = false;
    std::apply(
        [&](auto&... band) {
          (
              [&] {
                band.fading = band.counter < band.length;
                if (band.fading) {
                  anyFading = true;
                  end = std::min(end, begin + (band.length - band.counter));
                } else {
                  band.settled = true;
                }
              }(),
              ...);
        },
        chain);
    if (anyFading)
      detail::runSpan<true>(chain, begin, end, load, store);
    else
      detail::runSpan<false>(chain, begin, end, load, store);
    begin = end;
  }

  [&]<std::size_t... I>(std::index_sequence<I...>) {
    ((std::get<I>(left).template storeLane<0>(std::get<I>(chain)),
      std::get<I>(right).template storeLane<1>(std::get<I>(chain))),
     ...);
  }
  (indices);
}

}  // namespace sorvane::dsp
