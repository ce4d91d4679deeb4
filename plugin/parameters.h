// A product's parameter table: what each host parameter is called and which
// part of the effect it drives.
#pragma once

namespace sorvane {

enum class ParameterRole {
  OnOff,   // 0.0 processes, any other value bypasses
  Band,    // normalised knob position handed to both channel objects of a band
  Phase,   // 0.0 keeps the polarity, any other value inverts
  Output,  // -20 dB at 0.0 to +20 dB at 1.0, linear in dB
};

struct ParameterInfo {
  const char* name;
  ParameterRole role;
  int band;   // chain index of the band (Band role only)
  int field;  // parameter field inside that band object
};

}  // namespace sorvane
