#include "tools/snapshot/mockup_layout.h"

namespace sorvane::snapshot {
namespace {

const MockLayout tessaroLayout{
    "tessaro",
    "Init",
    {144, 8, 303, 29},
    {85, 20, 481, 245},
    {
        {"redl.png", {36, 160, 89, 213}, Kind::Knob, 9},
        {"red.png", {488, 160, 541, 213}, Kind::Knob, 1},
        {"black.png", {146, 75, 199, 128}, Kind::Knob, 7},
        {"black2.png", {384, 75, 437, 128}, Kind::Knob, 2},
        {"blue.png", {265, 75, 318, 128}, Kind::Knob, 4},
        {"gain.png", {145, 184, 198, 237}, Kind::Knob, 8},
        {"gain.png", {384, 184, 437, 237}, Kind::Knob, 3},
        {"gainblue.png", {264, 184, 317, 237}, Kind::Knob, 6},
        {"q.png", {275, 148, 305, 165}, Kind::OnOff, 5},
        {"output.png", {488, 58, 541, 111}, Kind::Knob, 11},
        {"onoff.png", {544, 8, 565, 29}, Kind::OnOff, 0},
        {"phase.png", {47, 90, 77, 125}, Kind::OnOff, 10},
        {"ab.png", {446, 8, 513, 30}, Kind::Kick, -1},
        {"abswitch.png", {349, 8, 415, 30}, Kind::OnOff, -1},
        {"fileoff.png", {45, 8, 104, 30}, Kind::Picture, -1},
        {"arrowdec.png", {124, 8, 144, 29}, Kind::Kick, -1},
        {"arrowinc.png", {301, 8, 322, 29}, Kind::Kick, -1},
    },
    {0.0f, 1.0f, 0.0f, 0.5f, 0.0f, 0.0f, 0.5f, 0.0f, 0.5f, 0.0f, 0.0f, 0.5f},
};

const MockLayout pallidoLayout{
    "pallido",
    "Init",
    {144, 8, 358, 29},
    {135, 20, 531, 245},
    {
        {"red.png", {40, 157, 93, 210}, Kind::Knob, 14},       {"red.png", {588, 157, 641, 210}, Kind::Knob, 1},
        {"black.png", {147, 73, 200, 126}, Kind::Knob, 11},    {"blue.png", {269, 73, 322, 126}, Kind::Knob, 8},
        {"blue.png", {374, 73, 427, 126}, Kind::Knob, 5},      {"black.png", {488, 73, 541, 126}, Kind::Knob, 2},
        {"gain.png", {147, 182, 200, 235}, Kind::Knob, 13},    {"gainblue.png", {267, 182, 320, 235}, Kind::Knob, 10},
        {"gainblue.png", {373, 182, 426, 235}, Kind::Knob, 7}, {"gain.png", {489, 182, 542, 235}, Kind::Knob, 4},
        {"q.png", {143, 144, 173, 161}, Kind::OnOff, 12},      {"q.png", {265, 144, 295, 161}, Kind::OnOff, 9},
        {"q.png", {400, 144, 430, 161}, Kind::OnOff, 6},       {"q.png", {514, 144, 544, 161}, Kind::OnOff, 3},
        {"output.png", {588, 55, 641, 108}, Kind::Knob, 16},   {"onoff.png", {643, 8, 664, 29}, Kind::OnOff, 0},
        {"ab.png", {485, 9, 552, 31}, Kind::Kick, -1},         {"abswitch.png", {407, 9, 473, 30}, Kind::OnOff, -1},
        {"phase.png", {47, 90, 77, 125}, Kind::OnOff, 15},     {"fileon.png", {45, 8, 104, 30}, Kind::Picture, -1},
        {"arrowdec.png", {124, 9, 145, 30}, Kind::Kick, -1},   {"arrowinc.png", {358, 9, 378, 30}, Kind::Kick, -1},
    },
    {0.0f, 1.0f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f, 0.5f},
};

}  // namespace

const MockLayout* findMockLayout(std::string_view product) {
  if (product == tessaroLayout.product) return &tessaroLayout;
  if (product == pallidoLayout.product) return &pallidoLayout;
  return nullptr;
}

}  // namespace sorvane::snapshot
