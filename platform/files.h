// Replacing a file in one step, so that a save never leaves half a file or
// no file behind.
#pragma once

namespace sorvane::platform {

// Moves the file `from` over `to` (same folder, so the same volume): `to`
// afterwards holds either its old content, when the answer is false, or
// from's, never neither and never a mixture. An existing `to` is replaced,
// never removed first. On failure `from` stays where it was.
bool replaceFile(const char* from, const char* to);

}  // namespace sorvane::platform
