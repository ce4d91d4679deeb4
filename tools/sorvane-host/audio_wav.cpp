#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

#include "tools/sorvane-host/audio.h"

namespace sorvane::host {

namespace {

uint32_t read32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
uint16_t read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

void put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;

double decodeSample(const uint8_t* p, uint16_t format, uint16_t bits) {
  if (format == kFormatFloat) {
    if (bits == 32) {
      uint32_t raw = read32(p);
      float value;
      std::memcpy(&value, &raw, 4);
      return value;
    }
    uint64_t raw = read32(p) | (static_cast<uint64_t>(read32(p + 4)) << 32);
    double value;
    std::memcpy(&value, &raw, 8);
    return value;
  }
  switch (bits) {
    case 8:
      return (static_cast<int>(p[0]) - 128) / 128.0;
    case 16:
      return static_cast<int16_t>(read16(p)) / 32768.0;
    case 24: {
      int32_t v = static_cast<int32_t>((p[0] << 8) | (p[1] << 16) | (static_cast<uint32_t>(p[2]) << 24)) >> 8;
      return v / 8388608.0;
    }
    default:
      return static_cast<int32_t>(read32(p)) / 2147483648.0;
  }
}

}  // namespace

bool readWavFile(const std::string& path, AudioBuffer& audio, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot open '" + path + "' for reading";
    return false;
  }
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
    error = "'" + path + "' is not a WAV file";
    return false;
  }
  uint16_t format = 0, channels = 0, bits = 0;
  uint32_t rate = 0;
  const uint8_t* data = nullptr;
  size_t dataSize = 0;
  size_t at = 12;
  while (at + 8 <= bytes.size()) {
    const uint8_t* chunk = bytes.data() + at;
    const size_t size = read32(chunk + 4);
    const size_t available = std::min(size, bytes.size() - at - 8);
    if (std::memcmp(chunk, "fmt ", 4) == 0 && available >= 16) {
      format = read16(chunk + 8);
      channels = read16(chunk + 10);
      rate = read32(chunk + 12);
      bits = read16(chunk + 22);
      if (format == kFormatExtensible && available >= 26) format = read16(chunk + 32);
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      data = chunk + 8;
      dataSize = available;  // a truncated file keeps what it has
    }
    at += 8 + size + (size & 1);
  }
  const bool supported = (format == kFormatPcm && (bits == 8 || bits == 16 || bits == 24 || bits == 32)) ||
                         (format == kFormatFloat && (bits == 32 || bits == 64));
  if (data == nullptr || channels == 0 || rate == 0 || !supported) {
    error = "'" + path + "' has no readable audio (PCM 8/16/24/32-bit or float 32/64-bit WAV expected)";
    return false;
  }
  const size_t frameBytes = static_cast<size_t>(channels) * (bits / 8);
  const size_t frames = dataSize / frameBytes;
  audio.sampleRate = rate;
  audio.resize(frames);
  for (size_t i = 0; i < frames; ++i) {
    const uint8_t* frame = data + i * frameBytes;
    audio.left[i] = static_cast<float>(decodeSample(frame, format, bits));
    audio.right[i] = channels > 1 ? static_cast<float>(decodeSample(frame + bits / 8, format, bits)) : audio.left[i];
  }
  error.clear();
  return true;
}

bool writeWavFile(const std::string& path, const AudioBuffer& audio, std::string& error) {
  const auto frames = static_cast<uint32_t>(audio.frames());
  const uint32_t dataSize = frames * 2 * 4;
  std::vector<uint8_t> out;
  out.reserve(44 + dataSize);
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  put32(out, 36 + dataSize);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  put32(out, 16);
  put16(out, kFormatFloat);
  put16(out, 2);
  put32(out, static_cast<uint32_t>(audio.sampleRate));
  put32(out, static_cast<uint32_t>(audio.sampleRate) * 8);
  put16(out, 8);
  put16(out, 32);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  put32(out, dataSize);
  for (uint32_t i = 0; i < frames; ++i) {
    for (float sample : {audio.left[i], audio.right[i]}) {
      uint32_t raw;
      std::memcpy(&raw, &sample, 4);
      put32(out, raw);
    }
  }
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) {
    error = "cannot open '" + path + "' for writing";
    return false;
  }
  file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  if (!file.flush()) {
    error = "cannot write '" + path + "'";
    return false;
  }
  error.clear();
  return true;
}

}  // namespace sorvane::host
