// Parameters: random changes between and during blocks, values outside
// 0..1 and non-finite ones, and no automation echo.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <string>
#include <thread>

#include "tools/sorvane-host/validate_checks.h"
#include "tools/sorvane-host/validate_session.h"

namespace sorvane::host::validation {

CheckOutcome checkRandomParameters(const PluginLibrary& library, const ValidateSettings& settings, uint64_t seed) {
  Random random(seed);
  Session session(library);
  if (session.instance().numParams() == 0) return skip("the plug-in has no parameters");
  session.instance().resume();
  const int blocks = 40 * settings.strictness;
  for (int b = 0; b < blocks; ++b) {
    randomiseParameters(session.instance(), random, 1 + random.below(3));
    const int size = 32 + random.below(993);
    session.fillNoise(random, size, 0.25);
    session.process(size);
    session.requireSane(size, "after random parameter changes (block " + std::to_string(b) + ")", kRandomSettingsPeak);
  }
  return pass(std::to_string(blocks) + " blocks, 1 to 3 changes before each");
}

CheckOutcome checkParametersDuringBlocks(const PluginLibrary& library, const ValidateSettings& settings,
                                         uint64_t seed) {
  Random random(seed);
  Session session(library);
  if (session.instance().numParams() == 0) return skip("the plug-in has no parameters");
  session.instance().resume();
  std::atomic<bool> stop{false};
  std::atomic<long> changes{0};
  PluginInstance& instance = session.instance();
  // Automation from another thread, as hosts deliver it while a block runs.
  std::thread automation([&instance, &stop, &changes, seed] {
    Random values(seed ^ 0x9e3779b97f4a7c15ULL);
    while (!stop.load()) {
      instance.setParameter(values.below(instance.numParams()), static_cast<float>(values.uniform()));
      changes.fetch_add(1);
    }
  });
  const double seconds = 0.2 * settings.strictness;
  const long wantedChanges = 2000L * settings.strictness;
  try {
    while (changes.load() == 0) std::this_thread::yield();
    // Audio until both enough audio and enough concurrent changes have
    // passed; a slow machine gets at most ten seconds.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    double processed = 0.0;
    while ((processed < seconds || changes.load() < wantedChanges) && std::chrono::steady_clock::now() < deadline) {
      session.runNoise(random, 256.0 / 44100.0, 256, "while parameters change during blocks", 0.25,
                       kRandomSettingsPeak);
      processed += 256.0 / 44100.0;
    }
  } catch (...) {
    stop = true;
    automation.join();
    throw;
  }
  stop = true;
  automation.join();
  return pass(std::to_string(changes.load()) + " changes from a second thread during " +
              std::to_string(static_cast<int>(seconds * 1000)) + " ms of audio");
}

CheckOutcome checkOutOfRangeParameters(const PluginLibrary& library, const ValidateSettings& settings, uint64_t seed) {
  Random random(seed);
  Session session(library);
  PluginInstance& instance = session.instance();
  if (instance.numParams() == 0) return skip("the plug-in has no parameters");
  instance.resume();
  const float values[] = {-0.5f, 1.5f, -1e6f, 1e6f, -std::numeric_limits<float>::min(), 1.0f + 1e-6f};
  const int count = std::min(instance.numParams(), 4 * settings.strictness);
  for (int n = 0; n < count; ++n) {
    const int index = count == instance.numParams() ? n : random.below(instance.numParams());
    const float original = instance.getParameter(index);
    for (float value : values) {
      instance.setParameter(index, value);
      const float readBack = instance.getParameter(index);
      if (settings.strictness >= 7 && !std::isfinite(readBack)) {
        fail("parameter " + std::to_string(index) + " reads back non-finite after " + std::to_string(value));
      }
      // Long enough for deferred coefficient updates to take effect.
      session.runNoise(random, 0.05, 512, "parameter " + std::to_string(index) + " set to " + std::to_string(value),
                       0.25, kRandomSettingsPeak);
    }
    instance.setParameter(index, original);
  }
  return pass(std::to_string(count) + " parameters at -0.5, 1.5, -1e6, 1e6 and just outside 0..1");
}

CheckOutcome checkNonFiniteParameters(const PluginLibrary& library, const ValidateSettings& settings, uint64_t seed) {
  Random random(seed);
  Session session(library);
  PluginInstance& instance = session.instance();
  if (instance.numParams() == 0) return skip("the plug-in has no parameters");
  instance.resume();
  const float values[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity()};
  const int count = std::min(instance.numParams(), 4 * settings.strictness);
  const auto originals = parameterValues(instance);
  for (int n = 0; n < count; ++n) {
    const int index = count == instance.numParams() ? n : random.below(instance.numParams());
    for (float value : values) {
      instance.setParameter(index, value);
      // The output may be anything meanwhile; the plug-in must not crash.
      for (int b = 0; b < 20; ++b) {
        session.fillNoise(random, 512, 0.25);
        session.process(512);
      }
      instance.setParameter(index, originals[static_cast<size_t>(index)]);
      // Back at a valid value, the plug-in must recover by itself (or, at
      // low strictness, after the suspend/resume a host would send).
      if (settings.strictness < 5) {
        instance.suspend();
        instance.resume();
      }
      for (int b = 0; b < 40; ++b) {
        session.fillNoise(random, 512, 0.25);
        session.process(512);
      }
      session.runNoise(random, 0.05, 512,
                       "parameter " + std::to_string(index) + " restored after " + std::to_string(value));
    }
  }
  return pass(std::to_string(count) + " parameters at NaN and +-infinity, recovered after restoring");
}

CheckOutcome checkNoAutomationEcho(const PluginLibrary& library, const ValidateSettings& settings, uint64_t seed) {
  Random random(seed);
  Session session(library);
  PluginInstance& instance = session.instance();
  if (instance.numParams() == 0) return skip("the plug-in has no parameters");
  const int before = instance.context().counters.automate.load();
  randomiseParameters(instance, random, 10 * settings.strictness);
  const int echoes = instance.context().counters.automate.load() - before;
  if (echoes > 0) {
    fail("the host's own setParameter calls came back as " + std::to_string(echoes) + " audioMasterAutomate calls");
  }
  return pass(std::to_string(10 * settings.strictness) + " host parameter changes, no audioMasterAutomate echo");
}

}  // namespace sorvane::host::validation
