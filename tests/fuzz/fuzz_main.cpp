// libFuzzer entry of one target, chosen at build time by SORVANE_FUZZ_TARGET
// (its corpus folder's name). A broken invariant aborts, so libFuzzer keeps
// the input as a crash.
#include <cstdio>
#include <cstdlib>

#include "fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const sorvane::fuzz::Target* target = sorvane::fuzz::findTarget(SORVANE_FUZZ_TARGET);
  if (!target) {
    std::fprintf(stderr, "no fuzz target named %s\n", SORVANE_FUZZ_TARGET);
    std::abort();
  }
  const std::string problem = target->check(data, size);
  if (!problem.empty()) {
    std::fprintf(stderr, "%s: %s\n", target->name, problem.c_str());
    std::abort();
  }
  return 0;
}
