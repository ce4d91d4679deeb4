#include "tools/sorvane-host/response.h"

#include <cmath>
#include <complex>
#include <numbers>

#include "tools/sorvane-host/processing.h"

namespace sorvane::host {

std::vector<double> logFrequencies(double low, double high, int count) {
  std::vector<double> frequencies;
  if (count < 2) return {low};
  const double ratio = std::log(high / low);
  for (int i = 0; i < count; ++i) {
    frequencies.push_back(low * std::exp(ratio * i / (count - 1)));
  }
  return frequencies;
}

void responseFromImpulse(const std::vector<double>& impulse, double sampleRate, double delaySamples,
                         ResponseCurve& curve) {
  curve.magnitudeDb.clear();
  curve.phaseDegrees.clear();
  for (double frequency : curve.frequencies) {
    const double omega = 2.0 * std::numbers::pi * frequency / sampleRate;
    // Horner's scheme in z^-1 on the unit circle: one rotation per sample.
    const std::complex<double> rotation = std::polar(1.0, -omega);
    std::complex<double> sum = 0.0;
    for (size_t n = impulse.size(); n-- > 0;) sum = sum * rotation + impulse[n];
    sum *= std::polar(1.0, omega * delaySamples);
    const double magnitude = std::abs(sum);
    // A NaN stays a NaN, so callers can tell a broken plug-in from a deep notch.
    curve.magnitudeDb.push_back(!std::isfinite(magnitude) ? magnitude
                                : magnitude > 0.0         ? 20.0 * std::log10(magnitude)
                                                          : -300.0);
    double phase = std::arg(sum) * 180.0 / std::numbers::pi;
    if (phase <= -180.0) phase += 360.0;
    curve.phaseDegrees.push_back(phase);
  }
}

int impulseLength(double sampleRate) {
  int length = 1;
  while (length < 1.3 * sampleRate) length *= 2;
  return length;
}

ResponseCurve measureResponse(PluginInstance& instance, double sampleRate, int blockSize,
                              const std::vector<double>& frequencies, const std::string& label) {
  constexpr float kImpulseHeight = 0.5f;
  BlockProcessor processor(instance, blockSize);
  const auto warmUp = static_cast<size_t>(sampleRate);
  const auto length = static_cast<size_t>(impulseLength(sampleRate));
  std::vector<float> left(warmUp + length, 0.0f), right(warmUp + length, 0.0f);
  std::vector<float> outLeft(left.size()), outRight(left.size());
  left[warmUp] = kImpulseHeight;
  right[warmUp] = kImpulseHeight;
  // Block boundaries stay aligned with the warm-up: the host's blocks are
  // what they are in a real session, the impulse just falls inside one.
  processor.process(left.data(), right.data(), outLeft.data(), outRight.data(), static_cast<int>(left.size()), false);
  std::vector<double> impulse(length);
  for (size_t i = 0; i < length; ++i) impulse[i] = outLeft[warmUp + i] / kImpulseHeight;
  ResponseCurve curve;
  curve.label = label;
  curve.frequencies = frequencies;
  responseFromImpulse(impulse, sampleRate, instance.effect()->initialDelay, curve);
  return curve;
}

}  // namespace sorvane::host
