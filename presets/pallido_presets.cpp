#include "presets/product_presets.h"

namespace pallido {
namespace {

// Factory programs: both sides of each host program start from these rows.
constexpr sorvane::FactoryProgram kFactory[sorvane::kProgramCount] = {
    {"Init", "Init.pldp", {0, 1, 0, 0, 0.5, 0, 0, 0.5, 0, 0, 0.5, 0, 0, 0.5, 0, 0, 0.5}},
    {"Male Vocal 1",
     "Male Vocal 1.pldp",
     {0, 0.655, 0.67, 0, 0.555, 0.755, 0, 0.72, 0.9, 0, 0.33, 1, 0, 0.45, 0.73, 0, 0.5}},
    {"Female Pop Vocal",
     "Female Pop Vocal.pldp",
     {0, 1, 1, 0, 0.655, 0.705, 1, 0.445, 1, 0, 0.385, 0.81, 1, 0.59, 0.465, 0, 0.5}},
    {"Acc Guitar",
     "Acc Guitar.pldp",
     {0, 1, 1, 0, 0.59, 0.305, 0, 0.635, 0.455, 0, 0.375, 0.915, 0, 0.44, 0.68, 0, 0.5}},
    {"Electric Guitar 1",
     "Electric Guitar 1.pldp",
     {0, 1, 0.26, 0, 0.5, 0.935, 1, 0.385, 0.3, 1, 0.405, 0.505, 0, 0.5, 0.89, 0, 0.5}},
    {"Distorted Guitar 1",
     "Distorted Guitar 1.pldp",
     {0, 0.49, 0, 0, 0.5, 0.255, 0, 0.595, 0.31, 0, 0.37, 0, 0, 0.5, 0.77, 0, 0.5}},
    {"Lead Guitar 1",
     "Lead Guitar 1.pldp",
     {0, 0.49, 0.41, 1, 0.55, 0.11, 0, 0.6, 0.53, 0, 0.31, 0, 0, 0.5, 0.92, 0, 0.5}},
    {"Bass Guitar",
     "Bass Guitar.pldp",
     {0, 0.51, 0, 0, 0.5, 0.245, 0, 0.585, 0.295, 0, 0.325, 0.41, 0, 0.545, 0, 0, 0.5}},
    {"Kick Drum 1",
     "Kick Drum 1.pldp",
     {0, 0.81, 0.88, 0, 0.61, 0.71, 0, 0.61, 0.23, 1, 0.23, 0.61, 0, 0.65, 0.21, 0, 0.5}},
    {"Snare Drum 1",
     "Snare Drum 1.pldp",
     {0, 0.815, 0, 0, 0.5, 0.71, 0, 0.715, 0.44, 0, 0.385, 0.865, 1, 0.42, 0.655, 0, 0.5}},
    {"Tom Hi", "Tom Hi.pldp", {0, 0.785, 0.61, 0, 0.5, 0.925, 0, 0.63, 0.42, 1, 0.24, 0.865, 1, 0.595, 0.99, 0, 0.5}},
    {"Tom Lo",
     "Tom Lo.pldp",
     {0, 0.785, 0.26, 0, 0.56, 0.755, 0, 0.605, 0.325, 1, 0.305, 0.505, 0, 0.425, 0.47, 0, 0.5}},
};

}  // namespace

const sorvane::PresetProduct kPresetProduct = {
    "BPLDO", "PPLDO", "pldp", "pldb", "Sorvane\\Presets\\Pallido", 17, kFactory,
};

}  // namespace pallido
