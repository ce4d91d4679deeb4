#include "plugin/units.h"

#include <algorithm>
#include <cmath>

namespace sorvane {
namespace {

// A typed field holds a few characters; any longer text, spaces included,
// means no value (and costs no more work than this).
constexpr std::size_t kMaxTypedLength = 64;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

// Equal but for the case of ASCII letters; other bytes (a UTF-8 degree
// sign) compare as they are.
bool sameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  return true;
}

// A number and what follows it: an optional sign, then digits with at most
// one decimal point, at least one digit; the rest, spaces skipped, is the
// unit. Read without the C library so that a host's locale cannot change
// what "3.5" means; exponents, "inf" and "nan" are no numbers here.
struct Quantity {
  double number;
  std::string_view unit;
};

std::optional<Quantity> readQuantity(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  double mantissa = 0.0;
  double scale = 1.0;
  int digits = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      mantissa = mantissa * 10.0 + static_cast<double>(c - '0');
      if (point) scale *= 10.0;
      ++digits;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) return std::nullopt;
  // One division of two exact integers: "4.6" is the double nearest 4.6.
  const double number = mantissa / scale;
  return Quantity{negative ? -number : number, trimmed(text.substr(i))};
}

// The factor of a frequency unit: none and "Hz" count hertz, "k" and "kHz"
// kilohertz; nothing for any other unit.
std::optional<double> hertzPer(std::string_view unit) {
  if (unit.empty() || sameWord(unit, "hz")) return 1.0;
  if (sameWord(unit, "k") || sameWord(unit, "khz")) return 1000.0;
  return std::nullopt;
}

// The frequency a printed label names ("40", "4.6k"); nothing for "OFF".
std::optional<double> labelFrequency(std::string_view label) {
  const std::optional<Quantity> q = readQuantity(label);
  if (!q) return std::nullopt;
  const std::optional<double> factor = hertzPer(q->unit);
  if (!factor) return std::nullopt;
  return q->number * *factor;
}

// Writes into the caller's buffer, always leaving room for the NUL.
class TextOut {
 public:
  explicit TextOut(std::span<char> buffer) : buffer_(buffer) {}

  void append(std::string_view s) {
    for (char c : s) {
      if (used_ + 1 < buffer_.size())
        buffer_[used_++] = c;
      else
        fits_ = false;
    }
  }
  void appendInteger(long long n) {
    char digits[24];
    int count = 0;
    do {
      digits[count++] = static_cast<char>('0' + n % 10);
      n /= 10;
    } while (n > 0);
    while (count > 0) append(std::string_view(&digits[--count], 1));
  }
  // A text that did not fit is left empty, never cut short.
  bool finish() {
    if (buffer_.empty()) return false;
    buffer_[fits_ ? used_ : 0] = '\0';
    return fits_;
  }

 private:
  std::span<char> buffer_;
  std::size_t used_ = 0;
  bool fits_ = true;
};

// The printed gain scale. The band gains show the panel's printed scale
// position, not the boost their circuit measures: the circuits' tapers are
// not linear in dB and differ per band.
constexpr double kScaleMinimum = kGainScaleMinimum;
constexpr double kScaleMaximum = kGainScaleMaximum;

void writeDecibels(float value, TextOut& out) {
  const double decibels = kScaleMinimum + (kScaleMaximum - kScaleMinimum) * static_cast<double>(heldGainValue(value));
  // Tenths, halves away from zero. Whatever rounds to zero is "0.0 dB"
  // without a sign, so there is no "-0.0 dB" beside it.
  const long long tenths = std::llround(decibels * 10.0);
  if (tenths != 0) out.append(tenths > 0 ? "+" : "-");
  const long long magnitude = tenths < 0 ? -tenths : tenths;
  out.appendInteger(magnitude / 10);
  out.append(".");
  out.appendInteger(magnitude % 10);
  out.append(" dB");
}

std::optional<float> readDecibels(std::string_view text) {
  const std::optional<Quantity> q = readQuantity(text);
  if (!q || !(q->unit.empty() || sameWord(q->unit, "db"))) return std::nullopt;
  const double decibels = std::clamp(q->number, kScaleMinimum, kScaleMaximum);
  return static_cast<float>((decibels - kScaleMinimum) / (kScaleMaximum - kScaleMinimum));
}

// A two-state switch in words. State 0 is what value 0.0 plays, state 1
// what 1.0 plays.
struct WordScale {
  std::array<const char*, 2> shown;
  std::array<std::array<const char*, 3>, 2> alsoTyped;  // further words for each state; null ends
  bool typedAsNumbers;                                  // numbers[state] types that state
  std::array<double, 2> numbers;
  std::array<const char*, 2> numberUnits;  // units a number may carry besides none; null ends
  bool (*playsStateOne)(float value);      // the band's or the effect's reading
};

bool bandSwitchOn(float value) { return dsp::switchOn(value); }
bool effectSwitchMoved(float value) { return !effectSwitchAtRest(value); }

// "1" and "0" type the band switches (on and off); On / Off takes no numbers,
// since its 1.0 is "Off".
constexpr WordScale kBandwidthWords{
    {"Normal", "Hi-Q"}, {{{"off", "wide", nullptr}, {"on", "narrow", "hiq"}}}, true, {0.0, 1.0}, {nullptr, nullptr},
    bandSwitchOn};
constexpr WordScale kPeakWords{
    {"Shelf", "Peak"}, {{{"off", nullptr, nullptr}, {"on", nullptr, nullptr}}}, true, {0.0, 1.0}, {nullptr, nullptr},
    bandSwitchOn};
constexpr WordScale kOnOffWords{{"On", "Off"},
                                {{{"in", nullptr, nullptr}, {"out", "bypass", "bypassed"}}},
                                false,
                                {0.0, 0.0},
                                {nullptr, nullptr},
                                effectSwitchMoved};
constexpr WordScale kPhaseWords{{"0\u00b0", "180\u00b0"},
                                {{{"normal", nullptr, nullptr}, {"inverted", "invert", nullptr}}},
                                true,
                                {0.0, 180.0},
                                {"\u00b0", "deg"},
                                effectSwitchMoved};

const WordScale* wordsOf(ScaleKind kind) {
  switch (kind) {
    case ScaleKind::Bandwidth:
      return &kBandwidthWords;
    case ScaleKind::Peak:
      return &kPeakWords;
    case ScaleKind::OnOff:
      return &kOnOffWords;
    case ScaleKind::Phase:
      return &kPhaseWords;
    case ScaleKind::SteppedFrequency:
    case ScaleKind::Decibels:
      break;
  }
  return nullptr;
}

std::optional<int> readState(const WordScale& words, std::string_view text) {
  for (int state = 0; state < 2; ++state) {
    if (sameWord(text, words.shown[state])) return state;
    for (const char* word : words.alsoTyped[state])
      if (word && sameWord(text, word)) return state;
  }
  if (!words.typedAsNumbers) return std::nullopt;
  const std::optional<Quantity> q = readQuantity(text);
  if (!q) return std::nullopt;
  bool unitAccepted = q->unit.empty();
  for (const char* unit : words.numberUnits) unitAccepted = unitAccepted || (unit && sameWord(q->unit, unit));
  if (!unitAccepted) return std::nullopt;
  for (int state = 0; state < 2; ++state)
    if (q->number == words.numbers[state]) return state;
  return std::nullopt;
}

// Writes a printed label as a text: "4.6k" as "4.6 kHz", "40" as "40 Hz",
// a word ("OFF") as it is.
void writeLabel(std::string_view label, TextOut& out) {
  const std::optional<Quantity> q = readQuantity(label);
  const std::optional<double> factor = q ? hertzPer(q->unit) : std::nullopt;
  if (!factor) {
    out.append(label);
    return;
  }
  out.append(trimmed(label.substr(0, label.size() - q->unit.size())));
  out.append(*factor == 1.0 ? " Hz" : " kHz");
}

}  // namespace

const char* unitSymbol(Unit unit) {
  switch (unit) {
    case Unit::Hertz:
      return "Hz";
    case Unit::Decibels:
      return "dB";
    case Unit::None:
      break;
  }
  return "";
}

float steppedPositionValue(int position, int count) {
  const float step = count > 1 ? static_cast<float>(position) / static_cast<float>(count - 1) : 0.0f;
  const float v = step + 0.01f;
  return v > 1.0f ? 1.0f : v;
}

const ParameterInfo* ParameterUnits::row(int index) const {
  if (index < 0 || index >= parameterCount()) return nullptr;
  return &parameters_[static_cast<std::size_t>(index)];
}

const PrintedScale* ParameterUnits::printedScale(int index) const {
  for (const PrintedScale& scale : scales_)
    if (scale.parameter == index) return &scale;
  return nullptr;
}

Unit ParameterUnits::unit(int index) const {
  const ParameterInfo* r = row(index);
  if (!r) return Unit::None;
  switch (r->scale.kind) {
    case ScaleKind::SteppedFrequency:
      return Unit::Hertz;
    case ScaleKind::Decibels:
      return Unit::Decibels;
    default:
      return Unit::None;
  }
}

int ParameterUnits::positionCount(int index) const {
  const ParameterInfo* r = row(index);
  if (!r) return 0;
  if (r->scale.kind == ScaleKind::SteppedFrequency) {
    const PrintedScale* scale = printedScale(index);
    return scale && r->scale.frequencySwitch ? scale->count() : 0;
  }
  return wordsOf(r->scale.kind) ? 2 : 0;
}

std::optional<float> ParameterUnits::positionValue(int index, int position) const {
  const int count = positionCount(index);
  if (position < 0 || position >= count) return std::nullopt;
  if (row(index)->scale.kind == ScaleKind::SteppedFrequency) return steppedPositionValue(position, count);
  return static_cast<float>(position);
}

bool ParameterUnits::positionText(int index, int position, std::span<char> text) const {
  TextOut out(text);
  const int count = positionCount(index);
  if (position < 0 || position >= count) {
    out.finish();
    return false;
  }
  const ParameterInfo& r = *row(index);
  if (r.scale.kind == ScaleKind::SteppedFrequency)
    writeLabel(printedScale(index)->labels[static_cast<std::size_t>(position)], out);
  else
    out.append(wordsOf(r.scale.kind)->shown[static_cast<std::size_t>(position)]);
  return out.finish();
}

int ParameterUnits::positionOf(int index, float value) const {
  const int count = positionCount(index);
  if (count == 0) return -1;
  const ParameterInfo& r = *row(index);
  if (r.scale.kind != ScaleKind::SteppedFrequency) return wordsOf(r.scale.kind)->playsStateOne(value) ? 1 : 0;
  // The printed position whose own value the band reads as the same setting.
  const dsp::SteppedSwitch& bandSwitch = *r.scale.frequencySwitch;
  const int setting = dsp::switchSetting(bandSwitch, value);
  for (int position = 0; position < count; ++position)
    if (dsp::switchSetting(bandSwitch, steppedPositionValue(position, count)) == setting) return position;
  return -1;
}

bool ParameterUnits::format(int index, float value, std::span<char> text) const {
  const ParameterInfo* r = row(index);
  if (r && r->scale.kind == ScaleKind::Decibels) {
    TextOut out(text);
    writeDecibels(value, out);
    return out.finish();
  }
  return positionText(index, positionOf(index, value), text);
}

std::optional<float> ParameterUnits::parse(int index, std::string_view text) const {
  const ParameterInfo* r = row(index);
  if (!r || text.size() > kMaxTypedLength) return std::nullopt;
  text = trimmed(text);
  if (text.empty()) return std::nullopt;
  switch (r->scale.kind) {
    case ScaleKind::Decibels:
      return readDecibels(text);
    case ScaleKind::SteppedFrequency: {
      const int count = positionCount(index);
      if (count == 0) return std::nullopt;
      const PrintedScale& scale = *printedScale(index);
      if (sameWord(text, "off")) {
        for (int position = 0; position < count; ++position)
          if (dsp::switchSetting(*r->scale.frequencySwitch, steppedPositionValue(position, count)) == 0)
            return steppedPositionValue(position, count);
        return std::nullopt;
      }
      const std::optional<Quantity> q = readQuantity(text);
      const std::optional<double> factor = q ? hertzPer(q->unit) : std::nullopt;
      if (!factor) return std::nullopt;
      const double hertz = q->number * *factor;
      if (!(hertz > 0.0) || !std::isfinite(hertz)) return std::nullopt;
      int nearest = -1;
      double nearestDistance = 0.0;
      for (int position = 0; position < count; ++position) {
        const std::optional<double> printed = labelFrequency(scale.labels[static_cast<std::size_t>(position)]);
        if (!printed) continue;
        const double distance = std::fabs(std::log(hertz / *printed));
        if (nearest < 0 || distance < nearestDistance) {
          nearest = position;
          nearestDistance = distance;
        }
      }
      if (nearest < 0) return std::nullopt;
      return steppedPositionValue(nearest, count);
    }
    default: {
      const std::optional<int> state = readState(*wordsOf(r->scale.kind), text);
      if (!state) return std::nullopt;
      return static_cast<float>(*state);
    }
  }
}

std::optional<DecibelRange> ParameterUnits::decibelRange(int index) const {
  const ParameterInfo* r = row(index);
  if (!r || r->scale.kind != ScaleKind::Decibels) return std::nullopt;
  return DecibelRange{kGainScaleMinimum, kGainScaleMaximum};
}

}  // namespace sorvane
