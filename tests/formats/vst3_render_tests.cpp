// The VST3 build sounds as the VST 2.4 build does: every factory program of
// each product, rendered by sorvane-host's own code through the bridge and
// through the VST 2.4 library, in 32 and 64 bits, with automation between
// blocks, bit for bit. Also the bridge's state and parameter paths against
// the VST 2.4 record's.
#include <gtest/gtest.h>

#include <string>

#include "tests/formats/vst3_test_bundles.h"
#include "tools/sorvane-host/audio.h"
#include "tools/sorvane-host/plugin_host.h"
#include "tools/sorvane-host/processing.h"

namespace {

using sorvane::host::AudioBuffer;
using sorvane::host::PluginInstance;
using sorvane::host::PluginLibrary;
using sorvane::vst3::testing::bundlePath;
using sorvane::vst3::testing::vst2Path;

std::unique_ptr<PluginLibrary> openLibrary(const std::string& path) {
  std::string error;
  auto library = PluginLibrary::open(path, error);
  EXPECT_TRUE(library) << error;
  return library;
}

std::unique_ptr<PluginInstance> makeInstance(const PluginLibrary& library) {
  std::string error;
  auto instance = PluginInstance::create(library, error);
  EXPECT_TRUE(instance) << error;
  return instance;
}

// The first two seconds of the demo signal through program p, with Output
// and a band's gain moved halfway, as a host's automation does.
AudioBuffer render(const PluginLibrary& library, int program, bool useDouble, const AudioBuffer& input) {
  auto instance = makeInstance(library);
  if (!instance) return {};
  instance->setSampleRate(input.sampleRate);
  instance->setBlockSize(512);
  instance->setProgram(program);
  instance->resume();
  AudioBuffer first;
  first.sampleRate = input.sampleRate;
  const std::size_t half = input.frames() / 2;
  first.left.assign(input.left.begin(), input.left.begin() + static_cast<std::ptrdiff_t>(half));
  first.right.assign(input.right.begin(), input.right.begin() + static_cast<std::ptrdiff_t>(half));
  AudioBuffer second;
  second.sampleRate = input.sampleRate;
  second.left.assign(input.left.begin() + static_cast<std::ptrdiff_t>(half), input.left.end());
  second.right.assign(input.right.begin() + static_cast<std::ptrdiff_t>(half), input.right.end());
  AudioBuffer out = sorvane::host::renderBuffer(*instance, first, 512, useDouble);
  instance->setParameter(instance->numParams() - 1, 0.625f);
  instance->setParameter(3, 0.8f);
  const AudioBuffer rest = sorvane::host::renderBuffer(*instance, second, 512, useDouble);
  out.left.insert(out.left.end(), rest.left.begin(), rest.left.end());
  out.right.insert(out.right.end(), rest.right.begin(), rest.right.end());
  instance->suspend();
  return out;
}

class Vst3Render : public ::testing::TestWithParam<const char*> {};

TEST_P(Vst3Render, EveryFactoryProgramSoundsAsTheVst2BuildBitForBitInBothPrecisions) {
  auto vst2 = openLibrary(vst2Path(GetParam()));
  auto vst3 = openLibrary(bundlePath(GetParam()));
  ASSERT_TRUE(vst2 && vst3);
  AudioBuffer input = sorvane::host::makeDemoSignal(48000.0);
  input.left.resize(96000);
  input.right.resize(96000);
  for (bool useDouble : {false, true}) {
    for (int program = 0; program < 12; ++program) {
      const AudioBuffer expected = render(*vst2, program, useDouble, input);
      const AudioBuffer actual = render(*vst3, program, useDouble, input);
      ASSERT_EQ(actual.frames(), expected.frames());
      EXPECT_TRUE(actual.left == expected.left && actual.right == expected.right)
          << GetParam() << " program " << program << (useDouble ? " in 64 bits" : " in 32 bits");
    }
  }
}

TEST_P(Vst3Render, TheBridgedRecordShowsTheSameParametersProgramsAndChunk) {
  auto vst2Library = openLibrary(vst2Path(GetParam()));
  auto vst3Library = openLibrary(bundlePath(GetParam()));
  ASSERT_TRUE(vst2Library && vst3Library);
  auto vst2 = makeInstance(*vst2Library);
  auto vst3 = makeInstance(*vst3Library);
  ASSERT_TRUE(vst2 && vst3);
  EXPECT_EQ(vst3->effectName(), vst2->effectName());
  EXPECT_EQ(vst3->vendorString(), vst2->vendorString());
  EXPECT_EQ(vst3->dispatch(effGetVendorVersion), vst2->dispatch(effGetVendorVersion));
  ASSERT_EQ(vst3->numParams(), vst2->numParams());
  ASSERT_EQ(vst3->numPrograms(), vst2->numPrograms());
  EXPECT_EQ(vst3->numInputs(), 2);
  EXPECT_EQ(vst3->numOutputs(), 2);
  EXPECT_TRUE(vst3->canProcessDouble());
  for (int i = 0; i < vst2->numParams(); ++i) EXPECT_EQ(vst3->parameterName(i), vst2->parameterName(i));
  for (int p = 0; p < vst2->numPrograms(); ++p) {
    vst2->setProgram(p);
    vst3->setProgram(p);
    EXPECT_EQ(vst3->currentProgram(), p);
    EXPECT_EQ(vst3->programName(), vst2->programName());
    for (int i = 0; i < vst2->numParams(); ++i) EXPECT_EQ(vst3->getParameter(i), vst2->getParameter(i));
    EXPECT_EQ(vst3->getChunk(false), vst2->getChunk(false)) << "program " << p;
  }
  vst2->setParameter(2, 0.3f);
  vst3->setParameter(2, 0.3f);
  const auto bank = vst2->getChunk(false);
  EXPECT_EQ(vst3->getChunk(false), bank);
  auto fresh = makeInstance(*vst3Library);
  ASSERT_TRUE(fresh);
  EXPECT_TRUE(fresh->setChunk(bank, false));
  EXPECT_EQ(fresh->getChunk(false), bank);
  EXPECT_FALSE(fresh->setChunk(std::vector<std::uint8_t>(bank.begin(), bank.end() - 2), false));
  EXPECT_EQ(fresh->getChunk(false), bank);
}

INSTANTIATE_TEST_SUITE_P(Products, Vst3Render, ::testing::Values("Tessaro", "Pallido"));

}  // namespace
