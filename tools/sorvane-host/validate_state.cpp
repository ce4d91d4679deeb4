// State a host stores: every program, and bank and program chunks that
// come back byte for byte.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/sorvane-host/validate_checks.h"
#include "tools/sorvane-host/validate_session.h"

namespace sorvane::host::validation {

namespace {

std::string firstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  if (a.size() != b.size()) return "size " + std::to_string(a.size()) + " became " + std::to_string(b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) {
      char text[96];
      std::snprintf(text, sizeof text, "byte %zu differs (0x%02x became 0x%02x)", i, a[i], b[i]);
      return text;
    }
  }
  return "";
}

}  // namespace

CheckOutcome checkPrograms(const PluginLibrary& library, const ValidateSettings& settings, uint64_t seed) {
  Random random(seed);
  Session session(library);
  PluginInstance& instance = session.instance();
  const int programs = instance.numPrograms();
  if (programs == 0) return skip("the plug-in has no programs");
  instance.resume();
  for (int p = 0; p < programs; ++p) {
    instance.setProgram(p);
    if (instance.currentProgram() != p) {
      fail("effSetProgram " + std::to_string(p) + " leaves effGetProgram at " +
           std::to_string(instance.currentProgram()));
    }
    instance.programName();
    session.runNoise(random, 0.05, 512, "program " + std::to_string(p) + " '" + instance.programName() + "'");
  }
  if (settings.strictness >= 2) {
    const int before = instance.currentProgram();
    instance.setProgram(programs);
    instance.dispatch(effSetProgram, 0, -1);
    const int after = instance.currentProgram();
    if (after < 0 || after >= programs)
      fail("effSetProgram out of range leaves the program at " + std::to_string(after));
    if (settings.strictness >= 5 && after != before) {
      fail("effSetProgram out of range changed the program from " + std::to_string(before) + " to " +
           std::to_string(after));
    }
  }
  return pass(std::to_string(programs) + " programs selected and played" +
              (settings.strictness >= 2 ? ", out-of-range numbers ignored" : ""));
}

CheckOutcome checkChunkRoundTrip(const PluginLibrary& library, const ValidateSettings& settings, uint64_t seed,
                                 bool program) {
  Random random(seed);
  Session first(library);
  PluginInstance& source = first.instance();
  const std::string kind = program ? "program chunk" : "bank chunk";
  if (!source.hasChunks()) {
    if (program) return skip("the plug-in keeps no chunks");
    // Without chunks a host saves the parameters one by one.
    randomiseParameters(source, random, 3 * settings.strictness);
    const auto values = parameterValues(source);
    Session second(library);
    for (size_t i = 0; i < values.size(); ++i) second.instance().setParameter(static_cast<int>(i), values[i]);
    const auto restored = parameterValues(second.instance());
    for (size_t i = 0; i < values.size(); ++i) {
      if (restored[i] != values[i]) {
        fail("parameter " + std::to_string(i) + " was " + exactText(values[i]) + ", restored " +
             exactText(restored[i]));
      }
    }
    return pass("no chunks; " + std::to_string(values.size()) + " parameter values restore exactly");
  }
  if (source.numPrograms() > 0) source.setProgram(random.below(source.numPrograms()));
  randomiseParameters(source, random, 3 * settings.strictness);
  const auto saved = source.getChunk(program);
  if (saved.empty()) fail("effGetChunk returns no data");
  const auto savedValues = parameterValues(source);

  Session second(library);
  PluginInstance& target = second.instance();
  // The program number travels beside the chunk, as hosts store it.
  if (target.numPrograms() > 0) target.setProgram(source.currentProgram());
  if (!target.setChunk(saved, program))
    fail("a fresh instance refuses the " + kind + " of " + std::to_string(saved.size()) + " bytes");
  const auto restored = target.getChunk(program);
  const std::string difference = firstDifference(saved, restored);
  if (!difference.empty()) fail("the " + kind + " does not come back byte for byte: " + difference);
  if (settings.strictness >= 6) {
    const auto restoredValues = parameterValues(target);
    for (size_t i = 0; i < savedValues.size() && i < restoredValues.size(); ++i) {
      if (savedValues[i] != restoredValues[i]) {
        fail("parameter " + std::to_string(i) + " was " + exactText(savedValues[i]) + ", after the " + kind +
             " round trip " + exactText(restoredValues[i]));
      }
    }
  }
  // The same instance, given back its own chunk.
  if (!source.setChunk(saved, program)) fail("the instance refuses its own " + kind);
  const std::string again = firstDifference(saved, source.getChunk(program));
  if (!again.empty()) fail("the " + kind + " given back to its own instance changes: " + again);
  return pass(std::to_string(saved.size()) + " bytes identical in a fresh instance and in the same one");
}

}  // namespace sorvane::host::validation
