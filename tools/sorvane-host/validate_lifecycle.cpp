// Instances over their life: the effect record, many instances, sample
// rates and mains switching.
#include <memory>
#include <string>
#include <vector>

#include "tools/sorvane-host/validate_checks.h"
#include "tools/sorvane-host/validate_session.h"

namespace sorvane::host::validation {

CheckOutcome checkEffectRecord(const PluginLibrary& library, const ValidateSettings& settings, uint64_t) {
  Session session(library);
  AEffect* effect = session.instance().effect();
  if (effect->processReplacing == nullptr) fail("the effect record has no processReplacing");
  if ((effect->flags & effFlagsCanReplacing) == 0) fail("effFlagsCanReplacing is not set");
  if (effect->numInputs < 0 || effect->numInputs > 64 || effect->numOutputs < 0 || effect->numOutputs > 64) {
    fail("implausible channel counts " + std::to_string(effect->numInputs) + "/" + std::to_string(effect->numOutputs));
  }
  if (effect->numParams < 0 || effect->numPrograms < 0) fail("negative parameter or program count");
  if (settings.strictness >= 5 && (effect->flags & effFlagsCanDoubleReplacing) != 0 &&
      effect->processDoubleReplacing == nullptr) {
    fail("effFlagsCanDoubleReplacing is set but processDoubleReplacing is null");
  }
  const VstIntPtr version = session.instance().dispatch(effGetVstVersion);
  if (settings.strictness >= 5 && version < 2400)
    fail("effGetVstVersion answers " + std::to_string(version) + ", not 2400");
  // Appended piece by piece: GCC 12 warns wrongly about "'" + std::string.
  std::string detail = "'";
  detail += session.instance().effectName();
  detail += "', " + std::to_string(effect->numInputs) + " in, " + std::to_string(effect->numOutputs) + " out, " +
            std::to_string(effect->numParams) + " parameters, " + std::to_string(effect->numPrograms) + " programs";
  return pass(detail);
}

CheckOutcome checkInstances(const PluginLibrary& library, const ValidateSettings& settings, uint64_t seed) {
  Random random(seed);
  const int together = 2 + 2 * settings.strictness;
  const int sequential = 5 * settings.strictness;
  {
    std::vector<std::unique_ptr<Session>> sessions;
    for (int i = 0; i < together; ++i) {
      sessions.push_back(std::make_unique<Session>(library));
      sessions.back()->instance().resume();
    }
    for (auto& session : sessions) session->runNoise(random, 0.01, 256, "with " + std::to_string(together) + " open");
  }
  for (int i = 0; i < sequential; ++i) {
    Session session(library);
    session.instance().resume();
    session.runNoise(random, 0.005, 128, "instance " + std::to_string(i + 1) + " of a sequence");
  }
  return pass(std::to_string(together) + " open at once, then " + std::to_string(sequential) + " one after another");
}

CheckOutcome checkSampleRates(const PluginLibrary& library, bool suspendFirst, uint64_t seed) {
  Random random(seed);
  Session session(library);
  session.instance().resume();
  for (double rate : kSampleRates) {
    if (suspendFirst) session.instance().suspend();
    session.instance().setSampleRate(rate);
    if (suspendFirst) session.instance().resume();
    session.runNoise(random, 0.1, 512, "at " + hzText(rate));
  }
  return pass("22050 to 192000 Hz, 7 rates");
}

CheckOutcome checkMainsToggling(const PluginLibrary& library, const ValidateSettings& settings, uint64_t seed) {
  Random random(seed);
  Session session(library);
  const int toggles = 20 * settings.strictness;
  for (int i = 0; i < toggles; ++i) {
    session.instance().resume();
    session.runNoise(random, 0.003, 64 + random.below(256), "after mains on (toggle " + std::to_string(i) + ")");
    session.instance().suspend();
  }
  return pass(std::to_string(toggles) + " suspend/resume cycles with audio between");
}

}  // namespace sorvane::host::validation
