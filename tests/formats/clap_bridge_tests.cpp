// sorvane-host's commands reach a CLAP file through its bridge to the VST
// 2.4 record: every factory program of each product renders bit for bit as
// the VST build's, in 32 and 64 bits, and parameters, texts and chunks
// cross the bridge as a VST host expects them.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/formats/clap_test_host.h"
#include "tools/sorvane-host/plugin_host.h"

namespace {

using sorvane::clap::testing::clapFile;
using sorvane::host::PluginInstance;
using sorvane::host::PluginLibrary;

std::string vstFile(const char* product) {
  return std::string(SORVANE_PLUGIN_DIR) + SORVANE_PATH_SEPARATOR + product + SORVANE_PLUGIN_SUFFIX;
}

struct Loaded {
  std::unique_ptr<PluginLibrary> library;
  std::unique_ptr<PluginInstance> instance;
};

Loaded load(const std::string& path) {
  Loaded loaded;
  std::string error;
  loaded.library = PluginLibrary::open(path, error);
  EXPECT_TRUE(loaded.library) << error;
  if (loaded.library) loaded.instance = PluginInstance::create(*loaded.library, error);
  EXPECT_TRUE(loaded.instance) << error;
  return loaded;
}

constexpr int kBlock = 512;
// Where the twelve program slots start in a bank (after its magic and version).
constexpr std::size_t kProgramsOffset = 8;
constexpr int kBlocks = 12;

template <class Sample>
std::vector<Sample> render(PluginInstance& instance) {
  std::vector<Sample> all;
  std::vector<Sample> in[2], out[2];
  std::uint32_t seed = 99;
  for (int b = 0; b < kBlocks; ++b) {
    for (int c = 0; c < 2; ++c) {
      in[c].resize(kBlock);
      out[c].assign(kBlock, Sample(0));
      for (Sample& s : in[c]) {
        seed = seed * 1664525u + 1013904223u;
        s = static_cast<Sample>(static_cast<double>(seed >> 8) / 16777216.0 - 0.5);
      }
    }
    Sample* i[2] = {in[0].data(), in[1].data()};
    Sample* o[2] = {out[0].data(), out[1].data()};
    if constexpr (sizeof(Sample) == 8)
      instance.processDouble(i, o, kBlock);
    else
      instance.process(i, o, kBlock);
    all.insert(all.end(), out[0].begin(), out[0].end());
    all.insert(all.end(), out[1].begin(), out[1].end());
  }
  return all;
}

class ClapBridge : public ::testing::TestWithParam<const char*> {};

TEST_P(ClapBridge, EveryFactoryProgramRendersBitForBitAsTheVstBuildIn32And64Bits) {
  Loaded vst = load(vstFile(GetParam()));
  ASSERT_TRUE(vst.instance);
  const int programs = vst.instance->numPrograms();
  ASSERT_EQ(programs, 12);
  for (int program = 0; program < programs; ++program) {
    SCOPED_TRACE("program " + std::to_string(program));
    for (const bool doubles : {false, true}) {
      Loaded v = load(vstFile(GetParam()));
      Loaded c = load(clapFile((std::string(GetParam()) + ".clap").c_str()));
      ASSERT_TRUE(v.instance && c.instance);
      ASSERT_TRUE(c.instance->canProcessDouble());
      v.instance->setProgram(program);
      // A bank holds the programs but not which one is current, and a CLAP
      // plug-in has no programs: the bank it loads has this program in the
      // first slot, which a new instance plays.
      std::vector<std::uint8_t> bank = v.instance->getChunk(false);
      const std::size_t slot = (bank.size() - kProgramsOffset) / 12;
      ASSERT_EQ(kProgramsOffset + 12 * slot, bank.size());
      std::memmove(bank.data() + kProgramsOffset, bank.data() + kProgramsOffset + program * slot, slot);
      ASSERT_TRUE(c.instance->setChunk(bank, false));
      v.instance->resume();
      c.instance->resume();
      if (doubles) {
        const std::vector<double> a = render<double>(*v.instance), b = render<double>(*c.instance);
        ASSERT_EQ(a.size(), b.size());
        EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(double)), 0) << "64-bit";
      } else {
        const std::vector<float> a = render<float>(*v.instance), b = render<float>(*c.instance);
        ASSERT_EQ(a.size(), b.size());
        EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(float)), 0) << "32-bit";
      }
    }
  }
}

TEST_P(ClapBridge, ParametersTextsAndChunksCrossTheBridgeAsAVstHostExpects) {
  Loaded v = load(vstFile(GetParam()));
  Loaded c = load(clapFile((std::string(GetParam()) + ".clap").c_str()));
  ASSERT_TRUE(v.instance && c.instance);
  EXPECT_EQ(c.library->entryPointName(), std::string("clap_entry"));
  ASSERT_EQ(c.instance->numParams(), v.instance->numParams());
  EXPECT_EQ(c.instance->numInputs(), 2);
  EXPECT_EQ(c.instance->numOutputs(), 2);
  EXPECT_TRUE(c.instance->hasChunks());
  EXPECT_EQ(c.instance->effectName(), v.instance->effectName());
  EXPECT_EQ(c.instance->vendorString(), v.instance->vendorString());
  // The plug-in's state: the VST build's bank, then the current program.
  std::vector<uint8_t> session = v.instance->getChunk(false);
  session.insert(session.end(), {'S', 'v', 'P', 'g', 0, 0, 0, 0});
  EXPECT_EQ(c.instance->getChunk(false), session);
  for (int i = 0; i < c.instance->numParams(); ++i) {
    EXPECT_EQ(c.instance->parameterName(i), v.instance->parameterName(i));
    // Both ends of every range, and the middle.
    for (const float value : {0.0f, 0.5f, 1.0f}) {
      c.instance->setParameter(i, value);
      v.instance->setParameter(i, value);
      const float back = c.instance->getParameter(i);
      c.instance->setParameter(i, back);
      EXPECT_EQ(c.instance->getParameter(i), back) << "parameter " << i << " at " << value;
    }
  }
  // The same printed values on both: the sound is the same.
  Loaded v2 = load(vstFile(GetParam()));
  v2.instance->setChunk(v.instance->getChunk(false), false);
  Loaded c2 = load(clapFile((std::string(GetParam()) + ".clap").c_str()));
  c2.instance->setChunk(c.instance->getChunk(false), false);
  v2.instance->resume();
  c2.instance->resume();
  EXPECT_EQ(render<float>(*v2.instance), render<float>(*c2.instance));
  EXPECT_FALSE(c.instance->setChunk({1, 2, 3}, false));
}

INSTANTIATE_TEST_SUITE_P(Products, ClapBridge, ::testing::Values("Tessaro", "Pallido"));

TEST(ClapBridgeLoading, AFileWithoutAClapEntryIsRefusedWithAReason) {
  std::string error;
  // A VST library renamed, in effect: the bridge finds no entry in it.
  const std::string notClap = vstFile("Tessaro");
  EXPECT_EQ(sorvane::host::openClapFile(notClap, error), nullptr);
  EXPECT_NE(error.find("clap_entry"), std::string::npos) << error;
  EXPECT_EQ(PluginLibrary::open(clapFile("Missing.clap"), error), nullptr);
  EXPECT_FALSE(error.empty());
}

}  // namespace
