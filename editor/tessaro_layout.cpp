// Tessaro's panel: 571 × 267, four bands.
#include "editor/layout.h"

namespace sorvane::editor {
namespace {

// Scale positions of the stepped knobs, from the lowest step at the lower
// left clockwise over the top to the highest at the lower right.
constexpr CRect kLowCutZones[] = {
    {30, 216, 50, 232}, {17, 180, 33, 196}, {27, 147, 80, 163}, {79, 147, 95, 163}, {95, 179, 115, 195}};
constexpr CRect kHighCutZones[] = {{482, 216, 498, 232}, {466, 180, 482, 196}, {479, 147, 495, 163},
                                   {531, 147, 547, 163}, {547, 179, 563, 195}, {531, 216, 547, 232}};
constexpr CRect kLowFreqZones[] = {
    {137, 126, 157, 142}, {124, 85, 140, 101}, {163, 58, 179, 74}, {203, 84, 223, 100}, {186, 126, 206, 142}};
constexpr CRect kHighFreqZones[] = {{371, 126, 391, 142}, {371, 63, 391, 79}, {430, 63, 450, 79}, {434, 125, 454, 141}};
constexpr CRect kMidFreqZones[] = {{257, 126, 277, 142}, {237, 100, 257, 116}, {250, 72, 270, 88},  {281, 60, 301, 76},
                                   {315, 73, 335, 89},   {317, 101, 337, 117}, {304, 126, 324, 142}};

constexpr ParameterControl kControls[] = {
    {9, ControlKind::SteppedKnob, "redl.png", {36, 160, 89, 213}, 0.0f, {12, 146, 116, 231}, kLowCutZones},
    {1, ControlKind::SteppedKnob, "red.png", {488, 160, 541, 213}, 1.0f, {466, 147, 563, 232}, kHighCutZones},
    {7, ControlKind::SteppedKnob, "black.png", {146, 75, 199, 128}, 0.0f, {124, 57, 223, 142}, kLowFreqZones},
    {2, ControlKind::SteppedKnob, "black2.png", {384, 75, 437, 128}, 0.0f, {371, 63, 459, 142}, kHighFreqZones},
    {4, ControlKind::SteppedKnob, "blue.png", {265, 75, 318, 128}, 0.0f, {237, 60, 338, 142}, kMidFreqZones},
    {8, ControlKind::Knob, "gain.png", {145, 184, 198, 237}, 0.5f, {}, {}},
    {3, ControlKind::Knob, "gain.png", {384, 184, 437, 237}, 0.5f, {}, {}},
    {6, ControlKind::Knob, "gainblue.png", {264, 184, 317, 237}, 0.5f, {}, {}},
    {5, ControlKind::Switch, "q.png", {275, 148, 305, 165}, 0.0f, {}, {}},
    {11, ControlKind::Knob, "output.png", {488, 58, 541, 111}, 0.5f, {}, {}},
    {0, ControlKind::Switch, "onoff.png", {544, 8, 565, 29}, 0.0f, {}, {}},
    {10, ControlKind::Switch, "phase.png", {47, 90, 77, 125}, 0.0f, {}, {}},
};

constexpr const char* kBitmaps[] = {"q.png",        "phase.png",   "red.png",      "redl.png",     "blue.png",
                                    "black.png",    "black2.png",  "output.png",   "gain.png",     "gainblue.png",
                                    "fileon.png",   "fileoff.png", "arrowdec.png", "arrowinc.png", "onoff.png",
                                    "abswitch.png", "ab.png",      "ba.png"};

const EditorLayout kLayout{
    "tessaro",
    571,
    267,
    kBitmaps,
    kControls,
    10,  // the A/B controls follow "Phase"
    {12, 13, 14, 15, 16, 17, 19},
    {45, 8, 104, 30},
    "fileoff.png",
    "fileon.png",
    {144, 8, 303, 29},
    {124, 8, 144, 29},
    {301, 8, 322, 29},
    {349, 8, 415, 30},
    {446, 8, 513, 30},
    {10, 8, 30, 28},
    {85, 20, 481, 245},
    {218, 11, 274, 21},
    MakeCColor(0xe8, 0xa3, 0x3d),  // amber
};

}  // namespace

const EditorLayout& tessaroLayout() { return kLayout; }

}  // namespace sorvane::editor
