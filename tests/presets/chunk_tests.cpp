// Host state chunks: round trips between instances and everything a host or
// a damaged project file may hand back.
#include <limits>

#include "preset_fixture.h"

namespace sorvane::testing {
namespace {

template <class Case>
class Chunks : public PresetFixture<Case> {
 protected:
  Bytes bankChunk(typename Case::Effect& target) {
    void* data = nullptr;
    const VstInt32 size = target.getChunk(&data, false);
    const auto* bytes = static_cast<const unsigned char*>(data);
    return Bytes(bytes, bytes + size);
  }
  Bytes programChunk(typename Case::Effect& target) {
    void* data = nullptr;
    const VstInt32 size = target.getChunk(&data, true);
    const auto* bytes = static_cast<const unsigned char*>(data);
    return Bytes(bytes, bytes + size);
  }
  VstInt32 restore(Bytes bytes, bool isPreset) {
    return this->effect->setChunk(bytes.data(), static_cast<VstInt32>(bytes.size()), isPreset);
  }
  // Leaves every program of both sides different from the factory state.
  void editEveryProgram(typename Case::Effect& target) {
    for (int p = 0; p < kProgramCount; ++p) {
      target.setProgram(p);
      for (int s = 0; s < 2; ++s) {
        for (int i = 0; i < this->kParameterCount; ++i) target.setParameter(i, (p * 37 + s * 11 + i) / 512.0f);
        char name[] = "Edited 00 side 0";
        name[7] = static_cast<char>('A' + p);
        name[15] = static_cast<char>('0' + s);
        target.setProgramName(name);
        target.toggleActiveSide();
      }
      if (p % 3 == 0) target.toggleActiveSide();  // leave some programs on side B
    }
    target.setProgram(5);
  }
};
TYPED_TEST_SUITE(Chunks, ProductCases);

TYPED_TEST(Chunks, TheBankChunkIsTheStoreWithItsHeader) {
  const Bytes bank = this->bankChunk(*this->effect);
  ASSERT_EQ(TypeParam::kBankSize, bank.size());
  EXPECT_EQ(0, std::memcmp(bank.data(), TypeParam::product().bankMagic, 6));
  EXPECT_EQ(1, bank[6]);
  EXPECT_EQ(0, bank[7]);
  EXPECT_EQ(TypeParam::kSlotSize, this->programChunk(*this->effect).size());
}

TYPED_TEST(Chunks, RoundTripsBetweenFreshInstancesByteForByte) {
  auto& source = *this->effect;
  this->editEveryProgram(source);
  const Bytes bank = this->bankChunk(source);

  typename TypeParam::Effect target(nullptr);
  target.setProgram(5);
  Bytes copy = bank;
  ASSERT_EQ(1, target.setChunk(copy.data(), static_cast<VstInt32>(copy.size()), false));
  EXPECT_EQ(bank, this->bankChunk(target));
  for (int p = 0; p < kProgramCount; ++p) {
    source.setProgram(p);
    target.setProgram(p);
    ASSERT_EQ(source.getActiveSide(), target.getActiveSide());
    for (int i = 0; i < this->kParameterCount; ++i)
      EXPECT_EQ(bitsOf(source.getParameter(i)), bitsOf(target.getParameter(i))) << "program " << p << " value " << i;
  }

  // One program: both sides, both file names and the side selector travel.
  source.setProgram(3);
  const Bytes program = this->programChunk(source);
  typename TypeParam::Effect single(nullptr);
  single.setProgram(7);
  copy = program;
  ASSERT_EQ(1, single.setChunk(copy.data(), static_cast<VstInt32>(copy.size()), true));
  EXPECT_EQ(program, this->programChunk(single));
  EXPECT_EQ(7, single.getProgram());
  for (int i = 0; i < this->kParameterCount; ++i)
    EXPECT_EQ(bitsOf(source.getParameter(i)), bitsOf(single.getParameter(i)));
}

TYPED_TEST(Chunks, ARefusedChunkAnswersZeroAndChangesNothing) {
  this->editEveryProgram(*this->effect);
  const Bytes before = this->bankChunk(*this->effect);

  Bytes wrongBankVersion = before;
  wrongBankVersion[6] = 2;
  Bytes swappedBankVersion = before;
  swappedBankVersion[6] = 0;
  swappedBankVersion[7] = 1;
  Bytes wrongProgramVersion = this->programChunk(*this->effect);
  wrongProgramVersion[0] = 2;
  // The other product's chunks have other sizes.
  pallido::Effect pallidoEffect(nullptr);
  tessaro::Effect tessaroEffect(nullptr);
  void* foreignBank = nullptr;
  void* foreignProgram = nullptr;
  VstInt32 foreignBankSize, foreignProgramSize;
  if constexpr (std::is_same_v<TypeParam, TessaroCase>) {
    foreignBankSize = pallidoEffect.getChunk(&foreignBank, false);
    foreignProgramSize = pallidoEffect.getChunk(&foreignProgram, true);
  } else {
    foreignBankSize = tessaroEffect.getChunk(&foreignBank, false);
    foreignProgramSize = tessaroEffect.getChunk(&foreignProgram, true);
  }

  struct Attempt {
    const char* what;
    Bytes bytes;
    bool isPreset;
  };
  const auto bank = static_cast<VstInt32>(TypeParam::kBankSize);
  const auto slot = static_cast<VstInt32>(TypeParam::kSlotSize);
  std::vector<Attempt> attempts = {
      {"bank version 2", wrongBankVersion, false},
      {"bank version in swapped order", swappedBankVersion, false},
      {"program version 2", wrongProgramVersion, true},
      {"other product's bank",
       Bytes(static_cast<unsigned char*>(foreignBank), static_cast<unsigned char*>(foreignBank) + foreignBankSize),
       false},
      {"other product's program",
       Bytes(static_cast<unsigned char*>(foreignProgram),
             static_cast<unsigned char*>(foreignProgram) + foreignProgramSize),
       true},
      {"bank as program", before, true},
  };
  for (unsigned char fill : {0x00, 0x80, 0xFF}) {
    attempts.push_back({"filled bank", Bytes(bank, fill), false});
    attempts.push_back({"filled program", Bytes(slot, fill), true});
  }
  for (VstInt32 size : {1, bank - 1, bank + 1, 1 << 20}) attempts.push_back({"bank size", Bytes(size, 0), false});
  for (VstInt32 size : {1, slot - 1, slot + 1, 1 << 20}) attempts.push_back({"program size", Bytes(size, 0), true});

  for (auto& attempt : attempts) {
    EXPECT_EQ(0, this->restore(attempt.bytes, attempt.isPreset)) << attempt.what << " " << attempt.bytes.size();
    EXPECT_EQ(before, this->bankChunk(*this->effect)) << attempt.what << " " << attempt.bytes.size();
  }
  EXPECT_EQ(0, this->effect->setChunk(nullptr, 0, false));
  EXPECT_EQ(0, this->effect->setChunk(nullptr, 0, true));
  EXPECT_EQ(before, this->bankChunk(*this->effect));
}

TYPED_TEST(Chunks, AnySideSelectorAboveOneReadsAsSideB) {
  auto& effect = *this->effect;
  effect.setProgram(2);
  effect.toggleActiveSide();
  this->setDistinctValues(0.25f);  // side B differs from side A
  std::vector<float> sideB(this->kParameterCount);
  for (int i = 0; i < this->kParameterCount; ++i) sideB[i] = effect.getParameter(i);
  effect.toggleActiveSide();

  const Bytes original = this->programChunk(effect);
  for (uint32_t side = 2; side <= 255; ++side) {
    Bytes chunk = original;
    std::memcpy(chunk.data() + 4, &side, 4);
    ASSERT_EQ(1, this->restore(chunk, true)) << side;
    EXPECT_EQ(1, effect.getActiveSide()) << side;
    for (int i = 0; i < this->kParameterCount; ++i) ASSERT_EQ(sideB[i], effect.getParameter(i)) << side;
    // Toggling from the repaired side lands on A, as from B.
    effect.toggleActiveSide();
    EXPECT_EQ(0, effect.getActiveSide());
  }
}

TYPED_TEST(Chunks, UnterminatedTextIsCutInsideItsField) {
  auto& effect = *this->effect;
  Bytes bank = this->bankChunk(effect);
  auto& image = *reinterpret_cast<typename TestFixture::Bank*>(bank.data());
  for (auto& slot : image.program) {
    std::memset(slot.fileName, 'f', sizeof(slot.fileName));
    for (auto& record : slot.side) std::memset(record.name, 'N', sizeof(record.name));
  }
  ASSERT_EQ(1, this->restore(bank, false));
  EXPECT_TRUE(storeIsSafe(this->store()));

  char text[64];
  std::memset(text, '#', sizeof(text));
  effect.getProgramName(text);
  EXPECT_EQ(std::string(kProgramNameMax, 'N'), text);
  std::memset(text, '#', sizeof(text));
  ASSERT_TRUE(effect.getProgramNameIndexed(0, 11, text));
  EXPECT_EQ(std::string(kProgramNameMax, 'N'), text);
  EXPECT_EQ(std::string(platform::kPathCapacity - 1, 'f'), this->store().program[0].fileName[1]);
  // A name that does fit keeps every one of its bytes.
  EXPECT_EQ(std::string(kProgramNameField - 1, 'N'), this->store().program[4].side[0].name);
}

TYPED_TEST(Chunks, NonFiniteValuesAreStoredButNeverReachTheOutput) {
  auto& effect = *this->effect;
  const float specials[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity(), 1e30f, -1e30f};
  for (float special : specials) {
    Bytes chunk = this->programChunk(effect);
    auto& slot = *reinterpret_cast<ProgramSlot<TestFixture::Effect::kValueSlots>*>(chunk.data());
    for (auto& record : slot.side)
      for (float& value : record.values) value = special;
    ASSERT_EQ(1, this->restore(chunk, true));
    EXPECT_EQ(bitsOf(special), bitsOf(effect.getParameter(this->kParameterCount - 1)));
    EXPECT_TRUE(outputIsFinite(effect)) << special;
  }
  // From the host, one parameter at a time.
  for (float special : specials) {
    for (int i = 0; i < this->kParameterCount; ++i) effect.setParameter(i, special);
    EXPECT_TRUE(outputIsFinite(effect)) << special;
  }
}

TYPED_TEST(Chunks, FilledImagesWithAValidVersionLeaveASafeStore) {
  for (unsigned char fill : {0x00, 0x80, 0xFF}) {
    Bytes bank(TypeParam::kBankSize, fill);
    bank[6] = 1;
    bank[7] = 0;
    ASSERT_EQ(1, this->restore(bank, false)) << int(fill);
    EXPECT_TRUE(storeIsSafe(this->store())) << int(fill);
    EXPECT_TRUE(outputIsFinite(*this->effect)) << int(fill);
    Bytes slot(TypeParam::kSlotSize, fill);
    slot[0] = 1;
    slot[1] = 0;
    ASSERT_EQ(1, this->restore(slot, true)) << int(fill);
    EXPECT_TRUE(storeIsSafe(this->store())) << int(fill);
  }
}

}  // namespace
}  // namespace sorvane::testing
