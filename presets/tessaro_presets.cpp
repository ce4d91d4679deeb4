#include "presets/product_presets.h"

namespace tessaro {
namespace {

// Factory programs: both sides of each host program start from these rows.
constexpr sorvane::FactoryProgram kFactory[sorvane::kProgramCount] = {
    {"Init", "Init.tsqp", {0, 1, 0, 0.5, 0, 0, 0.5, 0, 0.5, 0, 0, 0.5}},
    {"Lead Vocal", "Lead Vocal.tsqp", {0, 0.925, 0.676667, 0.755, 0.588333, 0, 0.325, 1, 0.675, 0.945, 0, 0.45}},
    {"Female Vocal", "Female Vocal.tsqp", {0, 1, 0.343333, 0.65, 0.51, 0, 0.42, 1, 0.62, 0, 0, 0.5}},
    {"Acc Guitar 1", "Acc Guitar 1.tsqp", {0, 1, 0.676667, 0.595, 0.843333, 0, 0.845, 1, 0.4, 0.64, 0, 0.45}},
    {"Nylon Guitar 1", "Nylon Guitar 1.tsqp", {0, 0.47, 0.44, 0.595, 0.51, 0, 0.62, 0.76, 0.41, 0.645, 0, 0.45}},
    {"Distort Guitar 1", "Distort Guitar 1.tsqp", {0, 0.47, 0.44, 0.395, 0.858333, 0, 0.595, 1, 0.505, 0.645, 0, 0.45}},
    {"Bass Drum 1", "Bass Drum 1.tsqp", {0, 1, 0.343333, 0.71, 0.235, 0, 0.2, 0.51, 0.685, 0, 0, 0.5}},
    {"Metal Bass Drum 1",
     "Metal Bass Drum 1.tsqp",
     {0, 0.875, 0.343333, 0.74, 0.343333, 0, 0.125, 0.76, 0.67, 0, 0, 0.45}},
    {"Snare Drum 1", "Snare Drum 1.tsqp", {0, 1, 0.451667, 0.725, 0.448333, 0, 0.31, 1, 0.735, 0.735, 0, 0.45}},
    {"Snare Drum 2", "Snare Drum 2.tsqp", {0, 0.825, 0.451667, 0.66, 0.176667, 1, 0.39, 1, 0.7, 0.735, 0, 0.45}},
    {"Rack Tom 1", "Rack Tom 1.tsqp", {0, 1, 0.451667, 0.695, 0.176667, 0, 0.17, 0.865, 0.64, 0.735, 0, 0.45}},
    {"Floor Tom 1", "Floor Tom 1.tsqp", {0, 0.925, 0.343333, 0.575, 0.343333, 1, 0.12, 0.86, 0.595, 0.735, 0, 0.45}},
};

}  // namespace

const sorvane::PresetProduct kPresetProduct = {
    "BTSQR", "PTSQR", "tsqp", "tsqb", "Sorvane\\Presets\\Tessaro", 12, kFactory,
};

}  // namespace tessaro
