#include "plugin/entry.h"
#include "plugin/tessaro.h"

AudioEffect* createEffectInstance(audioMasterCallback audioMaster) { return new tessaro::Effect(audioMaster); }
