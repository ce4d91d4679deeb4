#include "plugin/tessaro.h"

#include "plugin/sorvane_impl.h"
#include "presets/folders.h"

namespace tessaro {

using sorvane::effectControl;
using sorvane::ParameterRole;
namespace band = sorvane::dsp::tessaro;

using Knobs = sorvane::KnobsOf<Product::Bands>;

const sorvane::ParameterInfo Product::kParameters[kParameterCount] = {
    effectControl("On / Off", ParameterRole::OnOff),
    Knobs::knob<band::HighCut>("HighCut Freq", band::HighCut::kFrequency),
    Knobs::knob<band::HighLow>("High Freq", band::HighLow::kHighFrequency),
    Knobs::knob<band::HighLow>("High Gain", band::HighLow::kHighGain),
    Knobs::knob<band::Mid>("Mid Freq", band::Mid::kFrequency),
    Knobs::knob<band::Mid>("Mid Q", band::Mid::kQ),
    Knobs::knob<band::Mid>("Mid Gain", band::Mid::kGain),
    Knobs::knob<band::HighLow>("Low Freq", band::HighLow::kLowFrequency),
    Knobs::knob<band::HighLow>("Low Gain", band::HighLow::kLowGain),
    Knobs::knob<band::LowCut>("LowCut Freq", band::LowCut::kFrequency),
    effectControl("Phase", ParameterRole::Phase),
    effectControl("Output", ParameterRole::Output),
};

void Product::buildFolderPaths(char (&manual)[sorvane::platform::kPathCapacity],
                               char (&preset)[sorvane::platform::kPathCapacity]) {
  sorvane::buildFolderPaths(kPresetProduct, manual, preset);
}

}  // namespace tessaro

template class sorvane::Sorvane<tessaro::Product>;
