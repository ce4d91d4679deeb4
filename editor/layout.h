// A product's editor as data: window size, pictures, every control with its
// tag, picture, rectangle, default and the clickable scale positions of the
// stepped knobs, and the command controls. The editor, the snapshot tool and
// the tests read these tables; nothing else knows where a control sits.
#pragma once

#include <cstdint>
#include <span>

#include "gui/draw/ccolor.h"
#include "gui/draw/cgeometry.h"

namespace sorvane::editor {

enum class ControlKind {
  SteppedKnob,  // a frequency knob: animated, with clickable scale positions
  Knob,         // an animated knob: gains and output
  Switch,       // a two-state switch
};

struct ParameterControl {
  std::int32_t tag;  // the parameter index
  ControlKind kind;
  const char* bitmap;
  CRect rect;
  float defaultValue;            // knobs only
  CRect mouseableArea;           // stepped knobs: takes in the scale positions
  std::span<const CRect> zones;  // stepped knobs: position i sets step i
};

// Tags of the command controls; they follow the parameter indices.
struct CommandTags {
  std::int32_t fileMenu, abSwitch, abCopy, presetMenu, previous, next, about;
};

struct EditorLayout {
  const char* product;  // "tessaro", "pallido"
  int width, height;    // the background picture's size
  // Every picture the editor loads besides the background, in loading order.
  std::span<const char* const> bitmaps;
  // The parameter controls in creation order; the A/B controls are created
  // right after the control whose tag is abAfterTag.
  std::span<const ParameterControl> controls;
  std::int32_t abAfterTag;
  CommandTags tags;
  CRect fileMenu;
  const char* fileMenuBitmap;      // shown normally
  const char* fileMenuOpenBitmap;  // shown while the menu is open
  CRect presetName;                // the preset-name label and the preset menu
  CRect previous, next;
  CRect abSwitch, abCopy;
  CRect aboutClick, aboutScreen;
  CRect versionLabel;  // inside the about screen
  CColor accent;       // the product's accent colour, as the pictures draw it
};

const EditorLayout& tessaroLayout();
const EditorLayout& pallidoLayout();

// Picture names the editor uses for the A/B controls and the about screen.
inline constexpr const char* kBackgroundBitmap = "background.png";
inline constexpr const char* kAboutBitmap = "about.png";
inline constexpr const char* kAbSwitchBitmap = "abswitch.png";
inline constexpr const char* kCopyAToBBitmap = "ab.png";
inline constexpr const char* kCopyBToABitmap = "ba.png";
inline constexpr const char* kPreviousBitmap = "arrowdec.png";
inline constexpr const char* kNextBitmap = "arrowinc.png";
inline constexpr const char* kVersionText = "Ver.1.0.0";

}  // namespace sorvane::editor
