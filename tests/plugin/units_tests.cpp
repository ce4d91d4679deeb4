// The units model against what the products really do: every printed
// position of every stepped knob shows, types and plays as the band reads
// it; gains on the printed scale; switch words against the bands' and the
// effect's own readings; typed text, sensible and not.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "dsp/cut_filters.h"
#include "dsp/pallido_bands.h"
#include "dsp/tessaro_bands.h"
#include "plugin/units.h"
#include "tests/plugin/product_fixture.h"

namespace sorvane::testing {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kRate = 44100.0f;

using Fingerprint = std::vector<double>;

template <int N>
Fingerprint fingerprint(const dsp::CoefficientSet<N>& set) {
  Fingerprint f{set.a0, set.outputGain};
  f.insert(f.end(), set.a.begin(), set.a.end());
  f.insert(f.end(), set.b.begin(), set.b.end());
  return f;
}

// What a stepped knob's band plays at a value (its coefficients, the other
// knobs of the band held where they do not hide the switch), and what it
// plays switched off.
struct FrequencyProbe {
  int index;
  std::function<Fingerprint(float)> band;
  Fingerprint off;
};

// Whether a switch's band reads a value as on (Hi-Q, peak).
struct SwitchProbe {
  int index;
  std::function<bool(float)> on;
};

template <class Product>
struct Probes;

template <>
struct Probes<tessaro::Product> {
  static std::vector<FrequencyProbe> frequencies() {
    using namespace dsp::tessaro;
    const Fingerprint identity = fingerprint(dsp::CoefficientSet<3>::identity());
    // Each shelf with the other one out, so that it is off exactly where its
    // own switch is.
    const Fingerprint stageOut = fingerprint(dsp::CoefficientSet<4>::invertedBypass());
    return {
        {1, [](float v) { return fingerprint(computeHighCut(v, kRate)); }, identity},
        {2, [](float v) { return fingerprint(computeHighLow(v, 0.8f, 0.0f, 0.5f, kRate)); }, stageOut},
        {4, [](float v) { return fingerprint(computeMid(v, 0.0f, 0.8f, kRate)); },
         fingerprint(dsp::CoefficientSet<2>::invertedBypass())},
        {7, [](float v) { return fingerprint(computeHighLow(0.0f, 0.5f, v, 0.8f, kRate)); }, stageOut},
        {9, [](float v) { return fingerprint(computeLowCut(v, kRate)); }, identity},
    };
  }
  static std::vector<SwitchProbe> switches() {
    return {{5, [](float q) { return dsp::tessaro::midComponents(0.5f, q, 0.8f, kRate).rq == 2700.0; }}};
  }
};

template <>
struct Probes<pallido::Product> {
  static std::vector<FrequencyProbe> frequencies() {
    using namespace dsp::pallido;
    const Fingerprint identity = fingerprint(dsp::CoefficientSet<3>::identity());
    const Fingerprint shelfOff = fingerprint(dsp::CoefficientSet<3>::invertedBypass());
    const Fingerprint midOff = fingerprint(dsp::CoefficientSet<2>::invertedBypass());
    return {
        {1, [](float v) { return fingerprint(computeHighCut(v, kRate)); }, identity},
        {2, [](float v) { return fingerprint(computeHighShelf(v, 0.0f, 0.8f, kRate)); }, shelfOff},
        {5, [](float v) { return fingerprint(computeHighMid(v, 0.0f, 0.8f, kRate)); }, midOff},
        {8, [](float v) { return fingerprint(computeLowMid(v, 0.0f, 0.8f, kRate)); }, midOff},
        {11, [](float v) { return fingerprint(computeLowShelf(v, 0.0f, 0.8f, kRate)); }, shelfOff},
        {14, [](float v) { return fingerprint(computeLowCut(v, kRate)); }, identity},
    };
  }
  static std::vector<SwitchProbe> switches() {
    using namespace dsp::pallido;
    return {
        {3, peakSwitchOn},
        {6, [](float q) { return highMidDamping(q) == 4300.0; }},
        {9, [](float q) { return lowMidDamping(q) == 0.0; }},
        {12, peakSwitchOn},
    };
  }
};

std::string textOf(const ParameterUnits& units, int index, float value) {
  char text[kValueTextCapacity];
  EXPECT_TRUE(units.format(index, value, text)) << "parameter " << index << " at " << value;
  return text;
}

std::string positionTextOf(const ParameterUnits& units, int index, int position) {
  char text[kValueTextCapacity];
  EXPECT_TRUE(units.positionText(index, position, text)) << "parameter " << index << " position " << position;
  return text;
}

// Values on and around every bound of a switch, a fine grid, and what no
// knob sends but a host might.
std::vector<float> valuesAcross(const dsp::SteppedSwitch& bandSwitch) {
  std::vector<float> values{-0.0f, -1e-30f, -0.5f, -kInf, 1.0f, 1.5f, 7.0f, kInf, kNaN, 1e-45f};
  for (int i = 0; i <= 1000; ++i) values.push_back(static_cast<float>(i) / 1000.0f);
  for (float bound : bandSwitch.bounds) {
    values.push_back(bound);
    values.push_back(std::nextafter(bound, -1.0f));
    values.push_back(std::nextafter(bound, 2.0f));
  }
  return values;
}

template <class Product>
class Units : public ProductTest<Product> {
 protected:
  const ParameterUnits units = unitsOf<Product>();
  const PrintedScale& printedScaleOf(int index) {
    for (const PrintedScale& scale : Product::kPrintedScales)
      if (scale.parameter == index) return scale;
    throw std::logic_error("no printed scale");
  }
  std::vector<int> parametersOf(ScaleKind kind) {
    std::vector<int> indices;
    for (int i = 0; i < Product::kParameterCount; ++i)
      if (Product::kParameters[i].scale.kind == kind) indices.push_back(i);
    return indices;
  }
};
TYPED_TEST_SUITE(Units, Products);

TYPED_TEST(Units, EveryPrintedPositionShowsTypesAndPlaysAsItsClickValue) {
  const auto probes = Probes<TypeParam>::frequencies();
  ASSERT_EQ(probes.size(), static_cast<size_t>(TypeParam::kSteppedKnobCount));
  EXPECT_EQ(this->parametersOf(ScaleKind::SteppedFrequency).size(), probes.size());
  for (const FrequencyProbe& probe : probes) {
    const PrintedScale& scale = this->printedScaleOf(probe.index);
    const dsp::SteppedSwitch& bandSwitch = *TypeParam::kParameters[probe.index].scale.frequencySwitch;
    const int n = scale.count();
    // One printed position for the off setting and for each position.
    ASSERT_EQ(n, bandSwitch.positionCount() + 1) << "parameter " << probe.index;
    ASSERT_EQ(this->units.positionCount(probe.index), n);
    EXPECT_EQ(this->units.unit(probe.index), Unit::Hertz);
    std::vector<Fingerprint> played;
    double previousHertz = 0.0;
    for (int i = 0; i < n; ++i) {
      const std::string label = scale.labels[static_cast<size_t>(i)];
      const float value = steppedPositionValue(i, n);
      EXPECT_EQ(this->units.positionValue(probe.index, i), value);
      const std::string text = textOf(this->units, probe.index, value);
      EXPECT_EQ(text, positionTextOf(this->units, probe.index, i));
      EXPECT_EQ(this->units.positionOf(probe.index, value), i);
      EXPECT_EQ(this->units.parse(probe.index, text), value) << text;
      EXPECT_EQ(this->units.parse(probe.index, label), value) << label << " as printed";

      played.push_back(probe.band(value));
      const bool off = played.back() == probe.off;
      EXPECT_EQ(off, label == "OFF") << "parameter " << probe.index << " position " << i;
      EXPECT_EQ(off, dsp::switchSetting(bandSwitch, value) == 0);
      if (off) {
        EXPECT_EQ(text, "OFF");
      } else {
        // "4.6k" shows as "4.6 kHz", "40" as "40 Hz", and frequencies rise
        // along the scale.
        const bool kilo = label.back() == 'k';
        EXPECT_EQ(text, kilo ? label.substr(0, label.size() - 1) + " kHz" : label + " Hz");
        const double hertz = std::stod(label) * (kilo ? 1000.0 : 1.0);
        EXPECT_GT(hertz, previousHertz) << label;
        previousHertz = hertz;
      }
    }
    for (int i = 0; i < n; ++i)
      for (int j = i + 1; j < n; ++j)
        EXPECT_NE(played[i], played[j]) << "parameter " << probe.index << " positions " << i << " and " << j;
  }
}

TYPED_TEST(Units, AnyValueShowsThePositionItsBandPlays) {
  for (const FrequencyProbe& probe : Probes<TypeParam>::frequencies()) {
    for (float value : valuesAcross(*TypeParam::kParameters[probe.index].scale.frequencySwitch)) {
      const int position = this->units.positionOf(probe.index, value);
      ASSERT_GE(position, 0) << "parameter " << probe.index << " at " << value;
      EXPECT_EQ(probe.band(value), probe.band(*this->units.positionValue(probe.index, position)))
          << "parameter " << probe.index << " at " << value << " shows position " << position;
      EXPECT_EQ(textOf(this->units, probe.index, value), positionTextOf(this->units, probe.index, position));
    }
  }
}

TYPED_TEST(Units, SwitchWordsFollowTheBandsAndTheEffectsOwnReading) {
  const float values[] = {0.0f, -0.0f, 1.0f, 0.5f, 1e-45f, -1.0f, 2.0f, kNaN, kInf, -kInf};
  std::vector<SwitchProbe> probes = Probes<TypeParam>::switches();
  auto& effect = *this->effect;
  probes.push_back({TypeParam::kOnOffIndex, [&effect](float v) {
                      effect.setParameter(TypeParam::kOnOffIndex, v);
                      return !effect.isProcessingOn();
                    }});
  probes.push_back({TypeParam::kPhaseIndex, [&effect](float v) {
                      effect.setParameter(TypeParam::kPhaseIndex, v);
                      return effect.getPhaseFactor() == -1.0;
                    }});
  EXPECT_EQ(probes.size(),
            this->parametersOf(ScaleKind::Bandwidth).size() + this->parametersOf(ScaleKind::Peak).size() + 2);
  for (const SwitchProbe& probe : probes) {
    ASSERT_EQ(this->units.positionCount(probe.index), 2);
    EXPECT_EQ(this->units.unit(probe.index), Unit::None);
    for (float value : values)
      EXPECT_EQ(this->units.positionOf(probe.index, value), probe.on(value) ? 1 : 0)
          << "parameter " << probe.index << " at " << value;
    for (int position = 0; position < 2; ++position) {
      EXPECT_EQ(this->units.positionValue(probe.index, position), static_cast<float>(position));
      const std::string text = positionTextOf(this->units, probe.index, position);
      EXPECT_EQ(textOf(this->units, probe.index, static_cast<float>(position)), text);
      EXPECT_EQ(this->units.parse(probe.index, text), static_cast<float>(position)) << text;
    }
  }

  const struct {
    ScaleKind kind;
    const char* atZero;
    const char* atOne;
  } words[] = {
      {ScaleKind::Bandwidth, "Normal", "Hi-Q"},
      {ScaleKind::Peak, "Shelf", "Peak"},
      {ScaleKind::OnOff, "On", "Off"},
      {ScaleKind::Phase, "0\u00b0", "180\u00b0"},
  };
  for (const auto& w : words)
    for (int index : this->parametersOf(w.kind)) {
      EXPECT_EQ(textOf(this->units, index, 0.0f), w.atZero);
      EXPECT_EQ(textOf(this->units, index, 1.0f), w.atOne);
    }
}

TYPED_TEST(Units, GainsShowThePrintedScaleInTenthsWithoutMinusZero) {
  const std::vector<int> gains = this->parametersOf(ScaleKind::Decibels);
  EXPECT_EQ(gains.size(), TypeParam::kParameterCount == 12 ? 4u : 5u);
  const auto at = [](double decibels) { return static_cast<float>((decibels + 20.0) / 40.0); };
  const struct {
    float value;
    const char* text;
  } cases[] = {
      {0.0f, "-20.0 dB"},
      {1.0f, "+20.0 dB"},
      {0.5f, "0.0 dB"},
      {at(3.5), "+3.5 dB"},
      {0.25f, "-10.0 dB"},
      {std::nextafter(0.5f, 0.0f), "0.0 dB"},
      {at(-0.04), "0.0 dB"},
      // Halves go away from zero: +-1.25 dB are exact.
      {15.0f / 32.0f, "-1.3 dB"},
      {17.0f / 32.0f, "+1.3 dB"},
      // The float nearest -0.05 dB lies just above it, the next one down
      // just below.
      {at(-0.05), "0.0 dB"},
      {std::nextafter(at(-0.05), 0.0f), "-0.1 dB"},
      {at(0.06), "+0.1 dB"},
      // As the bands and Output read them: held to the scale, NaN centred.
      {1.5f, "+20.0 dB"},
      {kInf, "+20.0 dB"},
      {-1.0f, "-20.0 dB"},
      {kNaN, "0.0 dB"},
  };
  for (int index : gains) {
    EXPECT_EQ(this->units.unit(index), Unit::Decibels);
    EXPECT_EQ(this->units.positionCount(index), 0);
    EXPECT_EQ(this->units.positionOf(index, 0.5f), -1);
    const std::optional<DecibelRange> range = this->units.decibelRange(index);
    ASSERT_TRUE(range);
    EXPECT_EQ(range->minimum, -20.0f);
    EXPECT_EQ(range->maximum, 20.0f);
    for (const auto& c : cases) EXPECT_EQ(textOf(this->units, index, c.value), c.text) << "at " << c.value;
    // Every tenth of the scale reads back as itself.
    for (int tenths = -200; tenths <= 200; ++tenths) {
      char typed[32];
      std::snprintf(typed, sizeof typed, "%s%d.%d dB",
                    tenths > 0   ? "+"
                    : tenths < 0 ? "-"
                                 : "",
                    std::abs(tenths) / 10, std::abs(tenths) % 10);
      const std::optional<float> value = this->units.parse(index, typed);
      ASSERT_TRUE(value) << typed;
      EXPECT_EQ(textOf(this->units, index, *value), typed);
    }
  }
  for (int i = 0; i < TypeParam::kParameterCount; ++i)
    if (this->units.unit(i) != Unit::Decibels) {
      EXPECT_FALSE(this->units.decibelRange(i)) << "parameter " << i;
    }

  // Output's text is the level its gain really has, to the tenth.
  for (int step = 0; step <= 400; ++step) {
    const float value = static_cast<float>(step) / 400.0f;
    const double decibels = 20.0 * std::log10(static_cast<double>(outputGainFor(value)));
    const std::string text = textOf(this->units, TypeParam::kOutputIndex, value);
    EXPECT_NEAR(std::stod(text), decibels, 0.05 + 1e-4) << text;
  }
}

TYPED_TEST(Units, TextThatMeansNoValueChangesNothing) {
  const std::string longDigits(10000, '9');
  const std::string longLetters(10000, 'a');
  const std::string longSpaces = std::string(10000, ' ') + "1" + std::string(10000, ' ');
  const std::string_view withNul("3\0", 2);
  const std::string_view texts[] = {
      "",  "   ", "nan",       "NaN",    "inf",  "-inf", "infinity", "abc",   "3.5.1",    "1e3",       "--3",      "+",
      ".", "-",   "3.5 dB dB", "on off", "0x10", "1,5",  "½",        withNul, longDigits, longLetters, "90\u00b0",
  };
  for (int index = 0; index < TypeParam::kParameterCount; ++index)
    for (std::string_view text : texts)
      EXPECT_FALSE(this->units.parse(index, text)) << "parameter " << index << ": \"" << text.substr(0, 20) << "\"";
  // Surrounding spaces are ignored, but no field holds this many.
  EXPECT_EQ(this->units.parse(TypeParam::kOutputIndex, "  1 "), 0.525f);
  EXPECT_FALSE(this->units.parse(TypeParam::kOutputIndex, longSpaces));
  // An index outside the table has nothing at all.
  for (int index : {-1, TypeParam::kParameterCount}) {
    char text[kValueTextCapacity] = "x";
    EXPECT_FALSE(this->units.format(index, 0.5f, text));
    EXPECT_STREQ(text, "");
    EXPECT_FALSE(this->units.parse(index, "0"));
    EXPECT_EQ(this->units.positionCount(index), 0);
    EXPECT_EQ(this->units.positionOf(index, 0.5f), -1);
    EXPECT_FALSE(this->units.positionValue(index, 0));
    EXPECT_EQ(this->units.unit(index), Unit::None);
  }
}

TEST(Units, TypedTextReadsNumbersUnitsAndWordsInAnyCase) {
  const ParameterUnits tessaro = unitsOf<tessaro::Product>();
  const ParameterUnits pallido = unitsOf<pallido::Product>();
  const auto position = [](int i, int n) -> std::optional<float> { return steppedPositionValue(i, n); };
  constexpr int kHighFreq = 2, kHighCut = 1, kHighGain = 3, kQ = 5, kOnOff = 0, kPhase = 10;
  const struct {
    const ParameterUnits& units;
    int index;
    const char* text;
    std::optional<float> value;
  } cases[] = {
      // Tessaro's high shelf: OFF, 3.5k, 4.6k, 8.5k.
      {tessaro, kHighFreq, "4.6k", position(2, 4)},
      {tessaro, kHighFreq, "4600", position(2, 4)},
      {tessaro, kHighFreq, "4.6 kHz", position(2, 4)},
      {tessaro, kHighFreq, " 4.6KHZ ", position(2, 4)},
      {tessaro, kHighFreq, "OFF", position(0, 4)},
      {tessaro, kHighFreq, "\toff ", position(0, 4)},
      // The nearest on a logarithmic scale: 4 kHz is nearer 3.5k, 4.1 kHz nearer 4.6k.
      {tessaro, kHighFreq, "4k", position(1, 4)},
      {tessaro, kHighFreq, "4.1k", position(2, 4)},
      {tessaro, kHighFreq, "1", position(1, 4)},
      {tessaro, kHighFreq, "99999999", position(3, 4)},
      {tessaro, kHighFreq, "0", std::nullopt},
      {tessaro, kHighFreq, "-4.6k", std::nullopt},
      {tessaro, kHighFreq, "4.6 dB", std::nullopt},
      {tessaro, kHighFreq, "4.6kk", std::nullopt},
      // The high cut's OFF is its last printed position.
      {tessaro, kHighCut, "off", 1.0f},
      {tessaro, kHighCut, "18k", position(4, 6)},
      {tessaro, kHighCut, "6000", position(0, 6)},
      // Pallido's low mid has a "1k".
      {pallido, 8, "1k", position(9, 11)},
      {pallido, 8, "1000", position(9, 11)},
      // Gains: with or without sign and unit, held to the scale.
      {tessaro, kHighGain, "3.5", 0.5875f},
      {tessaro, kHighGain, "+3.5 dB", 0.5875f},
      {tessaro, kHighGain, "-6db", 0.35f},
      {tessaro, kHighGain, " -6 DB ", 0.35f},
      {tessaro, kHighGain, "0", 0.5f},
      {tessaro, kHighGain, ".5", 0.5125f},
      {tessaro, kHighGain, "+25 dB", 1.0f},
      {tessaro, kHighGain, "-100", 0.0f},
      {tessaro, kHighGain, "3.5 kHz", std::nullopt},
      {tessaro, kHighGain, "dB", std::nullopt},
      // Switches: their own words, on / off, and 1 / 0 for the band switches.
      {tessaro, kQ, "hi-q", 1.0f},
      {tessaro, kQ, "on", 1.0f},
      {tessaro, kQ, "1", 1.0f},
      {tessaro, kQ, "normal", 0.0f},
      {tessaro, kQ, "Off", 0.0f},
      {tessaro, kQ, "0", 0.0f},
      {tessaro, kQ, "peak", std::nullopt},
      {pallido, 3, "PEAK", 1.0f},
      {pallido, 3, "1", 1.0f},
      {pallido, 3, "shelf", 0.0f},
      {pallido, 3, "hi-q", std::nullopt},
      {pallido, 6, "Hi-Q", 1.0f},
      // On / Off: 0.0 is on, so a bare number would be a trap.
      {tessaro, kOnOff, "ON", 0.0f},
      {tessaro, kOnOff, "in", 0.0f},
      {tessaro, kOnOff, "off", 1.0f},
      {tessaro, kOnOff, "bypass", 1.0f},
      {tessaro, kOnOff, "1", std::nullopt},
      {tessaro, kOnOff, "0", std::nullopt},
      // Phase: degrees as printed, with or without the sign.
      {tessaro, kPhase, "0\u00b0", 0.0f},
      {tessaro, kPhase, "0", 0.0f},
      {tessaro, kPhase, "0 deg", 0.0f},
      {tessaro, kPhase, "180\u00b0", 1.0f},
      {tessaro, kPhase, "180", 1.0f},
      {tessaro, kPhase, "Inverted", 1.0f},
      {pallido, 15, "180", 1.0f},
      {tessaro, kPhase, "1", std::nullopt},
      {tessaro, kPhase, "-180", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(c.units.parse(c.index, c.text), c.value) << c.index << ": \"" << c.text << "\"";

  // Only the text's own characters count: a view into a longer buffer.
  const char buffer[] = "4.6kHz and more";
  EXPECT_EQ(tessaro.parse(kHighFreq, std::string_view(buffer, 4)), position(2, 4));
  const char gain[] = "+3.5 dBm";
  EXPECT_EQ(tessaro.parse(kHighGain, std::string_view(gain, 7)), 0.5875f);
  EXPECT_FALSE(tessaro.parse(kHighGain, gain));
}

TEST(Units, TextsGoIntoTheCallersBufferWholeOrNotAtAll) {
  const ParameterUnits units = unitsOf<pallido::Product>();
  char exact[sizeof "-20.0 dB"];
  EXPECT_TRUE(units.format(16, 0.0f, exact));
  EXPECT_STREQ(exact, "-20.0 dB");
  char small[sizeof "-20.0 dB" - 1] = "x";
  EXPECT_FALSE(units.format(16, 0.0f, small));
  EXPECT_STREQ(small, "");
  EXPECT_FALSE(units.format(16, 0.0f, std::span<char>()));
  char label[4];
  EXPECT_FALSE(units.positionText(2, 3, label)) << "\"2.3 kHz\" needs eight bytes";
  EXPECT_STREQ(label, "");
  EXPECT_TRUE(units.positionText(2, 0, label));
  EXPECT_STREQ(label, "OFF");

  EXPECT_STREQ(unitSymbol(Unit::Hertz), "Hz");
  EXPECT_STREQ(unitSymbol(Unit::Decibels), "dB");
  EXPECT_STREQ(unitSymbol(Unit::None), "");
}

}  // namespace
}  // namespace sorvane::testing
