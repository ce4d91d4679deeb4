#include "tests/editor/editor_fixture.h"

#include <cstdio>
#include <cstring>

namespace sorvane::test {

std::vector<std::string> EditorHost::log(bool withIdle) {
  std::vector<std::string> out;
  for (const HostCall& c : calls) {
    char line[64];
    switch (c.opcode) {
      case audioMasterAutomate:
        std::snprintf(line, sizeof(line), "automate %d %.4g", c.index, static_cast<double>(c.opt));
        break;
      case audioMasterBeginEdit:
        std::snprintf(line, sizeof(line), "begin %d", c.index);
        break;
      case audioMasterEndEdit:
        std::snprintf(line, sizeof(line), "end %d", c.index);
        break;
      case audioMasterIdle:
        if (!withIdle) continue;
        std::snprintf(line, sizeof(line), "idle");
        break;
      case audioMasterUpdateDisplay:
        std::snprintf(line, sizeof(line), "display");
        break;
      default:
        std::snprintf(line, sizeof(line), "opcode %d", c.opcode);
    }
    out.push_back(line);
  }
  return out;
}

void useProductPictures(const char* product) {
  platform::useEmbeddedResources(std::strcmp(product, "tessaro") == 0 ? &tessaro::embeddedResources()
                                                                      : &pallido::embeddedResources());
}

}  // namespace sorvane::test
