#include "formats/common/unit_values.h"

#include <cmath>

namespace sorvane::formats {
namespace {

// The position a positioned port selects: the nearest whole position held
// to the range; NaN is the position the model reads for a NaN parameter.
int positionOfPort(const ParameterUnits& units, int index, PortKind kind, float port) {
  const int count = units.positionCount(index);
  if (std::isnan(port)) return units.positionOf(index, port);
  if (kind == PortKind::Toggle) return port > 0.0f ? 1 : 0;  // the toggled reading: above zero is on
  if (port <= 0.0f) return 0;
  if (port >= static_cast<float>(count - 1)) return count - 1;
  return static_cast<int>(std::lround(port));
}

float decibelsOfPort(const DecibelRange& range, float port) {
  if (std::isnan(port)) return 0.5f * (range.minimum + range.maximum);
  return port < range.minimum ? range.minimum : port > range.maximum ? range.maximum : port;
}

}  // namespace

std::optional<ControlPortRange> controlPortRange(const ParameterUnits& units, int index) {
  if (const std::optional<DecibelRange> range = units.decibelRange(index))
    return ControlPortRange{PortKind::Decibels, range->minimum, range->maximum};
  const int count = units.positionCount(index);
  if (count <= 0) return std::nullopt;
  if (units.unit(index) == Unit::Hertz)
    return ControlPortRange{PortKind::Enumeration, 0.0f, static_cast<float>(count - 1)};
  if (count == 2) return ControlPortRange{PortKind::Toggle, 0.0f, 1.0f};
  return std::nullopt;
}

float portValueOf(const ParameterUnits& units, int index, float value) {
  const std::optional<ControlPortRange> port = controlPortRange(units, index);
  if (!port) return 0.0f;
  if (port->kind == PortKind::Decibels) {
    const double held = heldGainValue(value);
    return static_cast<float>(port->minimum + (static_cast<double>(port->maximum) - port->minimum) * held);
  }
  const int position = units.positionOf(index, value);
  return static_cast<float>(position < 0 ? 0 : position);
}

float parameterValueOf(const ParameterUnits& units, int index, float port) {
  const std::optional<ControlPortRange> range = controlPortRange(units, index);
  if (!range) return 0.0f;
  if (range->kind == PortKind::Decibels) {
    const double decibels = decibelsOfPort({range->minimum, range->maximum}, port);
    return static_cast<float>((decibels - range->minimum) / (static_cast<double>(range->maximum) - range->minimum));
  }
  return units.positionValue(index, positionOfPort(units, index, range->kind, port)).value_or(0.0f);
}

bool portShows(const ParameterUnits& units, int index, float port, float value) {
  const std::optional<ControlPortRange> range = controlPortRange(units, index);
  if (!range) return true;
  if (range->kind == PortKind::Decibels)
    return decibelsOfPort({range->minimum, range->maximum}, port) == portValueOf(units, index, value);
  return positionOfPort(units, index, range->kind, port) == units.positionOf(index, value);
}

void portSymbol(const char* name, char* symbol, int capacity) {
  if (capacity <= 0) return;
  int used = 0;
  bool gap = false;
  for (const char* c = name; *c; ++c) {
    const char lower = *c >= 'A' && *c <= 'Z' ? static_cast<char>(*c - 'A' + 'a') : *c;
    const bool word = (lower >= 'a' && lower <= 'z') || (lower >= '0' && lower <= '9');
    if (!word) {
      gap = used > 0;
      continue;
    }
    if (gap && used + 1 < capacity) symbol[used++] = '_';
    gap = false;
    if (used + 1 < capacity) symbol[used++] = lower;
  }
  symbol[used] = '\0';
}

}  // namespace sorvane::formats
