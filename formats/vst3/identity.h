// What names each product in VST3: its class identifier (hosts keep it in
// their sessions, so it never changes once released; made once from a hash
// of a fixed name and written here as constants) and its bundle.
#pragma once

#include "formats/vst3/interfaces.h"
#include "plugin/pallido.h"
#include "plugin/tessaro.h"

namespace sorvane::vst3 {

template <class Product>
struct Identity;

template <>
struct Identity<tessaro::Product> {
  static constexpr Uid kClassId = makeUid(0xB13ECDD9, 0xCD501835, 0x4002AA4B, 0x587EC859);
  static constexpr const char* kBundle = "Tessaro.vst3";
};

template <>
struct Identity<pallido::Product> {
  static constexpr Uid kClassId = makeUid(0xA3C8548B, 0x564B86A4, 0xB073E597, 0x4603804C);
  static constexpr const char* kBundle = "Pallido.vst3";
};

// The program-change parameter's identifier: after the product's own, which
// keep their VST 2.4 indices as identifiers.
inline constexpr ParamID kProgramParameterId = 0x7000;
// The one unit, the root, and its program list.
inline constexpr ProgramListID kProgramListId = 1;

}  // namespace sorvane::vst3
