#include "plugin/entry.h"
#include "plugin/tessaro.h"

AudioEffect* createEffectInstance(audioMasterCallback audioMaster) {
  // The library holds one product, so its pictures are the ones every bitmap look-up sees.
  sorvane::platform::useEmbeddedResources(&tessaro::embeddedResources());
  return new tessaro::Effect(audioMaster);
}
