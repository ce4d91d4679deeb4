#pragma once

// Two doubles processed as one value, left in lane 0 and right in lane 1:
// the value type with which the block kernels run a left and a right band
// together. Each operation rounds each lane exactly as the scalar double
// operation would (packed SSE2 arithmetic, or two scalars without SSE2), so
// a kernel written for double gives the same bits in every lane.

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define SORVANE_LANES_SSE2 1
#endif

namespace sorvane::dsp {

#if SORVANE_LANES_SSE2
struct Lanes2 {
  __m128d v;

  Lanes2() = default;
  explicit Lanes2(__m128d value) : v(value) {}
  // The same value in both lanes.
  explicit Lanes2(double value) : v(_mm_set1_pd(value)) {}

  static Lanes2 load(const double* left, const double* right) { return Lanes2(_mm_loadh_pd(_mm_load_sd(left), right)); }
  static Lanes2 load(const float* left, const float* right) {
    return Lanes2(_mm_cvtps_pd(_mm_unpacklo_ps(_mm_load_ss(left), _mm_load_ss(right))));
  }
  void store(double* left, double* right) const {
    _mm_store_sd(left, v);
    _mm_storeh_pd(right, v);
  }
  void store(float* left, float* right) const {
    const __m128 narrowed = _mm_cvtpd_ps(v);
    _mm_store_ss(left, narrowed);
    _mm_store_ss(right, _mm_shuffle_ps(narrowed, narrowed, 1));
  }

  // Filling a vector lane by lane: set<0> starts it (clearing lane 1),
  // set<1> then fills lane 1.
  template <int Lane>
  void set(const double& value) {
    static_assert(Lane == 0 || Lane == 1);
    v = Lane == 0 ? _mm_load_sd(&value) : _mm_loadh_pd(v, &value);
  }
  // Stores one lane, without moving it to lane 0 first.
  template <int Lane>
  void put(double& to) const {
    static_assert(Lane == 0 || Lane == 1);
    if constexpr (Lane == 0)
      _mm_store_sd(&to, v);
    else
      _mm_storeh_pd(&to, v);
  }

  friend Lanes2 operator+(Lanes2 a, Lanes2 b) { return Lanes2(_mm_add_pd(a.v, b.v)); }
  friend Lanes2 operator-(Lanes2 a, Lanes2 b) { return Lanes2(_mm_sub_pd(a.v, b.v)); }
  friend Lanes2 operator*(Lanes2 a, Lanes2 b) { return Lanes2(_mm_mul_pd(a.v, b.v)); }
};
#else
struct Lanes2 {
  double lane[2];

  Lanes2() = default;
  explicit Lanes2(double value) : lane{value, value} {}
  Lanes2(double left, double right) : lane{left, right} {}

  template <class Sample>
  static Lanes2 load(const Sample* left, const Sample* right) {
    return Lanes2(static_cast<double>(*left), static_cast<double>(*right));
  }
  template <class Sample>
  void store(Sample* left, Sample* right) const {
    *left = static_cast<Sample>(lane[0]);
    *right = static_cast<Sample>(lane[1]);
  }

  template <int Lane>
  void set(const double& value) {
    lane[Lane] = value;
    if (Lane == 0) lane[1] = 0.0;
  }
  template <int Lane>
  void put(double& to) const {
    to = lane[Lane];
  }

  friend Lanes2 operator+(Lanes2 a, Lanes2 b) { return Lanes2(a.lane[0] + b.lane[0], a.lane[1] + b.lane[1]); }
  friend Lanes2 operator-(Lanes2 a, Lanes2 b) { return Lanes2(a.lane[0] - b.lane[0], a.lane[1] - b.lane[1]); }
  friend Lanes2 operator*(Lanes2 a, Lanes2 b) { return Lanes2(a.lane[0] * b.lane[0], a.lane[1] * b.lane[1]); }
};
#endif

}  // namespace sorvane::dsp
