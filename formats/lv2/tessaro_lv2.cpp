// Tessaro's LV2 library: one plug-in, the DSP part.
#include "formats/lv2/adapter_impl.h"

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
  return index == 0 ? sorvane::lv2::descriptorOf<tessaro::Product>() : nullptr;
}
