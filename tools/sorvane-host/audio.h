// Stereo audio in memory, the demo signal and level measurements.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace sorvane::host {

// Planar stereo, 32-bit float, as plug-ins exchange it with hosts.
struct AudioBuffer {
  double sampleRate = 44100.0;
  std::vector<float> left;
  std::vector<float> right;

  size_t frames() const { return left.size(); }
  void resize(size_t frames) {
    left.assign(frames, 0.0f);
    right.assign(frames, 0.0f);
  }
};

// About nine seconds of music-like material that exercises every band: drum
// transients, a bass line, a chord, noise and a full-range sine sweep. The
// same rate always gives the same samples. Peaks at -6 dBFS, leaving room
// for boosts.
AudioBuffer makeDemoSignal(double sampleRate);

// RMS over both channels in dBFS (-inf for silence).
double rmsDb(const AudioBuffer& audio);
// Largest absolute sample of either channel in dBFS.
double peakDb(const AudioBuffer& audio);
// True when every sample is finite.
bool allFinite(const AudioBuffer& audio);

// Audio files: libsndfile where the build has it (any format it reads; the
// output format follows the extension), else a built-in WAV codec. Mono
// input feeds both channels. On failure false and a one-line reason.
bool readAudioFile(const std::string& path, AudioBuffer& audio, std::string& error);
bool writeAudioFile(const std::string& path, const AudioBuffer& audio, std::string& error);
// Whether writeAudioFile knows the format of path's extension; checked
// before a long render rather than after it.
bool audioFormatKnown(const std::string& path, std::string& error);

// The built-in WAV codec (RIFF; PCM 16/24/32-bit or IEEE float 32/64-bit in,
// float 32-bit out). Always available, so both builds can read and write WAV.
bool readWavFile(const std::string& path, AudioBuffer& audio, std::string& error);
bool writeWavFile(const std::string& path, const AudioBuffer& audio, std::string& error);

}  // namespace sorvane::host
