#include "tools/sorvane-host/audio.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

namespace sorvane::host {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Deterministic noise, independent of the standard library's engines.
class NoiseSource {
 public:
  explicit NoiseSource(uint64_t seed) : state_(seed) {}
  double next() {  // uniform in [-1, 1)
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<double>(state_ >> 11) * (2.0 / 9007199254740992.0) - 1.0;
  }

 private:
  uint64_t state_;
};

double noteFrequency(int midiNote) { return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0); }

void add(std::vector<double>& channel, size_t at, double value) {
  if (at < channel.size()) channel[at] += value;
}

}  // namespace

AudioBuffer makeDemoSignal(double sampleRate) {
  const double beat = 0.5;  // 120 BPM
  const double length = 9.0;
  const auto frames = static_cast<size_t>(length * sampleRate);
  std::vector<double> left(frames, 0.0);
  std::vector<double> right(frames, 0.0);
  NoiseSource noise(0x5017a7e5ULL);

  // Drums for the first six seconds: kick on every beat, snare on 2 and 4,
  // closed hi-hat on the off-beats; the transients the crossfade must not smear.
  for (int step = 0; step < 24; ++step) {
    const auto start = static_cast<size_t>(step * beat / 2.0 * sampleRate);
    const bool onBeat = step % 2 == 0;
    if (onBeat) {
      double phase = 0.0;
      for (size_t i = 0; i < static_cast<size_t>(0.35 * sampleRate); ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        phase += kTwoPi * (45.0 + 110.0 * std::exp(-t * 30.0)) / sampleRate;
        const double value = 0.9 * std::sin(phase) * std::exp(-t * 9.0);
        add(left, start + i, value);
        add(right, start + i, value);
      }
    }
    if (onBeat && (step / 2) % 2 == 1) {
      for (size_t i = 0; i < static_cast<size_t>(0.2 * sampleRate); ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        const double body = 0.3 * std::sin(kTwoPi * 190.0 * t) * std::exp(-t * 25.0);
        const double rattle = 0.35 * noise.next() * std::exp(-t * 18.0);
        add(left, start + i, body + rattle);
        add(right, start + i, body + rattle * 0.9);
      }
    }
    if (!onBeat) {
      double previous = 0.0;
      for (size_t i = 0; i < static_cast<size_t>(0.05 * sampleRate); ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        const double white = noise.next();
        const double high = white - previous;  // first difference: bright
        previous = white;
        const double value = 0.12 * high * std::exp(-t * 80.0);
        add(left, start + i, value * 0.7);
        add(right, start + i, value);
      }
    }
  }

  // Bass line in eighth notes, A minor, over the first seven seconds.
  const int bassNotes[] = {33, 33, 45, 33, 36, 36, 40, 43, 41, 41, 45, 41, 40, 40, 43, 44};
  for (int step = 0; step < 28; ++step) {
    const double frequency = noteFrequency(bassNotes[step % 16]);
    const auto start = static_cast<size_t>(step * beat / 2.0 * sampleRate);
    const auto noteLength = static_cast<size_t>(beat / 2.0 * 0.9 * sampleRate);
    for (size_t i = 0; i < noteLength; ++i) {
      const double t = static_cast<double>(i) / sampleRate;
      const double envelope = std::min(1.0, t * 200.0) * std::exp(-t * 3.0);
      const double tone = std::sin(kTwoPi * frequency * t) + 0.3 * std::sin(kTwoPi * 2.0 * frequency * t) +
                          0.1 * std::sin(kTwoPi * 3.0 * frequency * t);
      add(left, start + i, 0.25 * envelope * tone);
      add(right, start + i, 0.25 * envelope * tone);
    }
  }

  // A sustained chord (A minor 9) from 2 to 6 s: bright harmonics for the
  // shelves and mid bands, spread a little across the stereo field.
  const int chord[] = {57, 60, 64, 67, 71};
  const auto chordStart = static_cast<size_t>(2.0 * sampleRate);
  const auto chordLength = static_cast<size_t>(4.0 * sampleRate);
  for (size_t n = 0; n < std::size(chord); ++n) {
    const double frequency = noteFrequency(chord[n]);
    const double pan = 0.3 + 0.1 * static_cast<double>(n);
    for (size_t i = 0; i < chordLength; ++i) {
      const double t = static_cast<double>(i) / sampleRate;
      const double envelope = std::min(1.0, t * 4.0) * std::min(1.0, (4.0 - t) * 4.0);
      double tone = 0.0;
      for (int harmonic = 1; harmonic <= 8; ++harmonic) {
        tone += std::sin(kTwoPi * frequency * harmonic * t * (1.0 + 0.0005 * n)) / harmonic;
      }
      add(left, chordStart + i, 0.04 * envelope * tone * (1.0 - pan));
      add(right, chordStart + i, 0.04 * envelope * tone * pan);
    }
  }

  // Pink-ish noise from 6 to 7 s (three one-pole stages over white noise).
  double b0 = 0.0, b1 = 0.0, b2 = 0.0;
  for (size_t i = static_cast<size_t>(6.0 * sampleRate); i < static_cast<size_t>(7.0 * sampleRate); ++i) {
    const double white = noise.next();
    b0 = 0.99765 * b0 + white * 0.0990460;
    b1 = 0.96300 * b1 + white * 0.2965164;
    b2 = 0.57000 * b2 + white * 1.0526913;
    const double pink = (b0 + b1 + b2 + white * 0.1848) * 0.05;
    add(left, i, pink);
    add(right, i, pink * 0.95 + 0.05 * noise.next() * 0.05);
  }

  // Logarithmic sine sweep, 20 Hz to 20 kHz (or just below Nyquist), 7 to 9 s.
  const double sweepStart = 7.0;
  const double sweepLength = 1.9;
  const double f0 = 20.0;
  const double f1 = std::min(20000.0, 0.45 * sampleRate);
  const double k = std::log(f1 / f0);
  for (size_t i = 0; i < static_cast<size_t>(sweepLength * sampleRate); ++i) {
    const double t = static_cast<double>(i) / sampleRate;
    const double phase = kTwoPi * f0 * sweepLength / k * (std::exp(t / sweepLength * k) - 1.0);
    const double fade = std::min(1.0, std::min(t, sweepLength - t) * 50.0);
    const double value = 0.25 * fade * std::sin(phase);
    const auto at = static_cast<size_t>(sweepStart * sampleRate) + i;
    add(left, at, value);
    add(right, at, value);
  }

  double peak = 0.0;
  for (size_t i = 0; i < frames; ++i) peak = std::max({peak, std::abs(left[i]), std::abs(right[i])});
  const double scale = peak > 0.0 ? std::pow(10.0, -6.0 / 20.0) / peak : 1.0;
  AudioBuffer audio;
  audio.sampleRate = sampleRate;
  audio.resize(frames);
  for (size_t i = 0; i < frames; ++i) {
    audio.left[i] = static_cast<float>(left[i] * scale);
    audio.right[i] = static_cast<float>(right[i] * scale);
  }
  return audio;
}

double rmsDb(const AudioBuffer& audio) {
  double sum = 0.0;
  for (size_t i = 0; i < audio.frames(); ++i) {
    sum += static_cast<double>(audio.left[i]) * audio.left[i] + static_cast<double>(audio.right[i]) * audio.right[i];
  }
  if (audio.frames() == 0 || sum <= 0.0) return -std::numeric_limits<double>::infinity();
  return 10.0 * std::log10(sum / (2.0 * static_cast<double>(audio.frames())));
}

double peakDb(const AudioBuffer& audio) {
  double peak = 0.0;
  for (size_t i = 0; i < audio.frames(); ++i) {
    peak =
        std::max({peak, std::abs(static_cast<double>(audio.left[i])), std::abs(static_cast<double>(audio.right[i]))});
  }
  return peak > 0.0 ? 20.0 * std::log10(peak) : -std::numeric_limits<double>::infinity();
}

bool allFinite(const AudioBuffer& audio) {
  for (size_t i = 0; i < audio.frames(); ++i) {
    if (!std::isfinite(audio.left[i]) || !std::isfinite(audio.right[i])) return false;
  }
  return true;
}

}  // namespace sorvane::host
