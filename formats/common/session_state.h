// What a session keeps of the effect in the formats whose state is one blob
// (LV2, VST3, CLAP): the bank chunk of effGetChunk, byte for byte, then
// which program is current. A VST 2.4 host keeps that apart (effGetProgram
// / effSetProgram) and the bank's fixed layout has no room for it; without
// it a session would reopen on program 0, playing another sound than the
// one saved.
//
// Layout: the bank, then "SvPg" and the program number as 4 little-endian
// bytes. A bare bank (a VST session's chunk, a bank taken from another
// format) restores too and leaves the current program as it is. Any other
// blob goes to the chunk loader whole, which refuses every size but the
// bank's, so a refused state changes nothing.
//
// Main thread only, as effGetChunk and effSetChunk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "formats/vst2/aeffect.h"

namespace sorvane::formats {

inline constexpr char kProgramTag[4] = {'S', 'v', 'P', 'g'};
inline constexpr std::size_t kProgramTrailerSize = 8;

// The session blob, or empty when the effect gives no bank.
inline std::vector<std::uint8_t> saveSession(AEffect& effect) {
  void* chunk = nullptr;
  const VstIntPtr size = effect.dispatcher(&effect, effGetChunk, 0, 0, &chunk, 0.0f);
  if (!chunk || size <= 0) return {};
  const auto* bank = static_cast<const std::uint8_t*>(chunk);
  std::vector<std::uint8_t> blob(bank, bank + size);
  const auto program = static_cast<std::uint32_t>(effect.dispatcher(&effect, effGetProgram, 0, 0, nullptr, 0.0f));
  blob.insert(blob.end(), kProgramTag, kProgramTag + 4);
  for (int shift = 0; shift < 32; shift += 8) blob.push_back(static_cast<std::uint8_t>(program >> shift));
  return blob;
}

// True when the effect took the blob; nothing changed otherwise.
inline bool restoreSession(AEffect& effect, const std::uint8_t* data, std::size_t size) {
  if (!data || size == 0 || size > 0x7fffffff) return false;
  // The trailer is looked for only behind a blob of the bank's own size.
  void* own = nullptr;
  const VstIntPtr ownSize = effect.dispatcher(&effect, effGetChunk, 0, 0, &own, 0.0f);
  std::size_t bankSize = size;
  int program = -1;
  if (ownSize > 0 && size == static_cast<std::size_t>(ownSize) + kProgramTrailerSize &&
      std::memcmp(data + ownSize, kProgramTag, 4) == 0) {
    const std::uint8_t* number = data + ownSize + 4;
    const std::uint32_t value = static_cast<std::uint32_t>(number[0]) | static_cast<std::uint32_t>(number[1]) << 8 |
                                static_cast<std::uint32_t>(number[2]) << 16 |
                                static_cast<std::uint32_t>(number[3]) << 24;
    // A program that does not exist makes the whole state suspect.
    if (value >= static_cast<std::uint32_t>(effect.numPrograms)) return false;
    program = static_cast<int>(value);
    bankSize = static_cast<std::size_t>(ownSize);
  }
  // The chunk loader takes its own copy and checks the bank before anything changes.
  if (!effect.dispatcher(&effect, effSetChunk, 0, static_cast<VstIntPtr>(bankSize), const_cast<std::uint8_t*>(data),
                         0.0f))
    return false;
  if (program >= 0) effect.dispatcher(&effect, effSetProgram, 0, program, nullptr, 0.0f);
  return true;
}

}  // namespace sorvane::formats
