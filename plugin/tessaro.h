// Tessaro: four bands (high cut, both shelves, mid, low cut), 12 parameters.
#pragma once

#include <tuple>

#include "dsp/cut_filters.h"
#include "dsp/tessaro_bands.h"
#include "formats/vst2/aeffect.h"
#include "platform/resources.h"
#include "plugin/parameters.h"
#include "plugin/sorvane.h"
#include "plugin/units.h"
#include "presets/product_presets.h"

namespace tessaro {

struct Product {
  static constexpr int kParameterCount = 12;
  static constexpr int kValueSlots = 12;
  static constexpr int kOnOffIndex = 0;
  static constexpr int kPhaseIndex = 10;
  static constexpr int kOutputIndex = 11;
  static constexpr VstInt32 kUniqueId = fourCharCode('T', 's', 'q', 'r');
  static constexpr const char* kEffectName = "Sorvane Tessaro";
  static constexpr const char* kProductString = "Sorvane Tessaro Ver.1.0.0";
  // Chain order: the order of processing, of coefficient updates and of the dirty flags.
  using Bands = std::tuple<sorvane::dsp::tessaro::HighCut, sorvane::dsp::tessaro::HighLow, sorvane::dsp::tessaro::Mid,
                           sorvane::dsp::tessaro::LowCut>;
  static const sorvane::ParameterInfo kParameters[kParameterCount];
  static constexpr int kSteppedKnobCount = 5;
  static const sorvane::PrintedScale kPrintedScales[kSteppedKnobCount];
  static const sorvane::PresetProduct& presets() { return kPresetProduct; }
  static void buildFolderPaths(char (&manual)[sorvane::platform::kPathCapacity],
                               char (&preset)[sorvane::platform::kPathCapacity]);
};

using Effect = sorvane::Sorvane<Product>;

// The product's pictures, embedded in its library.
const sorvane::platform::EmbeddedResourceTable& embeddedResources();

}  // namespace tessaro
