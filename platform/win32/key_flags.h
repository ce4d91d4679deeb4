// The key flags of Windows mouse messages (MK_...) and the toolkit's
// mouse-button word, both ways. Alt has no key flag: the window asks the
// keyboard state for it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/window.h"

namespace sorvane::platform::win32 {

struct KeyFlagBit {
  WPARAM flag;
  std::int32_t bit;
};

inline constexpr KeyFlagBit kKeyFlagBits[] = {
    {MK_LBUTTON, kButtonLeft}, {MK_RBUTTON, kButtonRight}, {MK_MBUTTON, kButtonMiddle},    {MK_XBUTTON1, kButton4},
    {MK_XBUTTON2, kButton5},   {MK_SHIFT, kModifierShift}, {MK_CONTROL, kModifierControl},
};

inline std::int32_t buttonsFromKeyFlags(WPARAM keys) {
  std::int32_t buttons = 0;
  for (const KeyFlagBit& b : kKeyFlagBits)
    if (keys & b.flag) buttons |= b.bit;
  return buttons;
}

inline WPARAM keyFlagsFromButtons(std::int32_t buttons) {
  WPARAM keys = 0;
  for (const KeyFlagBit& b : kKeyFlagBits)
    if (buttons & b.bit) keys |= b.flag;
  return keys;
}

}  // namespace sorvane::platform::win32
