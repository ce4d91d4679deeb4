// Tessaro's library: the one place that knows both the effect and its editor.
#include "editor/layout.h"
#include "editor/sorvane_gui.h"
#include "formats/vst2/entry.h"
#include "plugin/tessaro.h"

namespace {

AEffEditor* makeEditor(AudioEffect* effect) {
  return sorvane::editor::makeProductEditor<tessaro::Product>(effect, sorvane::editor::tessaroLayout(),
                                                              sorvane::platform::nativeUiServices());
}

}  // namespace

AudioEffect* createEffectInstance(audioMasterCallback audioMaster) {
  // The library holds one product, so its pictures are the ones every bitmap look-up sees.
  sorvane::platform::useEmbeddedResources(&tessaro::embeddedResources());
  return new tessaro::Effect(audioMaster, makeEditor);
}
