// What the preset layer needs to know about a product: record magics, file
// extensions, folder names and the factory programs. Code that reads these
// tables never knows which product it serves.
#pragma once

#include "presets/records.h"

namespace sorvane {

constexpr int kMaxValueSlots = 18;

struct FactoryProgram {
  const char* name;
  const char* fileName;  // relative to the preset folder
  double values[kMaxValueSlots];
};

struct PresetProduct {
  const char* bankMagic;  // five characters, stored with a NUL
  const char* presetMagic;
  const char* presetExtension;  // without the dot
  const char* bankExtension;
  const char* presetFolder;  // below the documents folder, backslash-separated
  int parameterCount;
  const FactoryProgram* factoryPrograms;  // kProgramCount rows
};

constexpr const char* kManualFolder = "Sorvane\\User Manuals";

}  // namespace sorvane

namespace tessaro {
extern const sorvane::PresetProduct kPresetProduct;
}
namespace pallido {
extern const sorvane::PresetProduct kPresetProduct;
}
