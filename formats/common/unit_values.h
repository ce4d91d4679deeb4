// A product's parameters in the units its panel prints, as LV2 control
// ports and CLAP parameters show them (both called ports here), and the one
// translation between such a value and the normalised parameter value the
// effect (and the VST 2.4 build) takes. Everything comes from the units
// model, so a port shows exactly the positions, words and scale the panel
// prints:
//
//   stepped frequency knob  integer enumeration 0 .. count - 1, one scale
//                           point per printed position ("OFF", "40 Hz")
//   gains and Output        decibels over the printed scale, linear in the
//                           parameter value
//   switches                toggled 0 / 1, the two words as scale points
//
// Port values that no host should send are read as the effect reads bad
// parameters: out of range is held to the nearest end, and NaN plays what
// the band or the effect plays for a NaN parameter (the centre of a gain).
//
// Pure functions of the tables: no allocation, no lock; safe on the audio
// thread.
#pragma once

#include <optional>

#include "plugin/units.h"

namespace sorvane::formats {

enum class PortKind { Enumeration, Decibels, Toggle };

struct ControlPortRange {
  PortKind kind;
  float minimum;
  float maximum;
};

// The port of parameter `index`; nothing for an index the table lacks or a
// parameter the model gives no scale (never so for either product).
std::optional<ControlPortRange> controlPortRange(const ParameterUnits& units, int index);

// The port value that shows parameter value `value`.
float portValueOf(const ParameterUnits& units, int index, float value);

// The parameter value a port value sets: a position's own value, a switch's
// 0.0 or 1.0, or the gain value of the decibels.
float parameterValueOf(const ParameterUnits& units, int index, float port);

// Whether the port already shows what parameter value `value` plays, so
// that setting it would change nothing a user hears or sees.
bool portShows(const ParameterUnits& units, int index, float port, float value);

// A port symbol from a parameter name: lower-case letters and digits, words
// joined by '_' ("HighCut Freq" gives "highcut_freq", "On / Off" "on_off").
// Writes at most capacity - 1 characters and the NUL.
void portSymbol(const char* name, char* symbol, int capacity);

}  // namespace sorvane::formats
