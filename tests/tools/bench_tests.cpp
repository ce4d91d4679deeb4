#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "test_plugins.h"
#include "tools/sorvane-host/bench.h"
#include "tools/sorvane-host/commands.h"

namespace sorvane::host {
namespace {

TEST(BenchStatistics, MedianQuartilesAndSpreadOfTheRounds) {
  const BenchStats odd = summarizeRounds({5.0, 1.0, 4.0, 2.0, 3.0});
  EXPECT_EQ(odd.median, 3.0);
  EXPECT_EQ(odd.lowerQuartile, 2.0);
  EXPECT_EQ(odd.upperQuartile, 4.0);
  EXPECT_EQ(odd.lowest, 1.0);
  EXPECT_EQ(odd.highest, 5.0);
  EXPECT_NEAR(odd.spreadPercent, 2.0 / 3.0 * 100.0, 1e-9);
  const BenchStats even = summarizeRounds({10.0, 40.0, 20.0, 30.0});
  EXPECT_EQ(even.median, 25.0);
  // One disturbed round moves the range, not the median or the spread.
  const BenchStats disturbed = summarizeRounds({5.0, 1.0, 4.0, 2.0, 3.0, 3.0, 500.0});
  EXPECT_EQ(disturbed.median, 3.0);
  EXPECT_EQ(disturbed.highest, 500.0);
  EXPECT_LT(disturbed.spreadPercent, 100.0);
  EXPECT_EQ(summarizeRounds({}).median, 0.0);
}

TEST(BenchSchedule, RotatesSoEveryLibraryRunsInEveryPositionEqually) {
  const size_t libraries = 4;
  std::vector<std::vector<int>> timesAt(libraries, std::vector<int>(libraries, 0));
  for (size_t round = 0; round < 8; ++round) {
    const auto order = roundOrder(libraries, round);
    ASSERT_EQ(std::set<size_t>(order.begin(), order.end()).size(), libraries);
    for (size_t position = 0; position < libraries; ++position) ++timesAt[order[position]][position];
  }
  for (const auto& positions : timesAt) {
    for (int count : positions) EXPECT_EQ(count, 2);
  }
}

TEST(BenchSchedule, SplitsTheTimeIntoWholeBlocksPerRound) {
  EXPECT_EQ(framesPerRound(1.0, 48000.0, 10, 512), 10 * 512);  // 4800 frames round up to 10 blocks
  EXPECT_EQ(framesPerRound(0.001, 48000.0, 100, 512), 512);    // at least one block
  EXPECT_EQ(framesPerRound(2.0, 44100.0, 1, 100), 88200);
}

TEST(BenchSchedule, KnowsHowToLoadThePeerEqualisers) {
  EXPECT_FALSE(peerLoadSettings(fourCharCode('a', '5', 'e', 'r')).empty());
  EXPECT_FALSE(peerLoadSettings(fourCharCode('D', '3', 'E', 'Q')).empty());
  EXPECT_TRUE(peerLoadSettings(fourCharCode('T', 's', 'q', 'r')).empty());
}

TEST(BenchCommand, ReportsEachLibraryOnceWithItsSettings) {
  std::ostringstream out, err;
  const std::string plugin = testing::testPluginPath("faulty_none");
  ASSERT_EQ(
      runCommandLine({"bench", plugin, plugin, "--seconds", "0.2", "--rounds", "3", "--program", "Dark"}, out, err),
      kExitOk)
      << err.str();
  const std::string text = out.str();
  size_t rows = 0;
  for (size_t at = text.find("Faulty One-Pole"); at != std::string::npos; at = text.find("Faulty One-Pole", at + 1)) {
    ++rows;
  }
  EXPECT_EQ(rows, 2u) << text;
  EXPECT_NE(text.find("program 2 'Dark'"), std::string::npos) << text;

  std::ostringstream out2, err2;
  EXPECT_EQ(runCommandLine({"bench", testing::testPluginPath("faulty_nan"), "--seconds", "0.1"}, out2, err2),
            kExitPluginFault);
}

}  // namespace
}  // namespace sorvane::host
