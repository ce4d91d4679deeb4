// Golden pictures: a rendering is compared with a checked-in PNG, exactly
// outside the text areas and within a per-channel tolerance inside them
// (fonts differ between systems; a build that draws no text in its software
// back end leaves them out). A mismatch writes the actual picture and a
// difference picture next to the test output. SORVANE_UPDATE_GOLDEN=1
// rewrites the checked-in pictures instead.
#pragma once

#include <string>
#include <vector>

#include "gui/draw/cgeometry.h"
#include "platform/draw.h"

namespace sorvane::test {

bool writePng(const std::string& path, const platform::PixelBuffer& pixels);

// Empty string when the picture matches; otherwise what differs and where
// the actual and difference pictures were written.
std::string compareWithGolden(const std::string& name, const platform::PixelBuffer& actual,
                              const std::vector<CRect>& textAreas, int textTolerance = 60);

// The same comparison, and nothing else: no picture is written, and the
// golden is never rewritten.
std::string differenceFromGolden(const std::string& name, const platform::PixelBuffer& actual,
                                 const std::vector<CRect>& textAreas, int textTolerance = 60);

// Whether SORVANE_UPDATE_GOLDEN=1 asks for the pictures to be rewritten.
bool goldenUpdateRequested();

// Whether this build's software back end draws text at all.
bool softwareTextAvailable();

}  // namespace sorvane::test
