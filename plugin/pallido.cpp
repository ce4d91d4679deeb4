#include "plugin/pallido.h"

#include "plugin/sorvane_impl.h"
#include "presets/folders.h"

namespace pallido {

using sorvane::effectControl;
using sorvane::kBandwidthSwitch;
using sorvane::kDecibelScale;
using sorvane::kPeakSwitch;
using sorvane::ParameterRole;
using sorvane::steppedFrequency;
namespace band = sorvane::dsp::pallido;

using Knobs = sorvane::KnobsOf<Product::Bands>;

const sorvane::ParameterInfo Product::kParameters[kParameterCount] = {
    effectControl("On / Off", ParameterRole::OnOff),
    Knobs::knob<band::HighCut>("High Cut Freq", band::HighCut::kFrequency, steppedFrequency(band::kHighCutSwitch)),
    Knobs::knob<band::HighShelf>("High Shelf Freq", band::HighShelf::kFrequency,
                                 steppedFrequency(band::kShelfFrequencySwitch)),
    Knobs::knob<band::HighShelf>("High Shelf Peak", band::HighShelf::kPeak, kPeakSwitch),
    Knobs::knob<band::HighShelf>("High Shelf Gain", band::HighShelf::kGain, kDecibelScale),
    Knobs::knob<band::HighMid>("High Mid Freq", band::HighMid::kFrequency, steppedFrequency(band::kMidFrequencySwitch)),
    Knobs::knob<band::HighMid>("High Mid Q", band::HighMid::kQ, kBandwidthSwitch),
    Knobs::knob<band::HighMid>("High Mid Gain", band::HighMid::kGain, kDecibelScale),
    Knobs::knob<band::LowMid>("Low Mid Freq", band::LowMid::kFrequency, steppedFrequency(band::kMidFrequencySwitch)),
    Knobs::knob<band::LowMid>("Low Mid Q", band::LowMid::kQ, kBandwidthSwitch),
    Knobs::knob<band::LowMid>("Low Mid Gain", band::LowMid::kGain, kDecibelScale),
    Knobs::knob<band::LowShelf>("Low Shelf Freq", band::LowShelf::kFrequency,
                                steppedFrequency(band::kShelfFrequencySwitch)),
    Knobs::knob<band::LowShelf>("Low Shelf Peak", band::LowShelf::kPeak, kPeakSwitch),
    Knobs::knob<band::LowShelf>("Low Shelf Gain", band::LowShelf::kGain, kDecibelScale),
    Knobs::knob<band::LowCut>("Low Cut Freq", band::LowCut::kFrequency, steppedFrequency(band::kLowCutSwitch)),
    effectControl("Phase", ParameterRole::Phase),
    effectControl("Output", ParameterRole::Output),
};

// The scales printed around the stepped knobs, one row per knob: its
// parameter index and its labels as printed, in the panel's order (from the
// lowest step at the lower left clockwise to the highest at the lower
// right). The units model reads its frequency texts from here and the
// artwork generator prints its labels from these rows, so keep each row on
// one line in this form.
const sorvane::PrintedScale Product::kPrintedScales[kSteppedKnobCount] = {
    {14, {"OFF", "27", "46", "84", "151", "278"}},
    {1, {"3.9k", "5.5k", "8.1k", "12k", "17k", "OFF"}},
    {11, {"OFF", "110", "180", "310", "560", "1.1k"}},
    {8, {"OFF", "220", "270", "330", "390", "470", "560", "680", "820", "1k", "1.2k"}},
    {5, {"OFF", "1.5k", "1.8k", "2.2k", "2.7k", "3.3k", "3.9k", "4.7k", "5.6k", "6.8k", "8.2k"}},
    {2, {"OFF", "1.1k", "1.5k", "2.3k", "3.4k", "5.4k"}},
};

void Product::buildFolderPaths(char (&manual)[sorvane::platform::kPathCapacity],
                               char (&preset)[sorvane::platform::kPathCapacity]) {
  sorvane::buildFolderPaths(kPresetProduct, manual, preset);
}

}  // namespace pallido

template class sorvane::Sorvane<pallido::Product>;
