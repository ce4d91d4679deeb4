// Audio files through libsndfile: every format it reads; the output format
// follows the file name's extension.
#include <sndfile.h>

#include <algorithm>
#include <cctype>

#include "tools/sorvane-host/audio.h"

namespace sorvane::host {

namespace {

std::string lowerExtension(const std::string& path) {
  const auto dot = path.find_last_of('.');
  const auto slash = path.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string extension = path.substr(dot + 1);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension;
}

// Float where the container allows it, so boosts above full scale survive.
int formatForExtension(const std::string& extension) {
  if (extension == "wav") return SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  if (extension == "aif" || extension == "aiff") return SF_FORMAT_AIFF | SF_FORMAT_FLOAT;
  if (extension == "flac") return SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
  if (extension == "ogg") return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
  if (extension == "au") return SF_FORMAT_AU | SF_FORMAT_FLOAT;
  if (extension == "caf") return SF_FORMAT_CAF | SF_FORMAT_FLOAT;
  if (extension == "w64") return SF_FORMAT_W64 | SF_FORMAT_FLOAT;
  return 0;
}

}  // namespace

bool readAudioFile(const std::string& path, AudioBuffer& audio, std::string& error) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) {
    error = "cannot read '" + path + "': " + sf_strerror(nullptr);
    return false;
  }
  if (info.channels < 1 || info.samplerate <= 0) {
    sf_close(file);
    error = "cannot read '" + path + "': no audio channels";
    return false;
  }
  const auto channels = static_cast<size_t>(info.channels);
  std::vector<float> interleaved(static_cast<size_t>(info.frames) * channels);
  const sf_count_t got = sf_readf_float(file, interleaved.data(), info.frames);
  sf_close(file);
  const auto frames = static_cast<size_t>(std::max<sf_count_t>(got, 0));
  audio.sampleRate = info.samplerate;
  audio.resize(frames);
  for (size_t i = 0; i < frames; ++i) {
    audio.left[i] = interleaved[i * channels];
    audio.right[i] = interleaved[i * channels + (channels > 1 ? 1 : 0)];
  }
  error.clear();
  return true;
}

bool audioFormatKnown(const std::string& path, std::string& error) {
  if (formatForExtension(lowerExtension(path)) != 0) return true;
  error = "cannot write '" + path + "': unknown extension (use .wav, .flac, .aiff, .ogg, .au, .caf or .w64)";
  return false;
}

bool writeAudioFile(const std::string& path, const AudioBuffer& audio, std::string& error) {
  if (!audioFormatKnown(path, error)) return false;
  const int format = formatForExtension(lowerExtension(path));
  SF_INFO info{};
  info.samplerate = static_cast<int>(audio.sampleRate);
  info.channels = 2;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) {
    error = "cannot write '" + path + "': " + sf_strerror(nullptr);
    return false;
  }
  std::vector<float> interleaved(audio.frames() * 2);
  for (size_t i = 0; i < audio.frames(); ++i) {
    interleaved[2 * i] = audio.left[i];
    interleaved[2 * i + 1] = audio.right[i];
  }
  const auto frames = static_cast<sf_count_t>(audio.frames());
  const sf_count_t written = sf_writef_float(file, interleaved.data(), frames);
  const int closed = sf_close(file);
  if (written != frames || closed != 0) {
    error = "cannot write '" + path + "': the disk refused the data";
    return false;
  }
  error.clear();
  return true;
}

}  // namespace sorvane::host
