// Pallido: six bands (high cut, high shelf, high mid, low mid, low shelf,
// low cut), 17 parameters.
#pragma once

#include <tuple>

#include "dsp/cut_filters.h"
#include "dsp/pallido_bands.h"
#include "formats/vst2/aeffect.h"
#include "platform/resources.h"
#include "plugin/parameters.h"
#include "plugin/sorvane.h"
#include "plugin/units.h"
#include "presets/product_presets.h"

namespace pallido {

struct Product {
  static constexpr int kParameterCount = 17;
  static constexpr int kValueSlots = 18;
  static constexpr int kOnOffIndex = 0;
  static constexpr int kPhaseIndex = 15;
  static constexpr int kOutputIndex = 16;
  static constexpr VstInt32 kUniqueId = fourCharCode('P', 'l', 'd', 'o');
  static constexpr const char* kEffectName = "Sorvane Pallido";
  static constexpr const char* kProductString = "Sorvane Pallido Ver.1.0.0";
  // Chain order: the order of processing, of coefficient updates and of the dirty flags.
  using Bands =
      std::tuple<sorvane::dsp::pallido::HighCut, sorvane::dsp::pallido::HighShelf, sorvane::dsp::pallido::HighMid,
                 sorvane::dsp::pallido::LowMid, sorvane::dsp::pallido::LowShelf, sorvane::dsp::pallido::LowCut>;
  static const sorvane::ParameterInfo kParameters[kParameterCount];
  static constexpr int kSteppedKnobCount = 6;
  static const sorvane::PrintedScale kPrintedScales[kSteppedKnobCount];
  static const sorvane::PresetProduct& presets() { return kPresetProduct; }
  static void buildFolderPaths(char (&manual)[sorvane::platform::kPathCapacity],
                               char (&preset)[sorvane::platform::kPathCapacity]);
};

using Effect = sorvane::Sorvane<Product>;

// The product's pictures, embedded in its library.
const sorvane::platform::EmbeddedResourceTable& embeddedResources();

}  // namespace pallido
