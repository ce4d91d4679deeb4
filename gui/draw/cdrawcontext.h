// Drawing surfaces of the toolkit. A context draws on a back-end device with
// an offset (added to every coordinate it is given), a clip rectangle, frame,
// fill and font colours, a line width and a font. COffscreenContext is the
// back buffer: it owns its device and copies parts of itself to another
// context.
//
// Sizes: coordinates, clips, line widths and font sizes are in the panel's
// pixels. A context at another size than 100 % maps each edge to the device
// by the rule of scaling.h, draws lines as wide as they are in the panel
// (rounded the same way), and has the back end draw text in a font of the
// mapped size, never a stretched picture of it. At 100 % the device sees
// exactly the coordinates given.
#pragma once

#include <memory>

#include "gui/cbaseobject.h"
#include "gui/draw/ccolor.h"
#include "gui/draw/cfontdesc.h"
#include "gui/draw/cgeometry.h"
#include "platform/draw.h"

namespace sorvane {

class CFrame;

enum CHoriTxtAlign { kLeftText = 0, kCenterText = 1, kRightText = 2 };

enum CLineStyle { kLineSolid = 0, kLineOnOffDash = 1 };
enum CDrawMode { kCopyMode = 0, kOrMode = 1, kXorMode = 2, kAntialias = 3 };

class CDrawContext : public CBaseObject {
 public:
  // On a device the window hands out for one paint (not owned).
  explicit CDrawContext(platform::DrawDevice& device, CFrame* frame = nullptr);
  // On a device of its own (off-screen buffers, the canvas of tests and snapshots).
  explicit CDrawContext(std::unique_ptr<platform::DrawDevice> device, CFrame* frame = nullptr);
  ~CDrawContext() override;

  // Line drawing from the current pen position; lineTo moves the pen.
  void moveTo(const CPoint& point);
  void lineTo(const CPoint& point);
  CPoint getPenPosition() const { return pen_; }

  // Outline in the frame colour, the line width thick, inside the rectangle.
  void drawRect(const CRect& rect);
  // Filled with the fill colour (left .. right-1, top .. bottom-1).
  void fillRect(const CRect& rect);

  void setFrameColor(const CColor& color) { frameColor_ = color; }
  CColor getFrameColor() const { return frameColor_; }
  void setFillColor(const CColor& color) { fillColor_ = color; }
  CColor getFillColor() const { return fillColor_; }
  void setFontColor(const CColor& color) { fontColor_ = color; }
  CColor getFontColor() const { return fontColor_; }
  void setLineWidth(int width) { lineWidth_ = width < 1 ? 1 : width; }
  int getLineWidth() const { return lineWidth_; }
  void setLineStyle(CLineStyle style) { lineStyle_ = style; }
  CLineStyle getLineStyle() const { return lineStyle_; }
  void setDrawMode(CDrawMode mode) { drawMode_ = mode; }
  CDrawMode getDrawMode() const { return drawMode_; }

  // The font (one reference held while selected); null selects the system font.
  void setFont(CFontDesc* font);
  CFontDesc* getFont() const { return font_; }

  // Clip in context coordinates; resetClipRect opens it to the whole device.
  void setClipRect(const CRect& clip);
  CRect& getClipRect(CRect& clip) const;
  void resetClipRect();

  // One line of text in the font colour, vertically centred in rect.
  void drawString(const char* string, const CRect& rect, CHoriTxtAlign align = kCenterText);

  // Added to every coordinate given to this context.
  CPoint offset;

  // The size in percent the context draws at (100 unless set).
  void setScale(int percent);
  int getScale() const { return scale_; }
  // Keeps every clip inside area (device pixels), the part of the window one
  // paint is for: the panel rectangle that covers it may reach a pixel further.
  void limitToDevice(const platform::DrawRect& area);

  CFrame* getFrame() const { return frame_; }
  // The device this context draws on, its clip brought up to date with the
  // offset (null when the system gave no device).
  platform::DrawDevice* device();
  // A rectangle in this context's coordinates, in device pixels.
  platform::DrawRect toDevice(const CRect& rect) const;
  // A length (a line width, a font size) in device pixels.
  int lengthToDevice(int length) const;

 private:
  void applyClip();
  // A point of a line lineWidth wide, in device pixels, for a line of deviceWidth.
  int lineToDevice(int coordinate, int deviceWidth) const;

  CFrame* frame_ = nullptr;
  std::unique_ptr<platform::DrawDevice> ownedDevice_;
  platform::DrawDevice* device_ = nullptr;
  CRect clip_;
  CPoint clipOffset_;  // the offset the device's clip was set with
  CPoint pen_;
  CColor frameColor_ = kBlackCColor;
  CColor fillColor_ = kWhiteCColor;
  CColor fontColor_ = kWhiteCColor;
  int lineWidth_ = 1;
  CLineStyle lineStyle_ = kLineSolid;
  CDrawMode drawMode_ = kCopyMode;
  CFontDesc* font_ = nullptr;
  int scale_ = 100;
  bool limited_ = false;
  platform::DrawRect limit_;
};

class COffscreenContext : public CDrawContext {
 public:
  // A buffer of width × height compatible with the window, filled and
  // outlined in the background colour.
  COffscreenContext(void* window, int width, int height, const CColor& background = kBlackCColor);

  int getWidth() const { return width_; }
  int getHeight() const { return height_; }
  CColor getBackgroundColor() const { return background_; }

  // Copies source (in this buffer's pixels) to destination, its top-left at
  // destinationPoint (in the destination's coordinates, moved by its offset).
  void copyTo(CDrawContext* destination, const CRect& source, const CPoint& destinationPoint);

 private:
  int width_;
  int height_;
  CColor background_;
};

}  // namespace sorvane
