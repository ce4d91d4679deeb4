#pragma once

// What every band circuit reads its knobs with: the sample-rate class that
// picks rate-dependent component values, switches that pick a table row by
// interval, and the two halves of a boost/cut potentiometer.

#include <array>
#include <cstddef>
#include <optional>

namespace sorvane::dsp {

// Sample-rate classes: several component values change with the rate so
// that the digital corner frequencies stay where the knob says despite the
// bilinear transform's frequency warping.
enum class RateClass : int { S1 = 0, S2 = 1, S3 = 2, S4 = 3 };
inline constexpr int kRateClassCount = 4;

// S1 below 46000 Hz, S2 below 68100, S3 below 92100, S4 for everything else
// (including NaN).
RateClass rateClassOf(float sampleRate);

// A component value, factor or set of them for each rate class, S1..S4.
template <class T>
using PerRateClass = std::array<T, kRateClassCount>;

template <class T>
const T& forRate(const PerRateClass<T>& table, float sampleRate) {
  return table[static_cast<std::size_t>(rateClassOf(sampleRate))];
}

// The interval of a switch that a normalised parameter value falls in: the
// index i with bounds[i] <= value < bounds[i + 1], or -1 when the value is
// in none of them (below the first bound, at or above the last, or NaN).
// Bounds are 32-bit floats compared against the 32-bit parameter.
template <std::size_t Count>
constexpr int switchInterval(float value, const std::array<float, Count>& bounds) {
  for (std::size_t i = 0; i + 1 < Count; ++i)
    if (value >= bounds[i] && value < bounds[i + 1]) return static_cast<int>(i);
  return -1;
}

// The row of a switch whose intervals are its positions: interval i picks
// positions[i]; a value outside every interval (-1) picks the last row.
template <class Table>
const typename Table::value_type& positionOrLast(int interval, const Table& positions) {
  return positions[interval < 0 ? positions.size() - 1 : static_cast<std::size_t>(interval)];
}

// The row of a switch whose first interval is its off position: nothing for
// interval 0, positions[i - 1] for interval i, and the last row for a value
// outside every interval.
template <class Table>
std::optional<typename Table::value_type> switchPosition(int interval, const Table& positions) {
  if (interval == 0) return std::nullopt;
  return positionOrLast(interval < 0 ? -1 : interval - 1, positions);
}

// The halves of a boost/cut potentiometer of `total` ohms at taper position
// p: p * total and (1 - p) * total, each a 32-bit float product widened to
// double (the taper tables were measured that way).
struct PotentiometerHalves {
  double first;   // p * total
  double second;  // (1 - p) * total
};
PotentiometerHalves potentiometerHalves(float position, float total);

}  // namespace sorvane::dsp
