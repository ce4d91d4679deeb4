#include "tools/sorvane-host/response_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace sorvane::host {

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 840;
constexpr int kPlotLeft = 78;
constexpr int kPlotRight = 940;
constexpr int kMagnitudeTop = 70;
constexpr int kMagnitudeBottom = 560;
constexpr int kPhaseTop = 622;
constexpr int kPhaseBottom = 792;
constexpr int kLegendLeft = 965;

const Rgb kBackground{255, 255, 255};
const Rgb kGridMajor{200, 200, 205};
const Rgb kGridMinor{232, 232, 236};
const Rgb kZeroLine{140, 140, 150};
const Rgb kInk{30, 30, 35};
const Rgb kFaintInk{90, 90, 100};

// Twelve colours that stay apart from each other on white.
const Rgb kPalette[] = {{31, 119, 180},  {214, 39, 40},  {44, 160, 44},  {255, 127, 14}, {148, 103, 189}, {140, 86, 75},
                        {227, 119, 194}, {23, 190, 207}, {188, 189, 34}, {0, 0, 0},      {127, 127, 127}, {0, 90, 60}};

double xForFrequency(double frequency) {
  const double position = std::log(frequency / kPlotLowHz) / std::log(kPlotHighHz / kPlotLowHz);
  return kPlotLeft + position * (kPlotRight - kPlotLeft);
}

double yForValue(double value, double bottom, double top, int pixelTop, int pixelBottom) {
  return pixelBottom - (value - bottom) / (top - bottom) * (pixelBottom - pixelTop);
}

std::string frequencyLabel(double frequency) {
  char text[16];
  if (frequency >= 1000.0) {
    std::snprintf(text, sizeof text, "%gk", frequency / 1000.0);
  } else {
    std::snprintf(text, sizeof text, "%g", frequency);
  }
  return text;
}

void drawFrequencyGrid(Raster& raster, int top, int bottom, bool labels) {
  for (double decade = 10.0; decade <= 10000.0; decade *= 10.0) {
    for (int multiple = 1; multiple <= 9; ++multiple) {
      const double frequency = decade * multiple;
      if (frequency > kPlotHighHz) break;
      const double x = std::round(xForFrequency(frequency)) + 0.5;
      raster.line(x, top, x, bottom, 1.0, multiple == 1 ? kGridMajor : kGridMinor);
      if (labels && (multiple == 1 || multiple == 2 || multiple == 5)) {
        const std::string label = frequencyLabel(frequency);
        raster.text(static_cast<int>(x) - Raster::textWidth(label, 2) / 2, bottom + 8, label, 2, kFaintInk);
      }
    }
  }
}

void drawCurves(Raster& raster, const std::vector<ResponseCurve>& curves, bool phase, double bottom, double top,
                int pixelTop, int pixelBottom) {
  raster.setClip(kPlotLeft, pixelTop, kPlotRight + 1, pixelBottom + 1);
  for (size_t c = 0; c < curves.size(); ++c) {
    const auto& curve = curves[c];
    const Rgb colour = kPalette[c % std::size(kPalette)];
    const auto& values = phase ? curve.phaseDegrees : curve.magnitudeDb;
    for (size_t i = 1; i < curve.frequencies.size() && i < values.size(); ++i) {
      // A phase wrap from +180 to -180 is no line across the panel.
      if (phase && std::abs(values[i] - values[i - 1]) > 180.0) continue;
      const double clampedA = std::clamp(values[i - 1], bottom - 1000.0, top + 1000.0);
      const double clampedB = std::clamp(values[i], bottom - 1000.0, top + 1000.0);
      raster.line(xForFrequency(curve.frequencies[i - 1]), yForValue(clampedA, bottom, top, pixelTop, pixelBottom),
                  xForFrequency(curve.frequencies[i]), yForValue(clampedB, bottom, top, pixelTop, pixelBottom),
                  phase ? 1.5 : 2.2, colour);
    }
  }
  raster.clearClip();
}

}  // namespace

DbRange chooseDbRange(const std::vector<ResponseCurve>& curves) {
  double lowest = 0.0, highest = 0.0;
  for (const auto& curve : curves) {
    for (size_t i = 0; i < curve.frequencies.size() && i < curve.magnitudeDb.size(); ++i) {
      if (curve.frequencies[i] < kPlotLowHz || curve.frequencies[i] > kPlotHighHz) continue;
      if (!std::isfinite(curve.magnitudeDb[i])) continue;
      lowest = std::min(lowest, curve.magnitudeDb[i]);
      highest = std::max(highest, curve.magnitudeDb[i]);
    }
  }
  DbRange range;
  const double span = std::max(highest, 12.0) - std::max(std::min(lowest, -12.0), -60.0);
  range.step = span > 48.0 ? 12.0 : 6.0;
  range.top = std::max(12.0, std::ceil((highest + 1.0) / range.step) * range.step);
  range.bottom = std::min(-12.0, std::floor((std::max(lowest, -60.0) - 1.0) / range.step) * range.step);
  return range;
}

Raster drawResponsePlot(const std::vector<ResponseCurve>& curves, const std::string& title) {
  Raster raster(kWidth, kHeight, kBackground);
  // Centred over the panels when it fits there, else over the whole image.
  const int titleScale = Raster::textWidth(title, 3) <= kWidth - 20 ? 3 : 2;
  const int titleWidth = Raster::textWidth(title, titleScale);
  const int titleCentre = titleWidth <= kPlotRight - kPlotLeft ? (kPlotLeft + kPlotRight) / 2 : kWidth / 2;
  raster.text(std::max(4, titleCentre - titleWidth / 2), 20, title, titleScale, kInk);

  // Magnitude panel.
  const DbRange range = chooseDbRange(curves);
  drawFrequencyGrid(raster, kMagnitudeTop, kMagnitudeBottom, true);
  for (double level = range.bottom; level <= range.top + 1e-9; level += range.step) {
    const double y = std::round(yForValue(level, range.bottom, range.top, kMagnitudeTop, kMagnitudeBottom)) + 0.5;
    raster.line(kPlotLeft, y, kPlotRight, y, 1.0, level == 0.0 ? kZeroLine : kGridMajor);
    char label[16];
    std::snprintf(label, sizeof label, "%+.0f", level);
    const std::string text = level == 0.0 ? "0" : label;
    raster.text(kPlotLeft - 8 - Raster::textWidth(text, 2), static_cast<int>(y) - 7, text, 2, kFaintInk);
  }
  raster.text(kPlotLeft - 8 - Raster::textWidth("dB", 2), kMagnitudeTop - 24, "dB", 2, kInk);
  drawCurves(raster, curves, false, range.bottom, range.top, kMagnitudeTop, kMagnitudeBottom);

  // Phase panel.
  drawFrequencyGrid(raster, kPhaseTop, kPhaseBottom, true);
  for (int degrees = -180; degrees <= 180; degrees += 90) {
    const double y = std::round(yForValue(degrees, -180.0, 180.0, kPhaseTop, kPhaseBottom)) + 0.5;
    raster.line(kPlotLeft, y, kPlotRight, y, 1.0, degrees == 0 ? kZeroLine : kGridMajor);
    const std::string text = std::to_string(degrees);
    raster.text(kPlotLeft - 8 - Raster::textWidth(text, 2), static_cast<int>(y) - 7, text, 2, kFaintInk);
  }
  raster.text(kPlotLeft, kPhaseTop - 22, "phase (degrees)", 2, kInk);
  drawCurves(raster, curves, true, -180.0, 180.0, kPhaseTop, kPhaseBottom);
  raster.text(kPlotRight - Raster::textWidth("Hz", 2), kPhaseBottom + 26, "Hz", 2, kInk);

  // Frames around both panels.
  for (auto [top, bottom] : {std::pair{kMagnitudeTop, kMagnitudeBottom}, std::pair{kPhaseTop, kPhaseBottom}}) {
    raster.line(kPlotLeft, top + 0.5, kPlotRight, top + 0.5, 1.0, kFaintInk);
    raster.line(kPlotLeft, bottom + 0.5, kPlotRight, bottom + 0.5, 1.0, kFaintInk);
    raster.line(kPlotLeft + 0.5, top, kPlotLeft + 0.5, bottom, 1.0, kFaintInk);
    raster.line(kPlotRight + 0.5, top, kPlotRight + 0.5, bottom, 1.0, kFaintInk);
  }

  // Legend: a colour swatch and the label, names cut to fit the column.
  const int rowHeight = 26;
  for (size_t c = 0; c < curves.size(); ++c) {
    const int y = kMagnitudeTop + 6 + static_cast<int>(c) * rowHeight;
    if (y + rowHeight > kHeight) break;
    const Rgb colour = kPalette[c % std::size(kPalette)];
    raster.line(kLegendLeft, y + 7, kLegendLeft + 26, y + 7, 3.0, colour);
    std::string label = curves[c].label;
    const size_t maxCharacters = (kWidth - kLegendLeft - 40) / 12;
    if (label.size() > maxCharacters) label = label.substr(0, maxCharacters - 2) + "..";
    raster.text(kLegendLeft + 34, y, label, 2, kInk);
  }
  return raster;
}

bool writeResponseCsv(const std::string& path, const std::vector<ResponseCurve>& curves, std::string& error) {
  std::ofstream file(path, std::ios::trunc);
  if (!file) {
    error = "cannot open '" + path + "' for writing";
    return false;
  }
  auto quoted = [](const std::string& text) {
    std::string result = "\"";
    for (char c : text) result += c == '"' ? std::string("\"\"") : std::string(1, c);
    return result + "\"";
  };
  file << "frequency_hz";
  for (const auto& curve : curves) {
    file << "," << quoted(curve.label + " dB") << "," << quoted(curve.label + " degrees");
  }
  file << "\n";
  const size_t rows = curves.empty() ? 0 : curves.front().frequencies.size();
  char number[32];
  for (size_t i = 0; i < rows; ++i) {
    std::snprintf(number, sizeof number, "%.4f", curves.front().frequencies[i]);
    file << number;
    for (const auto& curve : curves) {
      std::snprintf(number, sizeof number, ",%.4f", i < curve.magnitudeDb.size() ? curve.magnitudeDb[i] : 0.0);
      file << number;
      std::snprintf(number, sizeof number, ",%.3f", i < curve.phaseDegrees.size() ? curve.phaseDegrees[i] : 0.0);
      file << number;
    }
    file << "\n";
  }
  if (!file.flush()) {
    error = "cannot write '" + path + "'";
    return false;
  }
  return true;
}

}  // namespace sorvane::host
