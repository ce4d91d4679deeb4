// Blocks as hosts hand them over: empty, odd, larger than announced, split
// anyhow, in place, in both precisions.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "tools/sorvane-host/validate_checks.h"
#include "tools/sorvane-host/validate_session.h"

namespace sorvane::host::validation {

CheckOutcome checkBlockSizeZero(const PluginLibrary& library, const ValidateSettings& settings, uint64_t seed) {
  Random random(seed);
  Session session(library);
  session.instance().resume();
  session.runNoise(random, 0.01, 256, "before the empty block");
  constexpr float kCanary = 12345.0f;
  for (size_t c = 0; c < session.outputs(); ++c) std::fill_n(session.output(c).begin(), 16, kCanary);
  session.process(0);
  if (settings.strictness >= 3) {
    for (size_t c = 0; c < session.outputs(); ++c) {
      for (int i = 0; i < 16; ++i) {
        if (session.output(c)[static_cast<size_t>(i)] != kCanary) fail("a block of 0 frames wrote into the output");
      }
    }
  }
  if (session.instance().canProcessDouble()) session.processDouble(0);
  session.runNoise(random, 0.01, 256, "after the empty block");
  return pass("no output written, processing goes on");
}

CheckOutcome checkOddBlockSizes(const PluginLibrary& library, const ValidateSettings& settings, uint64_t seed) {
  Random random(seed);
  Session session(library, 44100.0, 1024);
  session.instance().resume();
  for (int i = 0; i < 64; ++i) session.runNoise(random, 1.0 / 44100.0, 1, "in blocks of 1 frame");
  for (int size : {3, 7, 13, 31, 127, 255, 333, 511, 1023}) {
    session.fillNoise(random, size, 0.25);
    session.process(size);
    session.requireSane(size, "in a block of " + std::to_string(size) + " frames");
  }
  for (int i = 0; i < 10 * settings.strictness; ++i) {
    const int size = 1 + 2 * random.below(512);
    session.fillNoise(random, size, 0.25);
    session.process(size);
    session.requireSane(size, "in a block of " + std::to_string(size) + " frames");
  }
  return pass("1 frame, 9 odd sizes and " + std::to_string(10 * settings.strictness) + " random odd sizes");
}

CheckOutcome checkOversizedBlocks(const PluginLibrary& library, const ValidateSettings& settings, uint64_t seed) {
  Random random(seed);
  Session session(library, 44100.0, 64);
  session.instance().resume();
  std::vector<int> sizes = {65, 512, 4096};
  if (settings.strictness >= 5) sizes.push_back(kLargestBlock);
  for (int size : sizes) {
    session.fillNoise(random, size, 0.25);
    session.process(size);
    session.requireSane(size, "a block of " + std::to_string(size) + " frames after announcing 64");
  }
  return pass("announced 64, processed up to " + std::to_string(sizes.back()) + " frames");
}

CheckOutcome checkBlockInvariance(const PluginLibrary& library, const ValidateSettings&, uint64_t seed) {
  Random signal(seed), splits(seed + 1);
  const int total = 44100;
  std::vector<float> left(total), right(total);
  for (int i = 0; i < total; ++i) {
    left[static_cast<size_t>(i)] = static_cast<float>(signal.uniform() * 0.5 - 0.25);
    right[static_cast<size_t>(i)] = static_cast<float>(signal.uniform() * 0.5 - 0.25);
  }
  auto render = [&](bool randomSplits) {
    Session session(library, 44100.0, 2048);
    session.instance().resume();
    std::vector<float> result;
    for (int done = 0; done < total;) {
      const int size = std::min(total - done, randomSplits ? 1 + splits.below(1100) : 512);
      for (size_t c = 0; c < session.inputs(); ++c) {
        const auto& source = c % 2 == 0 ? left : right;
        std::copy_n(source.begin() + done, size, session.input(c).begin());
      }
      session.process(size);
      if (session.outputs() > 0)
        result.insert(result.end(), session.output(0).begin(), session.output(0).begin() + size);
      done += size;
    }
    return result;
  };
  const auto whole = render(false);
  const auto split = render(true);
  double difference = 0.0;
  size_t at = 0;
  for (size_t i = 0; i < whole.size() && i < split.size(); ++i) {
    const double d = std::abs(static_cast<double>(whole[i]) - split[i]);
    if (!(d <= difference)) {
      difference = d;
      at = i;
    }
  }
  if (!(difference <= 1e-5)) {
    fail("blocks of 512 and random splits differ by " + std::to_string(difference) + " at frame " + std::to_string(at));
  }
  return pass("1 s in blocks of 512 equals the same in random splits (difference " + std::to_string(difference) + ")");
}

CheckOutcome checkSeparateBuffers(const PluginLibrary& library, const ValidateSettings&, uint64_t seed) {
  Random random(seed);
  Session session(library);
  session.instance().resume();
  for (int b = 0; b < 20; ++b) {
    session.fillNoise(random, 512, 0.25);
    std::vector<std::vector<float>> before;
    for (size_t c = 0; c < session.inputs(); ++c) before.push_back(session.input(c));
    session.process(512);
    for (size_t c = 0; c < session.inputs(); ++c) {
      if (session.input(c) != before[c]) fail("processReplacing changed input channel " + std::to_string(c));
    }
    if (session.instance().canProcessDouble()) {
      for (size_t c = 0; c < session.inputs(); ++c) {
        std::copy_n(session.input(c).begin(), 512, session.inputDouble(c).begin());
      }
      std::vector<std::vector<double>> beforeDouble;
      for (size_t c = 0; c < session.inputs(); ++c) beforeDouble.push_back(session.inputDouble(c));
      session.processDouble(512);
      for (size_t c = 0; c < session.inputs(); ++c) {
        if (session.inputDouble(c) != beforeDouble[c]) {
          fail("processDoubleReplacing changed input channel " + std::to_string(c));
        }
      }
    }
  }
  return pass("inputs unchanged after 20 blocks");
}

CheckOutcome checkInPlace(const PluginLibrary& library, const ValidateSettings& settings, uint64_t seed) {
  Random random(seed);
  Session separate(library), inPlace(library);
  separate.instance().resume();
  inPlace.instance().resume();
  if (separate.inputs() != separate.outputs()) return skip("inputs and outputs differ in number");
  double difference = 0.0;
  for (int b = 0; b < 40; ++b) {
    Random blockSignal(seed + static_cast<uint64_t>(b));
    separate.fillNoise(blockSignal, 512, 0.25);
    for (size_t c = 0; c < separate.inputs(); ++c) inPlace.input(c) = separate.input(c);
    separate.process(512);
    inPlace.processInPlace(512);
    for (size_t c = 0; c < separate.outputs(); ++c) {
      for (size_t i = 0; i < 512; ++i) {
        const double d = std::abs(static_cast<double>(separate.output(c)[i]) - inPlace.input(c)[i]);
        if (!(d <= difference)) difference = d;
      }
    }
  }
  const double allowed = settings.strictness >= 6 ? 0.0 : 1e-6;
  if (!(difference <= allowed)) {
    fail("in-place output differs from separate-buffer output by " + std::to_string(difference));
  }
  return pass("in-place output equals separate-buffer output" + std::string(allowed == 0.0 ? " bit for bit" : ""));
}

CheckOutcome checkDoublePrecision(const PluginLibrary& library, const ValidateSettings&, uint64_t seed) {
  Random random(seed);
  Session single(library), twice(library);
  if (!single.instance().canProcessDouble()) return skip("the plug-in does not process in double precision");
  single.instance().resume();
  twice.instance().resume();
  double difference = 0.0, peak = 0.0;
  for (int b = 0; b < 40; ++b) {
    single.fillNoise(random, 512, 0.25);
    for (size_t c = 0; c < single.inputs(); ++c) {
      std::copy_n(single.input(c).begin(), 512, twice.inputDouble(c).begin());
    }
    single.process(512);
    twice.processDouble(512);
    single.requireSane(512, "in single precision");
    for (size_t c = 0; c < single.outputs(); ++c) {
      for (size_t i = 0; i < 512; ++i) {
        const double value = twice.outputDouble(c)[i];
        if (!std::isfinite(value)) fail("processDoubleReplacing gives NaN or infinity");
        peak = std::max(peak, std::abs(value));
        difference = std::max(difference, std::abs(value - single.output(c)[i]));
      }
    }
  }
  if (difference > 1e-4 * std::max(peak, 1e-3)) {
    fail("double and single precision differ by " + std::to_string(difference) + " (peak " + std::to_string(peak) +
         ")");
  }
  return pass("agrees with single precision within " + std::to_string(difference));
}

}  // namespace sorvane::host::validation
