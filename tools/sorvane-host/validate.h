// validate: the checks a demanding host and a plug-in validator make, each
// run where a crash or hang of the plug-in cannot take the host with it.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "tools/sorvane-host/plugin_host.h"

namespace sorvane::host {

struct CheckOutcome {
  enum class Kind { Pass, Fail, Skip };
  Kind kind = Kind::Pass;
  std::string detail;
};

struct ValidateSettings {
  int strictness = 5;  // 1..10: counts grow and stricter checks join
  uint64_t seed = 1;
};

struct ValidationCheck {
  std::string name;
  int minimumStrictness;  // the check runs from this strictness on
  std::function<CheckOutcome(const PluginLibrary&, const ValidateSettings&, uint64_t seed)> run;
};

// Every check, in the order they run.
const std::vector<ValidationCheck>& validationChecks();

struct ValidationSummary {
  int passed = 0;
  int failed = 0;
  int skipped = 0;
};

// Runs the checks that the strictness selects, printing one line each and
// then "N passed, M failed".
ValidationSummary runValidation(const PluginLibrary& library, const ValidateSettings& settings, std::ostream& out);

}  // namespace sorvane::host
