// Seeded, time-bounded random damage to chunks and files. Whatever arrives,
// the store stays safe to use and the audio stays finite.
#include <chrono>
#include <limits>
#include <random>

#include "preset_fixture.h"

namespace sorvane::testing {
namespace {

template <class Case>
class RandomInput : public PresetFixture<Case> {};
TYPED_TEST_SUITE(RandomInput, ProductCases);

// Overwrites a few bytes, floats or the side selector with values chosen to
// hurt: extremes, NaN, infinities, missing terminators.
void damage(Bytes& bytes, std::mt19937& random) {
  if (bytes.empty()) return;
  static const float kFloats[] = {std::numeric_limits<float>::quiet_NaN(),
                                  std::numeric_limits<float>::infinity(),
                                  -std::numeric_limits<float>::infinity(),
                                  1e38f,
                                  -1.0f,
                                  2.0f,
                                  1e-45f};
  std::uniform_int_distribution<size_t> position(0, bytes.size() - 1);
  const int edits = 1 + static_cast<int>(random() % 24);
  for (int e = 0; e < edits; ++e) {
    const size_t at = position(random);
    switch (random() % 4) {
      case 0:
        bytes[at] = static_cast<unsigned char>(random());
        break;
      case 1:
        bytes[at] = random() % 2 ? 0xFF : 'A';
        break;
      case 2:
        if (at + 4 <= bytes.size()) std::memcpy(&bytes[at], &kFloats[random() % std::size(kFloats)], 4);
        break;
      default:
        std::fill(bytes.begin() + at, bytes.begin() + std::min(bytes.size(), at + 1 + random() % 300), 'x');
        break;
    }
  }
}

TYPED_TEST(RandomInput, DamagedChunksAndFilesLeaveTheStoreSafe) {
  auto& effect = *this->effect;
  std::mt19937 random(20240611u + static_cast<unsigned>(TypeParam::kRecordSize));

  Bytes validBank;
  {
    void* data = nullptr;
    const VstInt32 size = effect.getChunk(&data, false);
    validBank.assign(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
  }
  ASSERT_TRUE(this->files->savePreset(this->path("Seed.p").c_str()));
  ASSERT_TRUE(this->files->saveBank(this->path("Seed.b").c_str()));
  const Bytes validPreset = readFile(this->path("Seed.p"));
  const Bytes validBankFile = readFile(this->path("Seed.b"));
  const std::string file = this->path("Damaged");

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
  int rounds = 0;
  while (rounds < 40 || (std::chrono::steady_clock::now() < deadline && rounds < 20000)) {
    ++rounds;
    const unsigned kind = random() % 5;
    Bytes bytes;
    switch (kind) {
      case 0:  // bank chunk, version kept so it is taken
        bytes = validBank;
        damage(bytes, random);
        bytes[6] = 1;
        bytes[7] = 0;
        effect.setChunk(bytes.data(), static_cast<VstInt32>(bytes.size()), false);
        break;
      case 1: {  // program chunk, sometimes of a wrong size
        bytes.assign(validBank.begin() + 8, validBank.begin() + 8 + TypeParam::kSlotSize);
        damage(bytes, random);
        if (random() % 2) {
          bytes[0] = 1;
          bytes[1] = 0;
        }
        if (random() % 8 == 0) bytes.resize(random() % (bytes.size() * 2));
        effect.setChunk(bytes.data(), static_cast<VstInt32>(bytes.size()), true);
        break;
      }
      case 2:  // preset file, sometimes cut short
      case 3:  // bank file
        bytes = kind == 2 ? validPreset : validBankFile;
        damage(bytes, random);
        if (random() % 6 == 0) bytes.resize(random() % bytes.size());
        writeFile(file, bytes);
        EndianSwap::swapBytes = random() % 4 == 0;
        if (kind == 2)
          this->files->loadPreset(file.c_str());
        else
          this->files->loadBank(file.c_str());
        EndianSwap::swapBytes = false;
        this->files->isPresetModified();
        break;
      default:  // what the editor and host do in between
        effect.setProgram(static_cast<VstInt32>(random() % 14) - 1);
        if (random() % 2) effect.toggleActiveSide();
        if (random() % 3 == 0) effect.copyActiveSideToOther();
        break;
    }

    ASSERT_TRUE(storeIsSafe(effect.programStore())) << "round " << rounds << " kind " << kind;
    char text[64];
    for (int p = 0; p < kProgramCount; ++p) {
      std::memset(text, '#', sizeof(text));
      effect.getProgramNameIndexed(0, p, text);
      ASSERT_LE(std::strlen(text), static_cast<size_t>(kProgramNameMax));
    }
    if (rounds % 16 == 0) {
      ASSERT_TRUE(outputIsFinite(effect)) << "round " << rounds;
    }
  }
  ASSERT_TRUE(outputIsFinite(effect));
  this->messages.shown.clear();
  this->RecordProperty("rounds", rounds);
}

}  // namespace
}  // namespace sorvane::testing
