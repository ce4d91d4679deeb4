// Counts the heap calls (malloc, calloc, realloc, free, new, delete and
// their aligned forms) a thread makes while it watches itself. The hooks
// live in allocation_hooks.cpp, which must be linked into the program
// itself: it replaces the global allocation functions.
#pragma once

namespace sorvane::rt {

// Starts or stops counting on the calling thread; starting resets its count.
void watchThisThread(bool watching);
long heapCallsOfThisThread();

// How the calls are seen: "sanitizer hooks" under a sanitizer's allocator,
// "malloc interposition" with the GNU C library, else "operator new" (C
// allocation functions are then not seen).
const char* hookKind();

}  // namespace sorvane::rt
