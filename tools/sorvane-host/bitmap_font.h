// A small fixed bitmap font for plot labels: no font files needed, so plots
// look the same on every machine.
#pragma once

namespace sorvane::host {

constexpr int kGlyphWidth = 5;
// Seven rows above the baseline and two for the descenders of g, j, p, q, y.
constexpr int kGlyphHeight = 9;

// Whether pixel (column, row) of character c is set; characters outside
// printable ASCII are blank.
bool glyphPixel(char c, int column, int row);

}  // namespace sorvane::host
