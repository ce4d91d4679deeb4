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
  const std::uint32_t total = static_cast<std::uint32_t>(setFactor * setFactor);
  std::vector<const std::uint8_t*> sourceRows(static_cast<size_t>(set.height()));
  for (int y = 0; y < set.height(); ++y) sourceRows[static_cast<size_t>(y)] = set.row(y);
  for (size_t y = 0; y < rows.size(); ++y) {
    const Taps& ry = rows[y];
    std::uint8_t* d = out->row(static_cast<int>(y));
    for (const Taps& cx : columns) {
      std::uint32_t sum[4] = {0, 0, 0, 0};
      for (int a = 0; a < ry.count; ++a) {
        const std::uint8_t* line = sourceRows[static_cast<size_t>(ry.index[static_cast<size_t>(a)])];
        const std::uint32_t wy = static_cast<std::uint32_t>(ry.weight[static_cast<size_t>(a)]);
        for (int b = 0; b < cx.count; ++b) {
          const std::uint8_t* p = line + 4 * cx.index[static_cast<size_t>(b)];
          const std::uint32_t w = wy * static_cast<std::uint32_t>(cx.weight[static_cast<size_t>(b)]);
          sum[0] += w * p[0];
          sum[1] += w * p[1];
          sum[2] += w * p[2];
          sum[3] += w * p[3];
        }
      }
      for (int c = 0; c < 4; ++c) d[c] = static_cast<std::uint8_t>((sum[c] + total / 2) / total);
      d += 4;
    }
  }
  return out;
}

}  // namespace sorvane
