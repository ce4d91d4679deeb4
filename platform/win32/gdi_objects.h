// Every GDI object our code creates (contexts, bitmaps, fonts, brushes, pens,
// regions) is made and deleted through these, so one process-wide count of
// those still alive answers leak checks; Wine reports 0 for the system's own
// per-process GDI counter.
#pragma once

#include <windows.h>

namespace sorvane::platform::gdi {

// Adds delta to the count behind liveGdiObjects().
void countObjects(int delta);

// Counts a handle that a Create... call returned (null is not counted).
template <class Handle>
Handle counted(Handle handle) {
  if (handle) countObjects(1);
  return handle;
}

inline void deleteObject(HGDIOBJ object) {
  if (object && DeleteObject(object)) countObjects(-1);
}

inline void deleteDC(HDC dc) {
  if (dc && DeleteDC(dc)) countObjects(-1);
}

}  // namespace sorvane::platform::gdi
