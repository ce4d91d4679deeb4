// Pallido's LV2 library: the plug-in and its UI, which reaches the plug-in's
// effect directly (instance-access), so both live in one library.
#include "editor/layout.h"
#include "editor/sorvane_gui.h"
#include "formats/lv2/ui_impl.h"

template <>
struct sorvane::lv2::EditorOf<pallido::Product> {
  static AEffEditor* make(AudioEffect* effect) {
    // The library holds one product, so its pictures are the ones every bitmap look-up sees.
    sorvane::platform::useEmbeddedResources(&pallido::embeddedResources());
    return sorvane::editor::makeProductEditor<pallido::Product>(effect, sorvane::editor::pallidoLayout(),
                                                                sorvane::platform::nativeUiServices());
  }
};

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
  return index == 0 ? sorvane::lv2::descriptorOf<pallido::Product>() : nullptr;
}

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
  return index == 0 ? sorvane::lv2::uiDescriptorOf<pallido::Product>() : nullptr;
}
