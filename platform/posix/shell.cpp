#include "platform/shell.h"

#include <string>

#include "platform/posix/child_process.h"

namespace sorvane::platform {
namespace {

// The desktop's opener, started with the target as its one argument and left
// to run: a browser or viewer may live longer than the host. The openers
// started are reaped on later calls and when the plug-in is unloaded.
class XdgShell final : public ShellService {
 public:
  bool open(void*, const char* target) override {
    if (!target || !*target) return false;
    const std::string opener = posix::findOnPath("xdg-open");
    if (opener.empty()) {
      children_.reap();
      return false;
    }
    // The opener reads a leading "-" as an option of its own.
    const std::string argument = target[0] == '-' ? std::string("./") + target : std::string(target);
    return children_.start({opener, argument});
  }

 private:
  posix::BackgroundChildren children_;
};

}  // namespace

ShellService& systemShell() {
  static XdgShell service;
  return service;
}

}  // namespace sorvane::platform
