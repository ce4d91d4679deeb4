// Audio files where the build has no libsndfile: WAV through the built-in codec.
#include "tools/sorvane-host/audio.h"

namespace sorvane::host {

namespace {

bool isWavPath(const std::string& path) {
  if (path.size() < 4) return false;
  std::string suffix = path.substr(path.size() - 4);
  for (char& c : suffix) c = static_cast<char>(c | 0x20);
  return suffix == ".wav";
}

}  // namespace

bool readAudioFile(const std::string& path, AudioBuffer& audio, std::string& error) {
  return readWavFile(path, audio, error);
}

bool audioFormatKnown(const std::string& path, std::string& error) {
  if (isWavPath(path)) return true;
  error = "cannot write '" + path + "': this build writes WAV files only (.wav)";
  return false;
}

bool writeAudioFile(const std::string& path, const AudioBuffer& audio, std::string& error) {
  if (!audioFormatKnown(path, error)) return false;
  return writeWavFile(path, audio, error);
}

}  // namespace sorvane::host
