#include "plugin/pallido.h"

#include "plugin/sorvane_impl.h"
#include "presets/folders.h"

namespace pallido {

using sorvane::effectControl;
using sorvane::ParameterRole;
namespace band = sorvane::dsp::pallido;

using Knobs = sorvane::KnobsOf<Product::Bands>;

const sorvane::ParameterInfo Product::kParameters[kParameterCount] = {
    effectControl("On / Off", ParameterRole::OnOff),
    Knobs::knob<band::HighCut>("High Cut Freq", band::HighCut::kFrequency),
    Knobs::knob<band::HighShelf>("High Shelf Freq", band::HighShelf::kFrequency),
    Knobs::knob<band::HighShelf>("High Shelf Peak", band::HighShelf::kPeak),
    Knobs::knob<band::HighShelf>("High Shelf Gain", band::HighShelf::kGain),
    Knobs::knob<band::HighMid>("High Mid Freq", band::HighMid::kFrequency),
    Knobs::knob<band::HighMid>("High Mid Q", band::HighMid::kQ),
    Knobs::knob<band::HighMid>("High Mid Gain", band::HighMid::kGain),
    Knobs::knob<band::LowMid>("Low Mid Freq", band::LowMid::kFrequency),
    Knobs::knob<band::LowMid>("Low Mid Q", band::LowMid::kQ),
    Knobs::knob<band::LowMid>("Low Mid Gain", band::LowMid::kGain),
    Knobs::knob<band::LowShelf>("Low Shelf Freq", band::LowShelf::kFrequency),
    Knobs::knob<band::LowShelf>("Low Shelf Peak", band::LowShelf::kPeak),
    Knobs::knob<band::LowShelf>("Low Shelf Gain", band::LowShelf::kGain),
    Knobs::knob<band::LowCut>("Low Cut Freq", band::LowCut::kFrequency),
    effectControl("Phase", ParameterRole::Phase),
    effectControl("Output", ParameterRole::Output),
};

void Product::buildFolderPaths(char (&manual)[sorvane::platform::kPathCapacity],
                               char (&preset)[sorvane::platform::kPathCapacity]) {
  sorvane::buildFolderPaths(kPresetProduct, manual, preset);
}

}  // namespace pallido

template class sorvane::Sorvane<pallido::Product>;
