// The exported entry point of both product libraries, under its two names.
#include "formats/vst2/entry.h"

#include <new>

#include "plugin/audioeffect.h"

#if defined(_WIN32)
#define SORVANE_EXPORT extern "C" __declspec(dllexport)
#else
#define SORVANE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

SORVANE_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback audioMaster) {
  if (!audioMaster) return nullptr;
  // A host that does not answer the version query is not one we can talk to.
  if (audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
  AudioEffect* effect = nullptr;
  try {
    effect = createEffectInstance(audioMaster);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  return effect ? effect->getAeffect() : nullptr;
}

// Older hosts look for "main". C++ reserves that name, so the symbol is
// given its exported name through the assembler (Linux) or the module
// definition file (Windows).
#if !defined(_WIN32)
SORVANE_EXPORT AEffect* VSTCALLBACK sorvaneLegacyMain(audioMasterCallback audioMaster) asm("main");
SORVANE_EXPORT AEffect* VSTCALLBACK sorvaneLegacyMain(audioMasterCallback audioMaster) {
  return VSTPluginMain(audioMaster);
}
#endif
