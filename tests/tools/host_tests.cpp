#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

#include "test_plugins.h"
#include "tools/sorvane-host/audio.h"
#include "tools/sorvane-host/commands.h"
#include "tools/sorvane-host/processing.h"
#include "tools/sorvane-host/state.h"

namespace sorvane::host {
namespace {

using testing::makeInstance;
using testing::openTestPlugin;
using testing::TempFolder;
using testing::testPluginPath;

TEST(PluginLoading, ExplainsAMissingFileAndAMissingEntryPoint) {
  std::string error;
  EXPECT_FALSE(PluginLibrary::open(testPluginPath("no_such_plugin"), error));
  EXPECT_NE(error.find("cannot load"), std::string::npos) << error;
  EXPECT_NE(error.find("no_such_plugin"), std::string::npos) << error;

  EXPECT_FALSE(PluginLibrary::open(testPluginPath("not_a_plugin"), error));
  EXPECT_NE(error.find("neither VSTPluginMain nor main"), std::string::npos) << error;

  std::ostringstream out, err;
  EXPECT_EQ(runCommandLine({"info", testPluginPath("not_a_plugin")}, out, err), kExitLoad);
  const std::string message = err.str();
  EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
}

TEST(HostCallback, AnswersTheQueriesHostsAreAskedAndCountsTheNotifications) {
  auto library = openTestPlugin("faulty_none");
  auto instance = makeInstance(*library);
  AEffect* effect = instance->effect();
  EXPECT_EQ(hostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f), 2400);
  instance->setSampleRate(96000.0);
  instance->setBlockSize(300);
  EXPECT_EQ(hostCallback(effect, audioMasterGetSampleRate, 0, 0, nullptr, 0.0f), 96000);
  EXPECT_EQ(hostCallback(effect, audioMasterGetBlockSize, 0, 0, nullptr, 0.0f), 300);
  EXPECT_EQ(hostCallback(effect, audioMasterCurrentId, 0, 0, nullptr, 0.0f), fourCharCode('F', 'l', 't', 'y'));
  char text[kVstMaxVendorStrLen] = {};
  EXPECT_EQ(hostCallback(effect, audioMasterGetVendorString, 0, 0, text, 0.0f), 1);
  EXPECT_STREQ(text, "Sorvane");
  EXPECT_EQ(hostCallback(effect, audioMasterGetProductString, 0, 0, text, 0.0f), 1);
  EXPECT_STREQ(text, "sorvane-host");
  EXPECT_EQ(hostCallback(effect, audioMasterCanDo, 0, 0, const_cast<char*>("sendVstTimeInfo"), 0.0f), 1);
  EXPECT_EQ(hostCallback(effect, audioMasterCanDo, 0, 0, const_cast<char*>("sizeWindow"), 0.0f), 0);
  for (VstInt32 opcode :
       {audioMasterAutomate, audioMasterBeginEdit, audioMasterEndEdit, audioMasterUpdateDisplay, audioMasterIdle}) {
    EXPECT_EQ(hostCallback(effect, opcode, 1, 0, nullptr, 0.5f), 0);
  }
  const HostCounters& counters = instance->context().counters;
  EXPECT_EQ(counters.automate, 1);
  EXPECT_EQ(counters.beginEdit, 1);
  EXPECT_EQ(counters.endEdit, 1);
  EXPECT_EQ(counters.updateDisplay, 1);
  EXPECT_EQ(counters.idle, 1);
}

TEST(HostCallback, LogsTheCallsOfAGestureInOrderWhileAskedTo) {
  auto library = openTestPlugin("faulty_none");
  auto instance = makeInstance(*library);
  AEffect* effect = instance->effect();
  std::vector<HostCallRecord> log;
  instance->context().gestureLog = &log;
  hostCallback(effect, audioMasterBeginEdit, 4, 0, nullptr, 0.0f);
  hostCallback(effect, audioMasterIdle, 0, 0, nullptr, 0.0f);
  hostCallback(effect, audioMasterAutomate, 4, 0, nullptr, 0.75f);
  hostCallback(effect, audioMasterEndEdit, 4, 0, nullptr, 0.0f);
  hostCallback(effect, audioMasterUpdateDisplay, 0, 0, nullptr, 0.0f);
  instance->context().gestureLog = nullptr;
  hostCallback(effect, audioMasterAutomate, 5, 0, nullptr, 0.5f);
  ASSERT_EQ(log.size(), 4u) << "idle is no part of a gesture";
  EXPECT_EQ(log[0].opcode, audioMasterBeginEdit);
  EXPECT_EQ(log[1].opcode, audioMasterAutomate);
  EXPECT_EQ(log[1].index, 4);
  EXPECT_EQ(log[1].value, 0.75f);
  EXPECT_EQ(log[2].opcode, audioMasterEndEdit);
  EXPECT_EQ(log[3].opcode, audioMasterUpdateDisplay);
}

TEST(EditorCommand, RefusesAPluginWithoutAnEditorBeforeMakingAnyWindow) {
  std::ostringstream out, err;
  EXPECT_EQ(runCommandLine({"editor", testPluginPath("faulty_none"), "--png", "unused.png"}, out, err), kExitLoad);
  EXPECT_NE(err.str().find("has no editor"), std::string::npos) << err.str();
}

TEST(HostCallback, KeepsTheStateOfEachInstanceApart) {
  auto library = openTestPlugin("faulty_none");
  auto first = makeInstance(*library);
  auto second = makeInstance(*library);
  first->setSampleRate(22050.0);
  second->setSampleRate(192000.0);
  EXPECT_EQ(hostCallback(first->effect(), audioMasterGetSampleRate, 0, 0, nullptr, 0.0f), 22050);
  EXPECT_EQ(hostCallback(second->effect(), audioMasterGetSampleRate, 0, 0, nullptr, 0.0f), 192000);
  hostCallback(second->effect(), audioMasterAutomate, 0, 0, nullptr, 0.5f);
  EXPECT_EQ(first->context().counters.automate, 0);
  EXPECT_EQ(second->context().counters.automate, 1);
  // Closed instances are forgotten: many come and go without running out.
  first->close();
  for (int i = 0; i < 600; ++i) makeInstance(*library);
}

TEST(HostCallback, TimeInfoAdvancesWithEveryBlockAt120BeatsPerMinuteInFourFour) {
  auto library = openTestPlugin("faulty_none");
  auto instance = makeInstance(*library);
  instance->setSampleRate(48000.0);
  instance->resume();
  AudioBuffer input;
  input.sampleRate = 48000.0;
  input.resize(48000 * 3);
  BlockProcessor processor(*instance, 1000);
  std::vector<float> left(1000), right(1000);
  for (int block = 0; block < 150; ++block)
    processor.process(input.left.data(), input.right.data(), left.data(), right.data(), 1000, false);
  const auto* info =
      reinterpret_cast<const VstTimeInfo*>(hostCallback(instance->effect(), audioMasterGetTime, 0, 0, nullptr, 0.0f));
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->samplePos, 150000.0);
  EXPECT_EQ(info->sampleRate, 48000.0);
  EXPECT_EQ(info->tempo, 120.0);
  EXPECT_DOUBLE_EQ(info->ppqPos, 150000.0 / 48000.0 * 2.0);  // 6.25 beats
  EXPECT_EQ(info->barStartPos, 4.0);
  EXPECT_EQ(info->timeSigNumerator, 4);
  EXPECT_EQ(info->timeSigDenominator, 4);
  const VstInt32 wanted = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
  EXPECT_EQ(info->flags & wanted, wanted);
  EXPECT_EQ(info->flags & kVstTransportChanged, 0);
}

TEST(StateApplication, FindsProgramsAndParametersByNumberOrNameWithoutRegardToCase) {
  auto library = openTestPlugin("faulty_none");
  auto instance = makeInstance(*library);
  std::string error;
  EXPECT_EQ(findProgram(*instance, "2", error), 2);
  EXPECT_EQ(findProgram(*instance, "  warm ", error), 1);
  EXPECT_EQ(findProgram(*instance, "3", error), -1);
  EXPECT_NE(error.find("0 to 2"), std::string::npos) << error;
  EXPECT_EQ(findProgram(*instance, "Bright", error), -1);
  EXPECT_NE(error.find("'Bright'"), std::string::npos) << error;
  EXPECT_EQ(findParameter(*instance, "GAIN", error), 1);
  EXPECT_EQ(findParameter(*instance, "0", error), 0);
  EXPECT_EQ(findParameter(*instance, "Cutoff", error), -1);

  StateOptions state;
  state.program = "Dark";
  state.params = {{"Gain", 0.25f}};
  EXPECT_EQ(applyState(*instance, state), "");
  EXPECT_EQ(instance->currentProgram(), 2);
  EXPECT_EQ(instance->getParameter(0), 1.0f);   // from the program
  EXPECT_EQ(instance->getParameter(1), 0.25f);  // the parameter comes after it
}

TEST(StateApplication, RestoresBankAndProgramChunksToldApartBySize) {
  TempFolder folder;
  auto library = openTestPlugin("faulty_none");
  auto source = makeInstance(*library);
  source->setProgram(1);
  source->setParameter(0, 0.375f);
  for (bool program : {false, true}) {
    const auto bytes = source->getChunk(program);
    ASSERT_FALSE(bytes.empty());
    const std::string path = folder.file(program ? "program.chunk" : "bank.chunk");
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    auto target = makeInstance(*library);
    StateOptions state;
    state.program = "1";
    state.chunkFile = path;
    EXPECT_EQ(applyState(*target, state), "") << path;
    EXPECT_EQ(target->getParameter(0), 0.375f) << path;
  }
  auto target = makeInstance(*library);
  StateOptions missing;
  missing.chunkFile = folder.file("absent.chunk");
  bool fileError = false;
  EXPECT_NE(applyState(*target, missing, &fileError).find("absent.chunk"), std::string::npos);
  EXPECT_TRUE(fileError);
}

// The one-pole's own recursion, for comparing what the host delivers.
std::vector<float> onePole(const std::vector<float>& x, double a, double gain) {
  std::vector<float> y(x.size());
  double state = 0.0;
  for (size_t i = 0; i < x.size(); ++i) {
    state = (1.0 - a) * x[i] + a * state;
    y[i] = static_cast<float>(gain * state);
  }
  return y;
}

TEST(Rendering, DeliversEveryFrameInOrderWhateverTheBlockSizeAndPrecision) {
  auto library = openTestPlugin("faulty_none");
  const AudioBuffer input = makeDemoSignal(22050.0);
  const auto expectedLeft = onePole(input.left, 0.45, 1.0);  // program "Warm"
  for (int block : {1, 37, 512, 4096}) {
    for (bool useDouble : {false, true}) {
      auto instance = makeInstance(*library);
      instance->setProgram(1);
      instance->setSampleRate(input.sampleRate);
      instance->setBlockSize(block);
      instance->resume();
      const AudioBuffer output = renderBuffer(*instance, input, block, useDouble);
      ASSERT_EQ(output.frames(), input.frames());
      for (size_t i = 0; i < input.frames(); i += 997) {
        ASSERT_NEAR(output.left[i], expectedLeft[i], 1e-6)
            << "block " << block << " double " << useDouble << " frame " << i;
      }
    }
  }
}

TEST(RenderCommand, WritesTheFileReportsLevelsAndFlagsNonFiniteOutput) {
  TempFolder folder;
  std::ostringstream out, err;
  const std::string good = folder.file("good.wav");
  ASSERT_EQ(
      runCommandLine({"render", testPluginPath("faulty_none"), good, "--program", "Open", "--rate", "22050"}, out, err),
      kExitOk)
      << err.str();
  AudioBuffer written;
  std::string error;
  ASSERT_TRUE(readAudioFile(good, written, error)) << error;
  EXPECT_EQ(written.sampleRate, 22050.0);
  // Program "Open" passes the signal unchanged.
  EXPECT_EQ(written.left, makeDemoSignal(22050.0).left);
  EXPECT_NE(out.str().find("change +0.00 dB"), std::string::npos) << out.str();

  std::ostringstream out2, err2;
  EXPECT_EQ(
      runCommandLine({"render", testPluginPath("faulty_nan"), folder.file("nan.wav"), "--rate", "22050"}, out2, err2),
      kExitPluginFault);
  EXPECT_NE(err2.str().find("non-finite"), std::string::npos) << err2.str();

  std::ostringstream out3, err3;
  EXPECT_EQ(runCommandLine({"render", testPluginPath("faulty_none"), folder.file("absent.wav"), folder.file("x.wav")},
                           out3, err3),
            kExitFile);
  EXPECT_EQ(runCommandLine({"render", testPluginPath("faulty_none"), good, "--program", "Bright"}, out3, err3),
            kExitState);
}

}  // namespace
}  // namespace sorvane::host
