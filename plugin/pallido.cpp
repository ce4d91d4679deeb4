#include "plugin/pallido.h"

#include "plugin/sorvane_impl.h"
#include "presets/folders.h"

namespace pallido {

using sorvane::effectControl;
using sorvane::ParameterRole;
namespace band = sorvane::dsp::pallido;

namespace {
template <class Band>
constexpr sorvane::ParameterInfo knob(const char* name, int field) {
  return sorvane::bandKnob<Product::Bands, Band>(name, field);
}
}  // namespace

const sorvane::ParameterInfo Product::kParameters[kParameterCount] = {
    effectControl("On / Off", ParameterRole::OnOff),
    knob<band::HighCut>("High Cut Freq", band::HighCut::kFrequency),
    knob<band::HighShelf>("High Shelf Freq", band::HighShelf::kFrequency),
    knob<band::HighShelf>("High Shelf Peak", band::HighShelf::kPeak),
    knob<band::HighShelf>("High Shelf Gain", band::HighShelf::kGain),
    knob<band::HighMid>("High Mid Freq", band::HighMid::kFrequency),
    knob<band::HighMid>("High Mid Q", band::HighMid::kQ),
    knob<band::HighMid>("High Mid Gain", band::HighMid::kGain),
    knob<band::LowMid>("Low Mid Freq", band::LowMid::kFrequency),
    knob<band::LowMid>("Low Mid Q", band::LowMid::kQ),
    knob<band::LowMid>("Low Mid Gain", band::LowMid::kGain),
    knob<band::LowShelf>("Low Shelf Freq", band::LowShelf::kFrequency),
    knob<band::LowShelf>("Low Shelf Peak", band::LowShelf::kPeak),
    knob<band::LowShelf>("Low Shelf Gain", band::LowShelf::kGain),
    knob<band::LowCut>("Low Cut Freq", band::LowCut::kFrequency),
    effectControl("Phase", ParameterRole::Phase),
    effectControl("Output", ParameterRole::Output),
};

void Product::buildFolderPaths(char (&manual)[sorvane::platform::kPathCapacity],
                               char (&preset)[sorvane::platform::kPathCapacity]) {
  sorvane::buildFolderPaths(kPresetProduct, manual, preset);
}

}  // namespace pallido

template class sorvane::Sorvane<pallido::Product>;
