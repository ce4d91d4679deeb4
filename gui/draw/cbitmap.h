// A picture from the library's resources, decoded once and kept as a 32-bit
// premultiplied bitmap, so every redraw is one blit of the part it needs (one
// 53 × 53 frame of a 53 × 5353 knob strip, for instance).
//
// A resource is decoded once per process: every bitmap of it, in every
// editor of the library and every opening, shares the same read-only pixels.
// Opening an editor again costs no decoding, and editors open side by side
// hold one copy. The pixels are freed when the library unloads.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "gui/cbaseobject.h"
#include "gui/draw/ccolor.h"
#include "gui/draw/cgeometry.h"
#include "platform/draw.h"

namespace sorvane {

class CDrawContext;

// Which resource: a name ("background.png") or a numeric ID.
struct CResourceDescription {
  CResourceDescription(const char* name) : name(name ? name : "") {}  // NOLINT: names convert freely
  CResourceDescription(int id) : id(id) {}                            // NOLINT
  std::string name;
  int id = 0;
  // The name the resource look-up takes ("#<id>" for an ID).
  std::string lookupName() const {
    if (!name.empty()) return name;
    std::string numbered(1, '#');
    numbered += std::to_string(id);
    return numbered;
  }
};

class CBitmap : public CBaseObject {
 public:
  // Loads at once: the "PNG" resource of that name (any letter case), or
  // else a plain bitmap resource (then noAlpha stays true). A resource that
  // is missing gives a 0 × 0 bitmap that draws nothing.
  explicit CBitmap(const CResourceDescription& description);
  // From PNG bytes directly (pictures that are not resources, tests).
  explicit CBitmap(std::span<const std::uint8_t> pngBytes);
  ~CBitmap() override;

  // Loads the resource anew, releasing the previous picture.
  bool loadFromResource(const CResourceDescription& description);
  bool loadFromPng(std::span<const std::uint8_t> pngBytes);

  int getWidth() const { return width_; }
  int getHeight() const { return height_; }
  bool isLoaded() const { return pixels_ != nullptr; }
  bool hasAlpha() const { return !noAlpha_; }
  const CResourceDescription& getResourceDescription() const { return description_; }

  void setTransparentColor(const CColor& color) { transparentColor_ = color; }
  CColor getTransparentColor() const { return transparentColor_; }

  // The part of the picture starting at offset, drawn into rect (same size,
  // no scaling). With alpha it is blended; without, copied.
  void draw(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint());
  // With alpha as draw; without, the transparent colour is left out.
  void drawTransparent(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint());
  // Source-over with the picture's own alpha (if any) times alpha / 255.
  void drawAlphaBlend(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint(),
                      unsigned char alpha = 128);

  // The decoded picture (null when nothing was loaded).
  const platform::PixelBuffer* pixels() const { return pixels_.get(); }

 private:
  void release();

  CResourceDescription description_;
  int width_ = 0;
  int height_ = 0;
  CColor transparentColor_ = kTransparentCColor;
  bool noAlpha_ = true;
  std::shared_ptr<const platform::PixelBuffer> pixels_;
};

}  // namespace sorvane
