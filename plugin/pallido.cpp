#include "plugin/pallido.h"

#include "plugin/sorvane_impl.h"
#include "presets/folders.h"

namespace pallido {

using sorvane::ParameterRole;

// Band indices follow the chain: 0 high cut, 1 high shelf, 2 high mid,
// 3 low mid, 4 low shelf, 5 low cut.
const sorvane::ParameterInfo Product::kParameters[kParameterCount] = {
    {"On / Off", ParameterRole::OnOff, -1, 0},      {"High Cut Freq", ParameterRole::Band, 0, 0},
    {"High Shelf Freq", ParameterRole::Band, 1, 0}, {"High Shelf Peak", ParameterRole::Band, 1, 1},
    {"High Shelf Gain", ParameterRole::Band, 1, 2}, {"High Mid Freq", ParameterRole::Band, 2, 0},
    {"High Mid Q", ParameterRole::Band, 2, 1},      {"High Mid Gain", ParameterRole::Band, 2, 2},
    {"Low Mid Freq", ParameterRole::Band, 3, 0},    {"Low Mid Q", ParameterRole::Band, 3, 1},
    {"Low Mid Gain", ParameterRole::Band, 3, 2},    {"Low Shelf Freq", ParameterRole::Band, 4, 0},
    {"Low Shelf Peak", ParameterRole::Band, 4, 1},  {"Low Shelf Gain", ParameterRole::Band, 4, 2},
    {"Low Cut Freq", ParameterRole::Band, 5, 0},    {"Phase", ParameterRole::Phase, -1, 0},
    {"Output", ParameterRole::Output, -1, 0},
};

void Product::buildFolderPaths(char (&manual)[260], char (&preset)[260]) {
  sorvane::buildFolderPaths(kPresetProduct, manual, preset);
}

}  // namespace pallido

template class sorvane::Sorvane<pallido::Product>;
