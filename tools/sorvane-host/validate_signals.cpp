// Signals that break careless filters: silence, a decay into denormals,
// full scale, denormal input and a NaN burst.
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "tools/sorvane-host/validate_checks.h"
#include "tools/sorvane-host/validate_session.h"

namespace sorvane::host::validation {

CheckOutcome checkSilence(const PluginLibrary& library, const ValidateSettings& settings, uint64_t) {
  Session session(library);
  session.instance().resume();
  const bool synth = (session.instance().effect()->flags & effFlagsIsSynth) != 0;
  double peak = 0.0;
  for (int b = 0; b < 86; ++b) {
    session.fillConstant(512, 0.0f);
    session.process(512);
    session.requireSane(512, "with silent input");
    if (b >= 43) peak = std::max(peak, session.outputPeak(512));
  }
  if (settings.strictness >= 3 && !synth && peak > 1e-5) {
    fail("silence in gives " + std::to_string(20.0 * std::log10(peak)) + " dBFS out");
  }
  return pass("1 s of silence gives finite" + std::string(settings.strictness >= 3 && !synth ? ", silent" : "") +
              " output");
}

CheckOutcome checkDecayWithoutDenormals(const PluginLibrary& library, const ValidateSettings&, uint64_t seed) {
  Random random(seed);
  Session session(library);
  session.instance().resume();
  session.runNoise(random, 0.5, 512, "noise before the decay");
  long subnormals = 0;
  for (int b = 0; b < 4 * 86; ++b) {
    session.fillConstant(512, 0.0f);
    session.process(512);
    session.requireSane(512, "while decaying");
    if (b < 3 * 86) continue;
    for (size_t c = 0; c < session.outputs(); ++c) {
      for (int i = 0; i < 512; ++i) {
        if (std::fpclassify(session.output(c)[static_cast<size_t>(i)]) == FP_SUBNORMAL) ++subnormals;
      }
    }
  }
  if (subnormals > 0) fail(std::to_string(subnormals) + " denormal output samples 3 s after the input fell silent");
  return pass("no denormal output samples after 3 s of silence");
}

CheckOutcome checkFullScale(const PluginLibrary& library, const ValidateSettings&, uint64_t seed) {
  Random random(seed);
  Session session(library);
  session.instance().resume();
  for (int b = 0; b < 43; ++b) {
    for (int i = 0; i < 512; ++i) {
      const float value = ((b * 512 + i) / 22) % 2 == 0 ? 1.0f : -1.0f;  // 1 kHz square at 0 dBFS
      for (size_t c = 0; c < session.inputs(); ++c) session.input(c)[static_cast<size_t>(i)] = value;
    }
    session.process(512);
    session.requireSane(512, "with a full-scale square wave");
  }
  session.runNoise(random, 0.5, 512, "with full-scale noise", 1.0);
  return pass("a full-scale square wave and full-scale noise give finite output");
}

CheckOutcome checkDenormalInput(const PluginLibrary& library, const ValidateSettings&, uint64_t seed) {
  Random random(seed);
  Session session(library);
  session.instance().resume();
  const float tiny = std::numeric_limits<float>::denorm_min() * 1000.0f;
  for (int b = 0; b < 86; ++b) {
    for (int i = 0; i < 512; ++i) {
      const float value = random.uniform() < 0.5 ? tiny : -tiny;
      for (size_t c = 0; c < session.inputs(); ++c) session.input(c)[static_cast<size_t>(i)] = value;
    }
    session.process(512);
    session.requireSane(512, "with denormal input");
  }
  session.runNoise(random, 0.1, 512, "after denormal input");
  return pass("1 s of denormal input gives finite output");
}

CheckOutcome checkNanBurst(const PluginLibrary& library, const ValidateSettings& settings, uint64_t seed) {
  Random random(seed);
  Session session(library);
  session.instance().resume();
  session.runNoise(random, 0.1, 512, "before the burst");
  session.fillNoise(random, 512, 0.25);
  for (size_t c = 0; c < session.inputs(); ++c) {
    for (int i = 100; i < 164; ++i) {
      session.input(c)[static_cast<size_t>(i)] =
          i % 2 == 0 ? std::numeric_limits<float>::quiet_NaN() : std::numeric_limits<float>::infinity();
    }
  }
  session.process(512);
  // Surviving is the baseline; recovering is a quality a demanding host
  // asks for: first with the suspend/resume it would send, then unaided.
  if (settings.strictness < 6) {
    for (int b = 0; b < 20; ++b) {
      session.fillNoise(random, 512, 0.25);
      session.process(512);
    }
    return pass("64 frames of NaN and infinity survived (recovery is checked from strictness 6)");
  }
  if (settings.strictness < 8) {
    session.instance().suspend();
    session.instance().resume();
  } else {
    for (int b = 0; b < 86; ++b) {
      session.fillNoise(random, 512, 0.25);
      session.process(512);
    }
  }
  session.runNoise(random, 0.1, 512,
                   settings.strictness < 8 ? "after a NaN burst and suspend/resume" : "1 s after a NaN burst");
  return pass(settings.strictness < 8 ? "recovers after a NaN burst once suspended and resumed"
                                      : "recovers by itself within 1 s of a NaN burst");
}

}  // namespace sorvane::host::validation
