// Software text where no FreeType is built in (the Windows build, whose
// product draws its text through GDI): no text, said once.
#include <cstdio>

#include "platform/software/draw_text.h"

namespace sorvane::platform::software {

std::unique_ptr<SoftwareFont> makeSoftwareFont(const FontRequest&) {
  static bool warned = false;
  if (!warned) {
    std::fprintf(stderr, "sorvane: the software back end has no font support in this build; text is not drawn\n");
    warned = true;
  }
  return nullptr;
}

}  // namespace sorvane::platform::software
