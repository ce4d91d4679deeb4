// Pallido's panel: 671 × 267, six bands.
#include "editor/layout.h"

namespace sorvane::editor {
namespace {

// Scale positions of the stepped knobs, from the lowest step at the lower
// left clockwise over the top to the highest at the lower right.
constexpr CRect kLowCutZones[] = {{34, 211, 54, 227}, {18, 176, 44, 192},  {30, 144, 46, 160},
                                  {82, 144, 98, 160}, {99, 176, 119, 192}, {79, 211, 99, 227}};
constexpr CRect kHighCutZones[] = {{575, 210, 595, 226}, {564, 177, 584, 193}, {574, 146, 594, 162},
                                   {630, 146, 650, 162}, {644, 177, 664, 193}, {628, 210, 648, 226}};
constexpr CRect kLowShelfZones[] = {{139, 127, 159, 143}, {126, 93, 142, 109}, {139, 62, 155, 78},
                                    {192, 62, 212, 78},   {206, 93, 226, 109}, {189, 127, 209, 143}};
constexpr CRect kLowMidZones[] = {{260, 126, 280, 142}, {245, 110, 265, 126}, {243, 94, 263, 110}, {245, 75, 265, 91},
                                  {259, 59, 279, 75},   {284, 52, 304, 68},   {313, 57, 333, 73},  {324, 74, 344, 90},
                                  {328, 92, 348, 108},  {328, 110, 348, 126}, {313, 126, 342, 142}};
constexpr CRect kHighMidZones[] = {{366, 126, 386, 142}, {354, 109, 374, 125}, {350, 92, 370, 108}, {353, 74, 373, 90},
                                   {366, 58, 386, 74},   {389, 54, 409, 70},   {415, 57, 435, 73},  {427, 74, 447, 90},
                                   {431, 92, 451, 108},  {426, 109, 446, 125}, {414, 126, 434, 142}};
constexpr CRect kHighShelfZones[] = {{474, 121, 494, 137}, {464, 92, 484, 108}, {479, 61, 499, 77},
                                     {530, 61, 550, 77},   {545, 91, 565, 107}, {531, 121, 551, 137}};

constexpr ParameterControl kControls[] = {
    {14, ControlKind::SteppedKnob, "red.png", {40, 157, 93, 210}, 0.0f, {18, 144, 119, 227}, kLowCutZones},
    {1, ControlKind::SteppedKnob, "red.png", {588, 157, 641, 210}, 1.0f, {564, 146, 664, 226}, kHighCutZones},
    {11, ControlKind::SteppedKnob, "black.png", {147, 73, 200, 126}, 0.0f, {126, 62, 226, 143}, kLowShelfZones},
    {8, ControlKind::SteppedKnob, "blue.png", {269, 73, 322, 126}, 0.0f, {243, 52, 348, 142}, kLowMidZones},
    {5, ControlKind::SteppedKnob, "blue.png", {374, 73, 427, 126}, 0.0f, {350, 54, 451, 142}, kHighMidZones},
    {2, ControlKind::SteppedKnob, "black.png", {488, 73, 541, 126}, 0.0f, {464, 61, 565, 137}, kHighShelfZones},
    {13, ControlKind::Knob, "gain.png", {147, 182, 200, 235}, 0.5f, {}, {}},
    {10, ControlKind::Knob, "gainblue.png", {267, 182, 320, 235}, 0.5f, {}, {}},
    {7, ControlKind::Knob, "gainblue.png", {373, 182, 426, 235}, 0.5f, {}, {}},
    {4, ControlKind::Knob, "gain.png", {489, 182, 542, 235}, 0.5f, {}, {}},
    {12, ControlKind::Switch, "q.png", {143, 144, 173, 161}, 0.0f, {}, {}},
    {9, ControlKind::Switch, "q.png", {265, 144, 295, 161}, 0.0f, {}, {}},
    {6, ControlKind::Switch, "q.png", {400, 144, 430, 161}, 0.0f, {}, {}},
    {3, ControlKind::Switch, "q.png", {514, 144, 544, 161}, 0.0f, {}, {}},
    {16, ControlKind::Knob, "output.png", {588, 55, 641, 108}, 0.5f, {}, {}},
    {0, ControlKind::Switch, "onoff.png", {643, 8, 664, 29}, 0.0f, {}, {}},
    {15, ControlKind::Switch, "phase.png", {47, 90, 77, 125}, 0.0f, {}, {}},
};

constexpr const char* kBitmaps[] = {"q.png",      "phase.png",    "red.png",      "blue.png",
                                    "black.png",  "output.png",   "gain.png",     "gainblue.png",
                                    "fileon.png", "fileoff.png",  "arrowdec.png", "arrowinc.png",
                                    "onoff.png",  "abswitch.png", "ab.png",       "ba.png"};

const EditorLayout kLayout{
    "pallido",
    671,
    267,
    kBitmaps,
    kControls,
    0,  // the A/B controls follow "On / Off"
    {17, 18, 19, 20, 21, 22, 24},
    {45, 8, 104, 30},
    "fileon.png",
    "fileoff.png",
    {144, 8, 358, 29},
    {124, 9, 145, 30},
    {358, 9, 378, 30},
    {407, 9, 473, 30},
    {485, 9, 552, 31},
    {10, 8, 30, 28},
    {135, 20, 531, 245},
    {218, 11, 274, 21},
    MakeCColor(0x5c, 0xc6, 0xa8),  // sea-green
};

}  // namespace

const EditorLayout& pallidoLayout() { return kLayout; }

}  // namespace sorvane::editor
