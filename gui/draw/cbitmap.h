// A picture from the library's resources, kept as a 32-bit premultiplied
// bitmap, so every redraw is one blit of the part it needs (one 53 × 53 frame
// of a 53 × 5353 knob strip, for instance).
//
// Sizes: a bitmap reports and is drawn with its size in the panel's pixels
// at every size of the editor. A context at another size draws it from the
// picture made for that size (see scaling.h): at 100, 200 and 300 % the
// resource "<name>", "<name>@2x" or "<name>@3x" as drawn (so "knob@2x.png"
// beside "knob.png", exactly twice its size, looked up without regard to
// case like the rest); between them the next larger set reduced. A set that
// is missing (or not exactly its multiple of the 1x size) is passed over for
// the next larger one, and only where none is larger is a smaller one
// enlarged, panel pixel by panel pixel.
//
// Decoding: nothing is decoded until it is drawn (the size comes from the
// header), and then only the set the size needs. A resource is decoded once
// per process: every bitmap of it, in every editor of the library and every
// opening, shares the same read-only pixels, so opening an editor again
// costs no decoding and editors open side by side hold one copy; the pixels
// are freed when the library unloads. A set reduced for a size between the
// sets is made once per process and size and shared the same way; the set
// decoded only to be reduced is not kept.
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
  // The "PNG" resource of that name (any letter case), or else a plain
  // bitmap resource (then noAlpha stays true). A resource that is missing
  // gives a 0 × 0 bitmap that draws nothing.
  explicit CBitmap(const CResourceDescription& description);
  // From PNG bytes directly (pictures that are not resources, tests).
  explicit CBitmap(std::span<const std::uint8_t> pngBytes);
  ~CBitmap() override;

  // Takes the resource anew, releasing the previous picture; false when
  // there is none, or its header is unusable.
  bool loadFromResource(const CResourceDescription& description);
  // Decodes at once (there are no other sets); false when decoding stopped early.
  bool loadFromPng(std::span<const std::uint8_t> pngBytes);

  // In the panel's pixels.
  int getWidth() const { return width_; }
  int getHeight() const { return height_; }
  bool isLoaded() const { return width_ > 0 && height_ > 0; }
  bool hasAlpha() const { return !noAlpha_; }
  const CResourceDescription& getResourceDescription() const { return description_; }

  void setTransparentColor(const CColor& color) { transparentColor_ = color; }
  CColor getTransparentColor() const { return transparentColor_; }

  // The part of the picture starting at offset, drawn into rect (same size
  // in the panel's pixels). With alpha it is blended; without, copied. At
  // another size both are mapped by the edge rule, and the part drawn never
  // reaches past the picture's own part (offset and rect's size): where the
  // two map to sizes a pixel apart, its last row or column is drawn twice.
  void draw(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint());
  // With alpha as draw; without, the transparent colour is left out.
  void drawTransparent(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint());
  // Source-over with the picture's own alpha (if any) times alpha / 255.
  void drawAlphaBlend(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint(),
                      unsigned char alpha = 128);

  // The picture for the editor at percent (window pixels), decoded or made
  // on first use; the 1x picture for 100. Null when there is none.
  const platform::PixelBuffer* picture(int percent) const;
  // The 1x picture (null when nothing was loaded).
  const platform::PixelBuffer* pixels() const { return picture(100); }

 private:
  enum class Blit { Copy, Keyed, Blend };
  void release();
  void drawPart(CDrawContext* context, const CRect& rect, const CPoint& offset, Blit blit, unsigned char alpha);

  CResourceDescription description_;
  int width_ = 0;
  int height_ = 0;
  CColor transparentColor_ = kTransparentCColor;
  bool noAlpha_ = true;
  // The 1x resource's bytes (they live as long as the library); empty for
  // pictures that are no PNG resource, which have no other sets.
  std::span<const std::uint8_t> resource_;
  mutable std::shared_ptr<const platform::PixelBuffer> pixels_;  // 1x, once decoded
  mutable std::shared_ptr<const platform::PixelBuffer> scaled_;  // for scaledPercent_
  mutable int scaledPercent_ = 0;
};

}  // namespace sorvane
