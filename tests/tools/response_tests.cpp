#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <fstream>
#include <numbers>
#include <sstream>

#include "test_plugins.h"
#include "tools/sorvane-host/commands.h"
#include "tools/sorvane-host/response.h"

namespace sorvane::host {
namespace {

using testing::makeInstance;
using testing::openTestPlugin;

// H(e^jw) = 2g(1 - a) / (1 - a e^-jw) of the test plug-in's one-pole.
std::complex<double> onePoleResponse(double a, double gain, double frequency, double rate) {
  const double omega = 2.0 * std::numbers::pi * frequency / rate;
  return 2.0 * gain * (1.0 - a) / (1.0 - a * std::polar(1.0, -omega));
}

TEST(ResponseMeasurement, MatchesTheClosedFormOfAOnePoleLowPass) {
  auto library = openTestPlugin("faulty_none");
  for (double rate : {44100.0, 96000.0}) {
    for (int program : {1, 2}) {
      auto instance = makeInstance(*library);
      instance->setSampleRate(rate);
      instance->setBlockSize(256);
      instance->setProgram(program);
      instance->setParameter(1, 0.7f);  // gain 1.4
      instance->resume();
      const auto frequencies = logFrequencies(10.0, 20000.0, 40);
      const ResponseCurve curve = measureResponse(*instance, rate, 256, frequencies, "x");
      const double a = 0.9 * instance->getParameter(0);
      ASSERT_EQ(curve.magnitudeDb.size(), frequencies.size());
      for (size_t i = 0; i < frequencies.size(); ++i) {
        const auto expected = onePoleResponse(a, 0.7, frequencies[i], rate);
        EXPECT_NEAR(curve.magnitudeDb[i], 20.0 * std::log10(std::abs(expected)), 1e-4)
            << "a " << a << " at " << frequencies[i] << " Hz, rate " << rate;
        EXPECT_NEAR(curve.phaseDegrees[i], std::arg(expected) * 180.0 / std::numbers::pi, 1e-3)
            << "a " << a << " at " << frequencies[i] << " Hz, rate " << rate;
      }
    }
  }
}

TEST(ResponseMeasurement, RemovesAnnouncedLatencyFromThePhase) {
  std::vector<double> impulse(64, 0.0);
  impulse[10] = 0.5;  // a pure delay of ten samples at -6 dB
  ResponseCurve curve;
  curve.frequencies = {100.0, 1000.0, 5000.0};
  responseFromImpulse(impulse, 48000.0, 10.0, curve);
  for (size_t i = 0; i < curve.frequencies.size(); ++i) {
    EXPECT_NEAR(curve.magnitudeDb[i], 20.0 * std::log10(0.5), 1e-9);
    EXPECT_NEAR(curve.phaseDegrees[i], 0.0, 1e-6);
  }
  responseFromImpulse(impulse, 48000.0, 0.0, curve);
  // 1 kHz at 48 kHz: ten samples are 75 degrees of lag.
  EXPECT_NEAR(curve.phaseDegrees[1], -75.0, 1e-6);
}

TEST(ResponseMeasurement, LogFrequenciesSpanTheRangeEvenly) {
  const auto frequencies = logFrequencies(10.0, 22000.0, 5);
  ASSERT_EQ(frequencies.size(), 5u);
  EXPECT_DOUBLE_EQ(frequencies.front(), 10.0);
  EXPECT_NEAR(frequencies.back(), 22000.0, 1e-9);
  EXPECT_NEAR(frequencies[1] / frequencies[0], frequencies[4] / frequencies[3], 1e-12);
}

TEST(ResponseCommand, PlotsOneCurvePerProgramAndWritesTheNumbers) {
  testing::TempFolder folder;
  std::ostringstream out, err;
  const std::string png = folder.file("r.png"), csv = folder.file("r.csv");
  ASSERT_EQ(runCommandLine({"response", testing::testPluginPath("faulty_none"), "--all-programs", "--png", png, "--csv",
                            csv, "--points", "50", "--rate", "44100"},
                           out, err),
            kExitOk)
      << err.str();
  EXPECT_NE(out.str().find("(3 curves)"), std::string::npos) << out.str();
  std::ifstream plot(png, std::ios::binary);
  char signature[8] = {};
  plot.read(signature, 8);
  EXPECT_EQ(std::string(signature + 1, 3), "PNG");
  std::ifstream numbers(csv);
  std::string header;
  std::getline(numbers, header);
  EXPECT_EQ(header,
            "frequency_hz,\"0 Open dB\",\"0 Open degrees\",\"1 Warm dB\",\"1 Warm degrees\",\"2 Dark dB\","
            "\"2 Dark degrees\"");
  int rows = 0;
  for (std::string line; std::getline(numbers, line);) ++rows;
  EXPECT_EQ(rows, 50);

  std::ostringstream out2, err2;
  EXPECT_EQ(runCommandLine({"response", testing::testPluginPath("faulty_nan"), "--csv", csv}, out2, err2),
            kExitPluginFault);
  EXPECT_EQ(
      runCommandLine({"response", testing::testPluginPath("faulty_none"), "--program", "9", "--csv", csv}, out2, err2),
      kExitState);
}

}  // namespace
}  // namespace sorvane::host
