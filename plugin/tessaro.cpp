#include "plugin/tessaro.h"

#include "plugin/sorvane_impl.h"
#include "presets/folders.h"

namespace tessaro {

using sorvane::effectControl;
using sorvane::ParameterRole;
namespace band = sorvane::dsp::tessaro;

namespace {
template <class Band>
constexpr sorvane::ParameterInfo knob(const char* name, int field) {
  return sorvane::bandKnob<Product::Bands, Band>(name, field);
}
}  // namespace

const sorvane::ParameterInfo Product::kParameters[kParameterCount] = {
    effectControl("On / Off", ParameterRole::OnOff),
    knob<band::HighCut>("HighCut Freq", band::HighCut::kFrequency),
    knob<band::HighLow>("High Freq", band::HighLow::kHighFrequency),
    knob<band::HighLow>("High Gain", band::HighLow::kHighGain),
    knob<band::Mid>("Mid Freq", band::Mid::kFrequency),
    knob<band::Mid>("Mid Q", band::Mid::kQ),
    knob<band::Mid>("Mid Gain", band::Mid::kGain),
    knob<band::HighLow>("Low Freq", band::HighLow::kLowFrequency),
    knob<band::HighLow>("Low Gain", band::HighLow::kLowGain),
    knob<band::LowCut>("LowCut Freq", band::LowCut::kFrequency),
    effectControl("Phase", ParameterRole::Phase),
    effectControl("Output", ParameterRole::Output),
};

void Product::buildFolderPaths(char (&manual)[sorvane::platform::kPathCapacity],
                               char (&preset)[sorvane::platform::kPathCapacity]) {
  sorvane::buildFolderPaths(kPresetProduct, manual, preset);
}

}  // namespace tessaro

template class sorvane::Sorvane<tessaro::Product>;
