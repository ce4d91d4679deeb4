#include "plugin/entry.h"
#include "plugin/pallido.h"

AudioEffect* createEffectInstance(audioMasterCallback audioMaster) { return new pallido::Effect(audioMaster); }
