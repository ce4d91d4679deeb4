#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>

#include "test_plugins.h"
#include "tools/sorvane-host/audio.h"

namespace sorvane::host {
namespace {

using testing::TempFolder;

TEST(DemoSignal, IsNineSecondsPeakingAtMinusSixDecibelsAndTheSameEveryTime) {
  const AudioBuffer first = makeDemoSignal(44100.0);
  EXPECT_EQ(first.frames(), 9u * 44100u);
  EXPECT_TRUE(allFinite(first));
  EXPECT_NEAR(peakDb(first), -6.0, 1e-3);
  const AudioBuffer second = makeDemoSignal(44100.0);
  EXPECT_EQ(first.left, second.left);
  EXPECT_EQ(first.right, second.right);
  // Every section is there: nothing long stays silent (the sections overlap).
  for (size_t start = 0; start + 22050 <= first.frames(); start += 22050) {
    double energy = 0.0;
    for (size_t i = start; i < start + 22050; ++i) energy += first.left[i] * first.left[i];
    EXPECT_GT(energy, 1e-3) << "quarter second from frame " << start;
  }
}

TEST(Levels, MeasureRmsAndPeakOverBothChannels) {
  AudioBuffer audio;
  audio.resize(4);
  audio.left = {0.5f, -0.5f, 0.5f, -0.5f};
  audio.right = {0.0f, 0.0f, 0.0f, 0.0f};
  EXPECT_NEAR(rmsDb(audio), 20.0 * std::log10(0.5 / std::sqrt(2.0)), 1e-9);
  EXPECT_NEAR(peakDb(audio), 20.0 * std::log10(0.5), 1e-9);
  audio.right[2] = NAN;
  EXPECT_FALSE(allFinite(audio));
  AudioBuffer silence;
  silence.resize(10);
  EXPECT_TRUE(std::isinf(rmsDb(silence)));
}

TEST(WavCodec, RoundTripsFloatStereoExactly) {
  TempFolder folder;
  AudioBuffer audio = makeDemoSignal(8000.0);
  audio.left[5] = 3.5f;  // beyond full scale survives in float
  std::string error;
  ASSERT_TRUE(writeWavFile(folder.file("a.wav"), audio, error)) << error;
  AudioBuffer back;
  ASSERT_TRUE(readWavFile(folder.file("a.wav"), back, error)) << error;
  EXPECT_EQ(back.sampleRate, 8000.0);
  EXPECT_EQ(back.left, audio.left);
  EXPECT_EQ(back.right, audio.right);
}

void put(std::ofstream& file, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) file.put(static_cast<char>(value >> (8 * i)));
}

TEST(WavCodec, ReadsMonoSixteenBitIntoBothChannelsAndRejectsWhatItCannotRead) {
  TempFolder folder;
  const std::string path = folder.file("mono.wav");
  {
    std::ofstream file(path, std::ios::binary);
    file << "RIFF";
    put(file, 36 + 6, 4);
    file << "WAVEfmt ";
    put(file, 16, 4);
    put(file, 1, 2);  // PCM
    put(file, 1, 2);  // mono
    put(file, 11025, 4);
    put(file, 22050, 4);
    put(file, 2, 2);
    put(file, 16, 2);
    file << "data";
    put(file, 6, 4);
    put(file, 16384, 2);
    put(file, static_cast<uint16_t>(-32768), 2);
    put(file, 0, 2);
  }
  AudioBuffer audio;
  std::string error;
  ASSERT_TRUE(readWavFile(path, audio, error)) << error;
  EXPECT_EQ(audio.sampleRate, 11025.0);
  EXPECT_EQ(audio.left, (std::vector<float>{0.5f, -1.0f, 0.0f}));
  EXPECT_EQ(audio.right, audio.left);
  // The native build reads through libsndfile, which must agree.
  AudioBuffer viaFiles;
  ASSERT_TRUE(readAudioFile(path, viaFiles, error)) << error;
  EXPECT_EQ(viaFiles.left, audio.left);
  EXPECT_EQ(viaFiles.right, audio.left);

  std::ofstream(folder.file("text.wav")) << "not audio at all";
  EXPECT_FALSE(readWavFile(folder.file("text.wav"), audio, error));
  EXPECT_NE(error.find("not a WAV file"), std::string::npos) << error;
  EXPECT_FALSE(readAudioFile(folder.file("text.wav"), audio, error));
  EXPECT_NE(error.find("text.wav"), std::string::npos) << error;
  EXPECT_FALSE(readWavFile(folder.file("absent.wav"), audio, error));
}

}  // namespace
}  // namespace sorvane::host
