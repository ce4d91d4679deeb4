// What the editor shows at open, as far as a still picture needs it: each
// control's picture, rectangle, how it picks its frame, and the value the
// product starts with. Kept apart from the editor so the mock-up can be made
// while the editor is being built; the gui tests check the same pictures.
#pragma once

#include <string_view>
#include <vector>

#include "gui/draw/cgeometry.h"

namespace sorvane::snapshot {

enum class Kind {
  Knob,     // frame = value × (frames - 1), frames = height / rect height
  OnOff,    // lower half of the picture when the value is not 0
  Kick,     // frame height = rect height, second frame when the value is not 0
  Picture,  // the whole picture at the rectangle
};

struct MockControl {
  const char* bitmap;
  CRect rect;
  Kind kind;
  int parameter;  // index into the product's values, or -1 for a command control
};

struct MockLayout {
  std::string_view product;
  const char* presetName;
  CRect presetRect;
  CRect aboutRect;
  std::vector<MockControl> controls;  // in the order the editor adds them
  std::vector<float> startValues;     // the first factory program
};

const MockLayout* findMockLayout(std::string_view product);

}  // namespace sorvane::snapshot
