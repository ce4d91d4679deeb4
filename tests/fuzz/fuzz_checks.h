// What a hostile host or file may do to the products, as one check per kind
// of input. The fuzz targets call these with generated inputs; the corpus
// test replays every stored input through the same functions, so a finding
// stays a test after the fuzzer is gone.
//
// Each check returns the first broken invariant as text, empty when all
// held. Crashes, out-of-bounds access and undefined behaviour are left to the
// sanitizers the program is built with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace sorvane::fuzz {

using Check = std::string (*)(const uint8_t* data, size_t size);

// Input formats:
//   bank_chunk     the bank chunk a host hands back, restored into both products
//   program_chunk  a program chunk, restored into the first and last program
//   preset_file    a preset file's bytes, loaded by both products in both byte orders
//   bank_file      a bank file's bytes, loaded with side A and with side B current
//   dispatcher     a script of host calls (dispatcher_script.h)
//   lv2_state      a state an LV2 host restores (a first byte for how the
//                  host answers, then the value under the bank key); only
//                  where the LV2 plug-ins are built
std::string checkBankChunk(const uint8_t* data, size_t size);
std::string checkProgramChunk(const uint8_t* data, size_t size);
std::string checkPresetFile(const uint8_t* data, size_t size);
std::string checkBankFile(const uint8_t* data, size_t size);
std::string checkDispatcher(const uint8_t* data, size_t size);
std::string checkLv2State(const uint8_t* data, size_t size);

struct Target {
  const char* name;  // also the name of its corpus folder
  Check check;
};

std::span<const Target> targets();
const Target* findTarget(std::string_view name);

}  // namespace sorvane::fuzz
