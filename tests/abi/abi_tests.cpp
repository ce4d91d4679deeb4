// The plug-in libraries as a host sees them: loaded from disk, entered
// through VSTPluginMain or main, and driven only through the AEffect record.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "formats/vst2/aeffect.h"
#include "hostkit/library.h"

namespace {

struct ProductUnderTest {
  const char* library;
  VstInt32 uniqueId;
  int parameterCount;
  const char* effectName;
  const char* lastParameterName;
};

const ProductUnderTest kProducts[] = {
    {"Tessaro", fourCharCode('T', 's', 'q', 'r'), 12, "Sorvane Tessaro", "Output"},
    {"Pallido", fourCharCode('P', 'l', 'd', 'o'), 17, "Sorvane Pallido", "Output"},
};

VstIntPtr hostVersionAnswer = 2400;
int automateCalls = 0;

VstIntPtr VSTCALLBACK host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  if (opcode == audioMasterVersion) return hostVersionAnswer;
  if (opcode == audioMasterAutomate) ++automateCalls;
  return 0;
}

std::string libraryPath(const ProductUnderTest& product) {
#if defined(_WIN32)
  const char separator = '\\';
#else
  const char separator = '/';
#endif
  return std::string(SORVANE_PLUGIN_DIR) + separator + product.library + SORVANE_PLUGIN_SUFFIX;
}

class LoadedPlugin : public ::testing::TestWithParam<ProductUnderTest> {
 protected:
  void SetUp() override {
    hostVersionAnswer = 2400;
    std::string error;
    library = sorvane::hostkit::Library::load(libraryPath(GetParam()), error);
    ASSERT_TRUE(library.isLoaded()) << error;
    entry = reinterpret_cast<VstPluginMainProc>(library.symbol("VSTPluginMain"));
    ASSERT_NE(entry, nullptr);
  }
  AEffect* open() {
    AEffect* effect = entry(host);
    if (effect) effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
    return effect;
  }
  static VstIntPtr close(AEffect* effect) { return effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f); }

  sorvane::hostkit::Library library;
  VstPluginMainProc entry = nullptr;
};

TEST_P(LoadedPlugin, ExportsTheEntryPointUnderBothNames) {
  auto legacy = reinterpret_cast<VstPluginMainProc>(library.symbol("main"));
  ASSERT_NE(legacy, nullptr);
  AEffect* effect = legacy(host);
  ASSERT_NE(effect, nullptr);
  EXPECT_EQ(effect->uniqueID, GetParam().uniqueId);
  EXPECT_EQ(close(effect), 1);
}

TEST_P(LoadedPlugin, RefusesAHostThatDoesNotAnswerTheVersionQuery) {
  hostVersionAnswer = 0;
  EXPECT_EQ(entry(host), nullptr);
  EXPECT_EQ(entry(nullptr), nullptr);
}

TEST_P(LoadedPlugin, PublishesTheProductRecord) {
  AEffect* effect = open();
  ASSERT_NE(effect, nullptr);
  EXPECT_EQ(effect->magic, kEffectMagic);
  EXPECT_EQ(effect->numParams, GetParam().parameterCount);
  EXPECT_EQ(effect->numPrograms, 12);
  EXPECT_EQ(effect->numInputs, 2);
  EXPECT_EQ(effect->numOutputs, 2);
  EXPECT_EQ(effect->flags & ~effFlagsHasEditor, 0x1030);
  EXPECT_EQ(effect->version, 1);
  char text[80] = {};
  EXPECT_EQ(effect->dispatcher(effect, effGetEffectName, 0, 0, text, 0.0f), 1);
  EXPECT_STREQ(text, GetParam().effectName);
  EXPECT_EQ(effect->dispatcher(effect, effGetParamName, GetParam().parameterCount - 1, 0, text, 0.0f), 0);
  EXPECT_STREQ(text, GetParam().lastParameterName);
  EXPECT_EQ(close(effect), 1);
}

TEST_P(LoadedPlugin, SetsAndReadsParametersThroughTheRecord) {
  AEffect* effect = open();
  ASSERT_NE(effect, nullptr);
  for (int i = 0; i < effect->numParams; ++i) {
    effect->setParameter(effect, i, 0.45f);
    EXPECT_EQ(effect->getParameter(effect, i), 0.45f);
    char display[32] = {};
    effect->dispatcher(effect, effGetParamDisplay, i, 0, display, 0.0f);
    EXPECT_STREQ(display, "0.449999");
  }
  EXPECT_EQ(effect->getParameter(effect, effect->numParams), 0.0f);
  close(effect);
}

TEST_P(LoadedPlugin, BypassPassesAudioBitForBitInBothPrecisions) {
  AEffect* effect = open();
  ASSERT_NE(effect, nullptr);
  effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
  effect->dispatcher(effect, effSetBlockSize, 0, 64, nullptr, 0.0f);
  effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
  effect->setParameter(effect, 0, 1.0f);
  std::vector<float> left(64), right(64), outLeft(64), outRight(64);
  std::vector<double> leftD(64), rightD(64), outLeftD(64), outRightD(64);
  for (int i = 0; i < 64; ++i) {
    left[i] = std::sin(0.1f * i);
    right[i] = -0.3f + 0.01f * i;
    leftD[i] = std::sin(0.1 * i) / 3.0;
    rightD[i] = 1e-310;
  }
  float* in[] = {left.data(), right.data()};
  float* out[] = {outLeft.data(), outRight.data()};
  effect->processReplacing(effect, in, out, 64);
  EXPECT_EQ(std::memcmp(left.data(), outLeft.data(), 64 * sizeof(float)), 0);
  EXPECT_EQ(std::memcmp(right.data(), outRight.data(), 64 * sizeof(float)), 0);
  double* inD[] = {leftD.data(), rightD.data()};
  double* outD[] = {outLeftD.data(), outRightD.data()};
  effect->processDoubleReplacing(effect, inD, outD, 64);
  EXPECT_EQ(std::memcmp(leftD.data(), outLeftD.data(), 64 * sizeof(double)), 0);
  EXPECT_EQ(std::memcmp(rightD.data(), outRightD.data(), 64 * sizeof(double)), 0);
  effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.0f);
  close(effect);
}

TEST_P(LoadedPlugin, SurvivesEveryOpcodeWithNullAndWithRealBuffers) {
  AEffect* effect = open();
  ASSERT_NE(effect, nullptr);
  for (VstInt32 opcode = 0; opcode < 100; ++opcode) {
    if (opcode == effClose || opcode == effEditOpen) continue;
    effect->dispatcher(effect, opcode, 0, 0, nullptr, 0.0f);
    if (opcode == effGetSpeakerArrangement || opcode == effSetChunk) continue;
    char buffer[1024] = {};
    effect->dispatcher(effect, opcode, 0, 0, buffer, 0.0f);
  }
  EXPECT_EQ(close(effect), 1);
}

TEST_P(LoadedPlugin, KeepsInstancesApart) {
  AEffect* first = open();
  AEffect* second = open();
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  first->setParameter(first, 1, 0.25f);
  EXPECT_EQ(second->getParameter(second, 1), 1.0f);
  close(first);
  EXPECT_EQ(second->getParameter(second, 1), 1.0f);
  close(second);
}

INSTANTIATE_TEST_SUITE_P(Products, LoadedPlugin, ::testing::ValuesIn(kProducts),
                         [](const ::testing::TestParamInfo<ProductUnderTest>& product) {
                           return std::string(product.param.library);
                         });

}  // namespace
