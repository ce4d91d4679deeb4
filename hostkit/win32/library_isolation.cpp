#include <exception>

#include "hostkit/library.h"

namespace sorvane::hostkit {

// Windows has no fork: the work runs in place, so only exceptions are caught.
IsolatedResult runIsolated(const std::function<std::string()>& work, double /*timeoutSeconds*/, bool /*quiet*/) {
  IsolatedResult result;
  try {
    result.output = work();
    result.status = IsolatedResult::Status::Finished;
  } catch (const std::exception& e) {
    result.status = IsolatedResult::Status::Failed;
    result.reason = std::string("threw an exception: ") + e.what();
  } catch (...) {
    result.status = IsolatedResult::Status::Failed;
    result.reason = "threw an exception";
  }
  return result;
}

bool isolationAvailable() { return false; }

}  // namespace sorvane::hostkit
