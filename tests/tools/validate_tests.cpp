#include <gtest/gtest.h>

#include <sstream>

#include "test_plugins.h"
#include "tools/sorvane-host/commands.h"
#include "tools/sorvane-host/validate.h"

namespace sorvane::host {
namespace {

struct Report {
  ValidationSummary summary;
  std::string text;
};

Report validate(const std::string& plugin, int strictness, uint64_t seed = 1) {
  auto library = testing::openTestPlugin(plugin);
  std::ostringstream out;
  Report report;
  report.summary = runValidation(*library, {strictness, seed}, out);
  report.text = out.str();
  return report;
}

std::string lineOf(const std::string& text, const std::string& check) {
  const size_t at = text.find("  " + check + ":");
  if (at == std::string::npos || at < 4) return "";
  const size_t start = at - 4;
  return text.substr(start, text.find('\n', start) - start);
}

TEST(Validate, PassesAWellBehavedPlugInAtEveryStrictness) {
  for (int strictness : {1, 5, 10}) {
    const Report report = validate("faulty_none", strictness, 3);
    EXPECT_EQ(report.summary.failed, 0) << report.text;
    EXPECT_GT(report.summary.passed, 15);
    EXPECT_NE(report.text.find(std::to_string(report.summary.passed) + " passed, 0 failed\n"), std::string::npos);
  }
}

TEST(Validate, StrictnessAddsChecks) {
  EXPECT_LT(validate("faulty_none", 1).summary.passed, validate("faulty_none", 10).summary.passed);
}

TEST(Validate, FindsNanOutput) {
  const Report report = validate("faulty_nan", 5);
  EXPECT_GT(report.summary.failed, 5) << report.text;
  EXPECT_NE(lineOf(report.text, "silent input").find("FAIL"), std::string::npos) << report.text;
  EXPECT_NE(lineOf(report.text, "silent input").find("NaN or infinity"), std::string::npos) << report.text;
}

TEST(Validate, FindsStateThatChangesOnAChunkRoundTrip) {
  const Report report = validate("faulty_state", 5);
  EXPECT_EQ(report.summary.failed, 2) << report.text;
  for (const char* check : {"bank chunk round trip", "program chunk round trip"}) {
    EXPECT_NE(lineOf(report.text, check).find("FAIL"), std::string::npos) << report.text;
    EXPECT_NE(lineOf(report.text, check).find("byte for byte"), std::string::npos) << report.text;
  }
}

TEST(Validate, SurvivesAPlugInThatCrashesOnAnEmptyBlock) {
  if (!hostkit::isolationAvailable()) GTEST_SKIP() << "no child processes on this platform";
  const Report report = validate("faulty_zero_crash", 5);
  EXPECT_EQ(report.summary.failed, 1) << report.text;
  const std::string line = lineOf(report.text, "block size 0");
  EXPECT_NE(line.find("FAIL"), std::string::npos) << report.text;
  EXPECT_NE(line.find("crashed"), std::string::npos) << report.text;
}

TEST(ValidateCommand, ExitsNonZeroOnlyWhenACheckFails) {
  std::ostringstream out, err;
  EXPECT_EQ(runCommandLine({"validate", testing::testPluginPath("faulty_none"), "--strictness", "2"}, out, err),
            kExitOk);
  EXPECT_EQ(runCommandLine({"validate", testing::testPluginPath("faulty_state"), "--strictness", "2"}, out, err),
            kExitChecksFailed);
  EXPECT_EQ(runCommandLine({"validate", testing::testPluginPath("no_such_plugin")}, out, err), kExitLoad);
}

}  // namespace
}  // namespace sorvane::host
