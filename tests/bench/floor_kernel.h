// The least work a stereo band chain can do: every band's direct-form-I
// recursion with its denormal guard, in double precision and in the fixed
// order of operations, left and right in the two lanes of one SSE2
// register, float in and out. No crossfade, no output gains, no update
// checks, no calls. What the shipped path spends beyond this is overhead.
#pragma once

#include <emmintrin.h>

#include <tuple>
#include <utility>

namespace sorvane::bench {

template <int N>
struct FloorSection {
  __m128d b[N + 1];  // b0..bN, left in lane 0, right in lane 1
  __m128d a[N];      // a1..aN
  __m128d x[N];      // x1..xN
  __m128d y[N];      // y1..yN
};

template <int N>
inline __m128d floorStep(FloorSection<N>& s, __m128d input) {
  const __m128d guard = _mm_set1_pd(1e-20);
  __m128d acc = _mm_mul_pd(s.b[0], input);
  [&]<int... I>(std::integer_sequence<int, I...>) {
    ((acc = _mm_add_pd(acc, _mm_mul_pd(s.b[I + 1], s.x[I]))), ...);
    ((acc = _mm_sub_pd(acc, _mm_mul_pd(s.a[I], s.y[I]))), ...);
  }
  (std::make_integer_sequence<int, N>{});
  acc = _mm_sub_pd(acc, guard);
  const __m128d remembered = _mm_add_pd(acc, guard);
  [&]<int... I>(std::integer_sequence<int, I...>) {
    ((s.x[N - 1 - I] = s.x[N - 2 - I], s.y[N - 1 - I] = s.y[N - 2 - I]), ...);
  }
  (std::make_integer_sequence<int, N - 1>{});
  s.x[0] = input;
  s.y[0] = remembered;
  return acc;
}

// A chain of sections of the given orders, run sample by sample.
template <int... Orders>
class FloorChain {
 public:
  using Sections = std::tuple<FloorSection<Orders>...>;

  Sections& sections() { return sections_; }

  void process(const float* inL, const float* inR, float* outL, float* outR, int frames) {
    Sections s = sections_;  // a local copy the compiler can keep in registers
    for (int i = 0; i < frames; ++i) {
      __m128d v = _mm_cvtps_pd(_mm_unpacklo_ps(_mm_load_ss(inL + i), _mm_load_ss(inR + i)));
      std::apply([&v](auto&... section) { ((v = floorStep(section, v)), ...); }, s);
      const __m128 narrowed = _mm_cvtpd_ps(v);
      _mm_store_ss(outL + i, narrowed);
      _mm_store_ss(outR + i, _mm_shuffle_ps(narrowed, narrowed, 1));
    }
    sections_ = s;
  }

 private:
  Sections sections_{};
};

}  // namespace sorvane::bench
