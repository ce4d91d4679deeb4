// What a host sees when it asks the dispatcher: the answer for every opcode,
// the product strings, and safety against null pointers.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "product_fixture.h"

namespace sorvane::testing {
namespace {

template <class Product>
using Dispatcher = ProductTest<Product>;
TYPED_TEST_SUITE(Dispatcher, Products);

TYPED_TEST(Dispatcher, AnswersTheFixedInquiryOpcodes) {
  char text[64] = "probe";
  EXPECT_EQ(this->dispatch(effGetPlugCategory), 0);
  EXPECT_EQ(this->dispatch(effGetVstVersion), 2400);
  EXPECT_EQ(this->dispatch(effGetVendorVersion), 1000);
  EXPECT_EQ(this->dispatch(effGetTailSize), 0);
  EXPECT_EQ(this->dispatch(effIdentify), fourCharCode('N', 'v', 'E', 'f'));
  EXPECT_EQ(this->dispatch(effCanBeAutomated, 3), 1);
  EXPECT_EQ(this->dispatch(effString2Parameter, 1, 0, text), 0);
  EXPECT_EQ(this->dispatch(effGetCurrentMidiProgram), -1);
  EXPECT_EQ(this->dispatch(effSetTotalSampleToProcess, 0, 4321), 4321);
  EXPECT_EQ(this->dispatch(effSetBypass, 0, 1), 0);
  EXPECT_EQ(this->dispatch(effGetInputProperties, 0, 0, text), 0);
  EXPECT_EQ(this->dispatch(effGetParameterProperties, 0, 0, text), 0);
  for (const char* query : {"receiveVstEvents", "bypass", "plugAsChannelInsert", ""}) {
    char buffer[64];
    std::strcpy(buffer, query);
    EXPECT_EQ(this->dispatch(effCanDo, 0, 0, buffer), 0) << query;
  }
  for (VstInt32 opcode : {25, 42, 62, 64, 65, 66, 67, 68, 70, 71, 72, 74, 75, 76, 77, 78, 79, 80, 200, -5})
    EXPECT_EQ(this->dispatch(opcode, 0, 0, nullptr), 0) << opcode;
}

TYPED_TEST(Dispatcher, NamesTheProductAndVendor) {
  char text[80];
  const std::string product = TypeParam::kEffectName;
  EXPECT_EQ(this->dispatch(effGetEffectName, 0, 0, text), 1);
  EXPECT_EQ(text, product);
  EXPECT_EQ(this->dispatch(effGetVendorString, 0, 0, text), 1);
  EXPECT_STREQ(text, "Sorvane, Inc.");
  EXPECT_EQ(this->dispatch(effGetProductString, 0, 0, text), 1);
  EXPECT_EQ(text, product + " Ver.1.0.0");
}

TYPED_TEST(Dispatcher, NamesEveryParameterWhole) {
  char text[32];
  for (int i = 0; i < TypeParam::kParameterCount; ++i) {
    this->dispatch(effGetParamName, i, 0, text);
    EXPECT_STREQ(text, TypeParam::kParameters[i].name);
  }
}

TYPED_TEST(Dispatcher, IgnoresProgramNumbersOutsideTheBank) {
  this->dispatch(effSetProgram, 0, 4);
  EXPECT_EQ(this->dispatch(effGetProgram), 4);
  for (VstIntPtr value : {12, -1, 1000}) this->dispatch(effSetProgram, 0, value);
  EXPECT_EQ(this->dispatch(effGetProgram), 4);
}

TYPED_TEST(Dispatcher, StoresSampleRateAndBlockSizeUntilResume) {
  this->dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f);
  this->dispatch(effSetBlockSize, 0, 333);
  EXPECT_EQ(this->effect->getSampleRate(), 96000.0f);
  EXPECT_EQ(this->effect->getBlockSize(), 333);
  EXPECT_EQ(this->effect->getUpdatePeriod(), 1024);
  this->dispatch(effMainsChanged, 0, 1);
  EXPECT_EQ(this->effect->getUpdatePeriod(), 2048);
}

TYPED_TEST(Dispatcher, IgnoresASampleRateThatIsNotFiniteAndPositiveAndKeepsSounding) {
  this->dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
  const float inf = std::numeric_limits<float>::infinity();
  for (float rate : {-44100.0f, 0.0f, -0.0f, std::numeric_limits<float>::quiet_NaN(), inf, -inf}) {
    this->dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    EXPECT_EQ(this->effect->getSampleRate(), 48000.0f) << rate;
    this->dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(std::get<0>(this->effect->leftBands()).sampleRate(), 48000.0f) << rate;

    // Every band in an active position, then a second of noise: the output
    // stays finite and is not silent.
    for (int i = 0; i < TypeParam::kParameterCount; ++i)
      if (TypeParam::kParameters[i].role == ParameterRole::Band) this->effect->setParameter(i, 0.55f);
    std::vector<float> left(48000), right(48000);
    unsigned state = 1;
    for (size_t n = 0; n < left.size(); ++n) {
      state = state * 1664525u + 1013904223u;
      left[n] = right[n] = static_cast<float>(state >> 8) / 16777216.0f - 0.5f;
    }
    float* channels[] = {left.data(), right.data()};
    this->effect->processReplacing(channels, channels, static_cast<VstInt32>(left.size()));
    float peak = 0.0f;
    for (float v : left) {
      ASSERT_TRUE(std::isfinite(v)) << rate;
      peak = std::max(peak, std::abs(v));
    }
    EXPECT_GT(peak, 0.01f) << rate;
  }
}

TYPED_TEST(Dispatcher, SwitchingOffDoesTheSameWorkAsSwitchingOn) {
  for (float rate : {44100.0f, 67999.0f, 68000.0f, 135999.0f, 136000.0f, 192000.0f}) {
    this->dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    this->dispatch(effMainsChanged, 0, 0);
    const VstInt32 off = this->effect->getUpdatePeriod();
    this->dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(this->effect->getUpdatePeriod(), off) << rate;
    EXPECT_EQ(off, rate < 68000.0f ? 1024 : rate < 136000.0f ? 2048 : 4096) << rate;
  }
}

TYPED_TEST(Dispatcher, AnswersAsHavingNoEditor) {
  ERect* rect = reinterpret_cast<ERect*>(0x1);
  EXPECT_EQ(this->dispatch(effEditGetRect, 0, 0, &rect), 0);
  EXPECT_EQ(this->dispatch(effEditOpen, 0, 0, nullptr), 0);
  EXPECT_EQ(this->dispatch(effEditClose), 0);
  EXPECT_EQ(this->dispatch(effEditIdle), 0);
  EXPECT_EQ(this->dispatch(effEditKeyDown, 'a', 0), 0);
  EXPECT_EQ(this->dispatch(effEditKeyUp, 'a', 0), 0);
  EXPECT_EQ(this->dispatch(effSetEditKnobMode, 0, 2), 0);
}

TYPED_TEST(Dispatcher, RefusesNullPointersWithoutCrashing) {
  for (VstInt32 opcode : {effSetProgramName, effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName,
                          effEditGetRect, effGetChunk, effSetChunk, effString2Parameter, effGetProgramNameIndexed,
                          effGetInputProperties, effGetOutputProperties, effGetEffectName, effGetVendorString,
                          effGetProductString, effCanDo, effGetParameterProperties, effGetSpeakerArrangement}) {
    EXPECT_EQ(this->dispatch(opcode, 0, 0, nullptr), 0) << opcode;
    // The speaker-arrangement opcode carries a second pointer in value.
    const VstIntPtr size = opcode == effGetSpeakerArrangement ? 0 : 8360;
    EXPECT_EQ(this->dispatch(opcode, 1, size, nullptr), 0) << opcode;
  }
}

TYPED_TEST(Dispatcher, ClearsBothSpeakerArrangementPointers) {
  void* input = &input;
  void* output = &output;
  EXPECT_EQ(this->dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input), &output), 0);
  EXPECT_EQ(input, nullptr);
  EXPECT_EQ(output, nullptr);
}

TYPED_TEST(Dispatcher, CloseDestroysTheObjectAndAnswersOne) {
  AEffect* record = this->effect.release()->getAeffect();
  EXPECT_EQ(record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f), 1);
}

TYPED_TEST(Dispatcher, NamesProgramsByIndexFromTheCurrentSide) {
  char text[32];
  EXPECT_EQ(this->dispatch(effGetProgramNameIndexed, 11, 0, text), 1);
  EXPECT_STREQ(text, TypeParam::presets().factoryPrograms[11].name);
  EXPECT_EQ(this->dispatch(effGetProgramNameIndexed, 12, 0, text), 0);
  EXPECT_EQ(this->dispatch(effGetProgramNameIndexed, -1, 0, text), 0);

  char name[64] = "A thirty character long name!!";
  this->dispatch(effSetProgramName, 0, 0, name);
  this->dispatch(effGetProgramName, 0, 0, text);
  EXPECT_EQ(std::string(text), std::string(name, 24));
}

}  // namespace
}  // namespace sorvane::testing
