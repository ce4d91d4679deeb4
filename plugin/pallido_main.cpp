#include "plugin/entry.h"
#include "plugin/pallido.h"

AudioEffect* createEffectInstance(audioMasterCallback audioMaster) {
  // The library holds one product, so its pictures are the ones every bitmap look-up sees.
  sorvane::platform::useEmbeddedResources(&pallido::embeddedResources());
  return new pallido::Effect(audioMaster);
}
