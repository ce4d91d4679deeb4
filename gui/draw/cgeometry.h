// Pixel rectangles and points of the toolkit. A rectangle covers columns
// left .. right-1 and rows top .. bottom-1 when filled; hit tests and the
// editor's zone tables treat its edges as inclusive where they say so.
#pragma once

#include <algorithm>
#include <cstdint>

namespace sorvane {

struct CPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;

  constexpr CPoint() = default;
  constexpr CPoint(std::int32_t x, std::int32_t y) : x(x), y(y) {}
  CPoint& offset(std::int32_t dx, std::int32_t dy) {
    x += dx;
    y += dy;
    return *this;
  }
  friend constexpr bool operator==(const CPoint&, const CPoint&) = default;
};

struct CRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  constexpr CRect() = default;
  constexpr CRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom)
      : left(left), top(top), right(right), bottom(bottom) {}
  constexpr CRect(const CPoint& origin, const CPoint& size)
      : left(origin.x), top(origin.y), right(origin.x + size.x), bottom(origin.y + size.y) {}

  constexpr std::int32_t width() const { return right - left; }
  constexpr std::int32_t height() const { return bottom - top; }
  constexpr bool isEmpty() const { return right <= left || bottom <= top; }
  CPoint topLeft() const { return {left, top}; }

  CRect& offset(std::int32_t dx, std::int32_t dy) {
    left += dx;
    right += dx;
    top += dy;
    bottom += dy;
    return *this;
  }
  CRect& moveTo(std::int32_t x, std::int32_t y) { return offset(x - left, y - top); }
  CRect& inset(std::int32_t dx, std::int32_t dy) {
    left += dx;
    right -= dx;
    top += dy;
    bottom -= dy;
    return *this;
  }
  // Limits this rectangle to other; an empty result keeps its position.
  CRect& bound(const CRect& other) {
    left = std::max(left, other.left);
    top = std::max(top, other.top);
    right = std::max(left, std::min(right, other.right));
    bottom = std::max(top, std::min(bottom, other.bottom));
    return *this;
  }
  CRect& unite(const CRect& other) {
    left = std::min(left, other.left);
    top = std::min(top, other.top);
    right = std::max(right, other.right);
    bottom = std::max(bottom, other.bottom);
    return *this;
  }
  // Half-open containment, as for drawing.
  constexpr bool pointInside(const CPoint& p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  constexpr bool rectOverlap(const CRect& o) const {
    return right > o.left && left < o.right && bottom > o.top && top < o.bottom;
  }
  friend constexpr bool operator==(const CRect&, const CRect&) = default;
};

}  // namespace sorvane
