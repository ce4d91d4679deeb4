#pragma once

// What every band circuit reads its knobs with: the sample-rate class that
// picks rate-dependent component values, switches that pick a table row by
// interval, and the two halves of a boost/cut potentiometer.

#include <array>
#include <cstddef>
#include <optional>
#include <span>

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
constexpr int switchInterval(float value, std::span<const float> bounds) {
  for (std::size_t i = 0; i + 1 < bounds.size(); ++i)
    if (value >= bounds[i] && value < bounds[i + 1]) return static_cast<int>(i);
  return -1;
}

// What a stepped switch selects for a value in none of its intervals (NaN
// included).
enum class OutsideIntervals {
  Off,           // the off position
  LastPosition,  // a last position of its own, after those of the intervals
  // That last position at or above the last bound; off below the first
  // bound (negative values) and for NaN.
  LastAboveOffBelow,
};

// A band's stepped switch as it reads a normalised value: the intervals
// [bounds[i], bounds[i + 1]) select consecutive settings, starting with the
// off position when firstIntervalOff and with position 1 otherwise, and a
// value in none of them selects what `outside` says. The bands pick their
// circuits with these, and the units model shows and types the same
// positions from them, so the two cannot disagree.
struct SteppedSwitch {
  std::span<const float> bounds;
  bool firstIntervalOff;
  OutsideIntervals outside;

  // The positions besides off.
  constexpr int positionCount() const {
    const int intervals = static_cast<int>(bounds.size()) - 1;
    return intervals - (firstIntervalOff ? 1 : 0) + (outside == OutsideIntervals::Off ? 0 : 1);
  }
};

// The setting a switch takes at a value: 0 for off, 1..positionCount() for
// its positions.
constexpr int switchSetting(const SteppedSwitch& s, float value) {
  const int interval = switchInterval(value, s.bounds);
  if (interval >= 0) return s.firstIntervalOff ? interval : interval + 1;
  switch (s.outside) {
    case OutsideIntervals::Off:
      return 0;
    case OutsideIntervals::LastPosition:
      return s.positionCount();
    case OutsideIntervals::LastAboveOffBelow:
      return value >= s.bounds.back() ? s.positionCount() : 0;
  }
  return 0;
}

// The row of a position table (positions 1..n) that a setting selects:
// nothing at the off position.
template <class Table>
std::optional<typename Table::value_type> positionRow(int setting, const Table& positions) {
  if (setting <= 0) return std::nullopt;
  return positions[static_cast<std::size_t>(setting - 1)];
}

// Whether a position table has one row for each position of a switch.
template <class Table>
constexpr bool oneRowPerPosition(const SteppedSwitch& s, const Table& positions) {
  return static_cast<std::size_t>(s.positionCount()) == positions.size();
}

// A band's two-state switch (bandwidth, peak): on for any value greater
// than 0; 0, negatives and NaN are off.
constexpr bool switchOn(float value) { return value > 0.0f; }

// The halves of a boost/cut potentiometer of `total` ohms at taper position
// p: p * total and (1 - p) * total, each a 32-bit float product widened to
// double (the taper tables were measured that way).
struct PotentiometerHalves {
  double first;   // p * total
  double second;  // (1 - p) * total
};
PotentiometerHalves potentiometerHalves(float position, float total);

}  // namespace sorvane::dsp
