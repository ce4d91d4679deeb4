#include "plugin/tessaro.h"

#include "plugin/sorvane_impl.h"
#include "presets/folders.h"

namespace tessaro {

using sorvane::effectControl;
using sorvane::kBandwidthSwitch;
using sorvane::kDecibelScale;
using sorvane::ParameterRole;
using sorvane::steppedFrequency;
namespace band = sorvane::dsp::tessaro;

using Knobs = sorvane::KnobsOf<Product::Bands>;

const sorvane::ParameterInfo Product::kParameters[kParameterCount] = {
    effectControl("On / Off", ParameterRole::OnOff),
    Knobs::knob<band::HighCut>("HighCut Freq", band::HighCut::kFrequency, steppedFrequency(band::kHighCutSwitch)),
    Knobs::knob<band::HighLow>("High Freq", band::HighLow::kHighFrequency,
                               steppedFrequency(band::kHighFrequencySwitch)),
    Knobs::knob<band::HighLow>("High Gain", band::HighLow::kHighGain, kDecibelScale),
    Knobs::knob<band::Mid>("Mid Freq", band::Mid::kFrequency, steppedFrequency(band::kMidFrequencySwitch)),
    Knobs::knob<band::Mid>("Mid Q", band::Mid::kQ, kBandwidthSwitch),
    Knobs::knob<band::Mid>("Mid Gain", band::Mid::kGain, kDecibelScale),
    Knobs::knob<band::HighLow>("Low Freq", band::HighLow::kLowFrequency, steppedFrequency(band::kLowFrequencySwitch)),
    Knobs::knob<band::HighLow>("Low Gain", band::HighLow::kLowGain, kDecibelScale),
    Knobs::knob<band::LowCut>("LowCut Freq", band::LowCut::kFrequency, steppedFrequency(band::kLowCutSwitch)),
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
    {9, {"OFF", "40", "67", "137", "264"}},
    {1, {"6k", "8k", "10k", "14k", "18k", "OFF"}},
    {7, {"OFF", "70", "120", "180", "260"}},
    {2, {"OFF", "3.5k", "4.6k", "8.5k"}},
    {4, {"OFF", "350", "700", "1.6k", "3.2k", "4.8k", "7.2k"}},
};

void Product::buildFolderPaths(char (&manual)[sorvane::platform::kPathCapacity],
                               char (&preset)[sorvane::platform::kPathCapacity]) {
  sorvane::buildFolderPaths(kPresetProduct, manual, preset);
}

}  // namespace tessaro

template class sorvane::Sorvane<tessaro::Product>;
