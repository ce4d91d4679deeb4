// The editor's sizes. A panel is laid out in its own pixels (every rectangle,
// zone and coordinate of the layout tables); the frame shows it in a window
// whose pixels are percent / 100 times as many. One integer rule maps every
// edge, so rectangles that touch in the panel touch in the window and a
// rectangle maps the same wherever it is drawn from:
//
//   window edge = floor(panel edge × percent / 100 + 1/2)
//
// Panel pixel k covers the window pixels from edge(k) up to edge(k + 1); the
// pointer maps back to the panel pixel whose window pixels hold it, which is
// floor((x + 1/2) × 100 / percent) except where that centre falls exactly on
// an edge (then it is the pixel on the left, which drew it).
//
// Pictures come in sets drawn at 1x, 2x and 3x the panel's pixels. A set is
// resampled to a size with resamplePicture: each panel pixel's block of the
// set is spread over that panel pixel's window pixels, every window pixel the
// exact area average (fractional coverage) of the set pixels under it, on
// premultiplied pixels. A set twice or three times the panel at exactly that
// size comes out unchanged; nothing of one panel pixel bleeds into the next,
// so a frame of a knob strip keeps its own rows at every size.
#pragma once

#include <memory>
#include <span>

#include "gui/draw/cgeometry.h"
#include "platform/draw.h"

namespace sorvane {

// The editor's supported sizes in percent, smallest first.
inline constexpr int kEditorScales[] = {100, 125, 150, 175, 200, 250, 300};
inline constexpr int kDefaultEditorScale = 100;

bool isEditorScale(int percent);
// The supported size nearest to factor (1.0 is 100 %; of two equally near,
// the larger), or 0 for a factor that is not finite, is zero or negative, or
// is above 8: such a factor says nothing usable.
int nearestEditorScale(double factor);

// A panel coordinate (an edge, or a length from 0) in window pixels.
int scaleToWindow(int panel, int percent);
// The panel pixel that window pixel shows.
int scaleToPanel(int window, int percent);
CPoint scaleToWindow(const CPoint& panel, int percent);
CPoint scaleToPanel(const CPoint& window, int percent);
// Each edge mapped.
CRect scaleToWindow(const CRect& panel, int percent);
platform::DrawRect scaleToWindowArea(const CRect& panel, int percent);
// The smallest panel rectangle whose window pixels cover area (a paint area
// back to the views that must draw it).
CRect coveringPanelRect(const platform::DrawRect& area, int percent);

// A picture set drawn at setFactor (1, 2 or 3) times a panel picture of
// panelWidth × panelHeight, made into the picture of that panel picture at
// percent. Null when the set is not exactly setFactor times the panel size
// or no memory is given.
std::unique_ptr<platform::PixelBuffer> resamplePicture(const platform::PixelBuffer& set, int setFactor, int panelWidth,
                                                       int panelHeight, int percent);

}  // namespace sorvane
