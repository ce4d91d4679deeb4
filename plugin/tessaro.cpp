#include "plugin/tessaro.h"

#include "plugin/sorvane_impl.h"
#include "presets/folders.h"

namespace tessaro {

using sorvane::ParameterRole;

// Band indices follow the chain: 0 high cut, 1 shelves, 2 mid, 3 low cut.
const sorvane::ParameterInfo Product::kParameters[kParameterCount] = {
    {"On / Off", ParameterRole::OnOff, -1, 0}, {"HighCut Freq", ParameterRole::Band, 0, 0},
    {"High Freq", ParameterRole::Band, 1, 0},  {"High Gain", ParameterRole::Band, 1, 1},
    {"Mid Freq", ParameterRole::Band, 2, 0},   {"Mid Q", ParameterRole::Band, 2, 1},
    {"Mid Gain", ParameterRole::Band, 2, 2},   {"Low Freq", ParameterRole::Band, 1, 2},
    {"Low Gain", ParameterRole::Band, 1, 3},   {"LowCut Freq", ParameterRole::Band, 3, 0},
    {"Phase", ParameterRole::Phase, -1, 0},    {"Output", ParameterRole::Output, -1, 0},
};

void Product::buildFolderPaths(char (&manual)[260], char (&preset)[260]) {
  sorvane::buildFolderPaths(kPresetProduct, manual, preset);
}

}  // namespace tessaro

template class sorvane::Sorvane<tessaro::Product>;
