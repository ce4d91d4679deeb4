// A small fixed bitmap font for plot labels: no font files needed, so plots
// look the same on every machine.
#pragma once

namespace sorvane::host {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;

// Whether pixel (column, row) of character c is set; characters outside
// printable ASCII are blank.
bool glyphPixel(char c, int column, int row);

}  // namespace sorvane::host
