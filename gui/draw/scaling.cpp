#include "gui/draw/scaling.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace sorvane {
namespace {

std::int64_t floorDiv(std::int64_t a, std::int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
std::int64_t ceilDiv(std::int64_t a, std::int64_t b) { return -floorDiv(-a, b); }

int clampToInt(std::int64_t v) { return static_cast<int>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX)); }

// The set pixels under one window pixel along one axis, with their share of
// it (the shares add up to the set factor).
struct Taps {
  std::array<int, 4> index{};
  std::array<int, 4> weight{};
  int count = 0;
};

std::vector<Taps> axisTaps(int panelLength, int setFactor, int percent) {
  std::vector<Taps> taps;
  taps.reserve(static_cast<size_t>(std::max(0, scaleToWindow(panelLength, percent))));
  const std::int64_t s = setFactor;
  for (int k = 0; k < panelLength; ++k) {
    const std::int64_t n = scaleToWindow(k + 1, percent) - scaleToWindow(k, percent);
    // In units of 1/n set pixel: panel pixel k is s × n of them, window
    // pixel t of its n takes s of them, set pixel i spans [i n, (i + 1) n).
    for (std::int64_t t = 0; t < n; ++t) {
      const std::int64_t low = s * k * n + t * s, high = low + s;
      Taps out;
      for (std::int64_t i = low / n; i * n < high && out.count < 4; ++i) {
        const std::int64_t share = std::min(high, (i + 1) * n) - std::max(low, i * n);
        out.index[static_cast<size_t>(out.count)] = static_cast<int>(i);
        out.weight[static_cast<size_t>(out.count)] = static_cast<int>(share);
        ++out.count;
      }
      taps.push_back(out);
    }
  }
  return taps;
}

}  // namespace

bool isEditorScale(int percent) {
  return std::find(std::begin(kEditorScales), std::end(kEditorScales), percent) != std::end(kEditorScales);
}

int nearestEditorScale(double factor) {
  if (!std::isfinite(factor) || factor <= 0.0 || factor > 8.0) return 0;
  const double wanted = factor * 100.0;
  int best = kEditorScales[0];
  for (int percent : kEditorScales)
    if (std::fabs(percent - wanted) <= std::fabs(best - wanted)) best = percent;
  return best;
}

int scaleToWindow(int panel, int percent) {
  return clampToInt(floorDiv(2 * static_cast<std::int64_t>(panel) * percent + 100, 200));
}

int scaleToPanel(int window, int percent) {
  if (percent <= 0) return window;
  // The largest k whose edge is at or left of the pixel: edge(k) <= x
  // exactly when k × percent < (x + 1/2) × 100.
  return clampToInt(ceilDiv((2 * static_cast<std::int64_t>(window) + 1) * 100, 2 * static_cast<std::int64_t>(percent)) -
                    1);
}

CPoint scaleToWindow(const CPoint& panel, int percent) {
  return CPoint(scaleToWindow(panel.x, percent), scaleToWindow(panel.y, percent));
}

CPoint scaleToPanel(const CPoint& window, int percent) {
  return CPoint(scaleToPanel(window.x, percent), scaleToPanel(window.y, percent));
}

CRect scaleToWindow(const CRect& r, int percent) {
  return CRect(scaleToWindow(r.left, percent), scaleToWindow(r.top, percent), scaleToWindow(r.right, percent),
               scaleToWindow(r.bottom, percent));
}

platform::DrawRect scaleToWindowArea(const CRect& r, int percent) {
  const CRect w = scaleToWindow(r, percent);
  return platform::DrawRect{w.left, w.top, w.right, w.bottom};
}

CRect coveringPanelRect(const platform::DrawRect& area, int percent) {
  if (area.empty()) return CRect(area.left, area.top, area.left, area.top);
  return CRect(scaleToPanel(area.left, percent), scaleToPanel(area.top, percent),
               scaleToPanel(area.right - 1, percent) + 1, scaleToPanel(area.bottom - 1, percent) + 1);
}

std::unique_ptr<platform::PixelBuffer> resamplePicture(const platform::PixelBuffer& set, int setFactor, int panelWidth,
                                                       int panelHeight, int percent) {
  if (setFactor < 1 || setFactor > 3 || percent < 100 || panelWidth <= 0 || panelHeight <= 0) return nullptr;
  if (set.width() != panelWidth * setFactor || set.height() != panelHeight * setFactor) return nullptr;
  const std::vector<Taps> columns = axisTaps(panelWidth, setFactor, percent);
  const std::vector<Taps> rows = axisTaps(panelHeight, setFactor, percent);
  auto out = platform::createPixelBuffer(static_cast<int>(columns.size()), static_cast<int>(rows.size()));
  if (!out) return nullptr;
  // Across first, then down: the weights multiply, so the sums (and their
  // rounding) are those of the whole area at once. A set row taken across
  // holds at most 3 × 255 per channel; the rows a window row takes lie
  // within four neighbours, so four of them are kept.
  const size_t outWidth = columns.size();
  std::vector<std::uint16_t> across(4 * outWidth * 4);
  int held[4] = {-1, -1, -1, -1};
  auto acrossRow = [&](int y) -> const std::uint16_t* {
    std::uint16_t* a = across.data() + static_cast<size_t>(y % 4) * outWidth * 4;
    if (held[y % 4] == y) return a;
    held[y % 4] = y;
    const std::uint8_t* line = set.row(y);
    std::uint16_t* to = a;
    for (const Taps& cx : columns) {
      unsigned sum[4] = {0, 0, 0, 0};
      for (int b = 0; b < cx.count; ++b) {
        const std::uint8_t* p = line + 4 * cx.index[static_cast<size_t>(b)];
        const unsigned w = static_cast<unsigned>(cx.weight[static_cast<size_t>(b)]);
        for (int c = 0; c < 4; ++c) sum[c] += w * p[c];
      }
      for (int c = 0; c < 4; ++c) to[c] = static_cast<std::uint16_t>(sum[c]);
      to += 4;
    }
    return a;
  };
  const unsigned total = static_cast<unsigned>(setFactor * setFactor);
  for (size_t y = 0; y < rows.size(); ++y) {
    const Taps& ry = rows[y];
    std::uint8_t* d = out->row(static_cast<int>(y));
    const std::uint16_t* from[4] = {};
    unsigned weight[4] = {};
    for (int a = 0; a < ry.count; ++a) {
      from[a] = acrossRow(ry.index[static_cast<size_t>(a)]);
      weight[a] = static_cast<unsigned>(ry.weight[static_cast<size_t>(a)]);
    }
    // The common counts spelt out, so the compiler can take whole rows at once.
    const size_t length = outWidth * 4;
    auto put = [&](size_t i, unsigned sum) { d[i] = static_cast<std::uint8_t>((sum + total / 2) / total); };
    switch (ry.count) {
      case 1:
        for (size_t i = 0; i < length; ++i) put(i, weight[0] * from[0][i]);
        break;
      case 2:
        for (size_t i = 0; i < length; ++i) put(i, weight[0] * from[0][i] + weight[1] * from[1][i]);
        break;
      default:
        for (size_t i = 0; i < length; ++i) {
          unsigned sum = 0;
          for (int a = 0; a < ry.count; ++a) sum += weight[a] * from[a][i];
          put(i, sum);
        }
        break;
    }
  }
  return out;
}

}  // namespace sorvane
