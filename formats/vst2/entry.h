// Each product library defines how its effect object is made; the shared
// entry point calls it.
#pragma once

#include "formats/vst2/aeffect.h"

class AudioEffect;

AudioEffect* createEffectInstance(audioMasterCallback audioMaster);
