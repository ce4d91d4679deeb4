// What the desktop says about the size of its screen's pixels, as the
// editor's size in percent of 96 dots per inch (96 is 100 %, 192 is 200 %).
// The answers are raw: the editor snaps them to its own sizes. Each reader
// answers 0 for anything that says nothing usable (missing, not a number,
// zero, negative, above eight times 96), so a broken desktop setting leaves
// the editor at its other sizes.
#pragma once

#include <string>

namespace sorvane::platform {

// The size for dots per inch.
int scaleFromDpi(double dotsPerInch);
// The size an X resource string (the root window's RESOURCE_MANAGER
// property: "name:\tvalue" lines) gives with its "Xft.dpi" entry; the last
// such entry counts.
int scaleFromXResources(const std::string& resources);
// The size the GDK_SCALE environment value (a whole factor: "2") gives.
int scaleFromGdkScale(const char* value);

}  // namespace sorvane::platform
