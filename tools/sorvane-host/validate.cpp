// validate: the list of checks (their groups live in validate_*.cpp), and
// running each in a child process where the platform has them.
#include "tools/sorvane-host/validate.h"

#include <ostream>
#include <string>

#include "hostkit/library.h"
#include "tools/sorvane-host/commands.h"
#include "tools/sorvane-host/validate_checks.h"
#include "tools/sorvane-host/validate_session.h"

namespace sorvane::host {

namespace {

using namespace validation;

std::string encode(const CheckOutcome& outcome) {
  const char kind = outcome.kind == CheckOutcome::Kind::Pass   ? 'P'
                    : outcome.kind == CheckOutcome::Kind::Fail ? 'F'
                                                               : 'S';
  return std::string(1, kind) + outcome.detail;
}

CheckOutcome decode(const std::string& text) {
  if (text.empty()) return {CheckOutcome::Kind::Fail, "the check ended without a result"};
  const auto kind = text[0] == 'P'   ? CheckOutcome::Kind::Pass
                    : text[0] == 'S' ? CheckOutcome::Kind::Skip
                                     : CheckOutcome::Kind::Fail;
  return {kind, text.substr(1)};
}

}  // namespace

const std::vector<ValidationCheck>& validationChecks() {
  using S = const ValidateSettings&;
  using L = const PluginLibrary&;
  static const std::vector<ValidationCheck> checks = {
      {"effect record", 1, checkEffectRecord},
      {"open and close many instances", 1, checkInstances},
      {"sample rates with suspend/resume", 1, [](L l, S, uint64_t seed) { return checkSampleRates(l, true, seed); }},
      {"sample rates without suspend/resume", 1,
       [](L l, S, uint64_t seed) { return checkSampleRates(l, false, seed); }},
      {"block size 0", 1, checkBlockSizeZero},
      {"block size 1 and odd sizes", 1, checkOddBlockSizes},
      {"blocks larger than announced", 1, checkOversizedBlocks},
      {"mains off and on between blocks", 3, checkMainsToggling},
      {"random parameter changes between blocks", 1, checkRandomParameters},
      {"parameter changes during blocks", 2, checkParametersDuringBlocks},
      {"out-of-range parameter values", 1, checkOutOfRangeParameters},
      {"non-finite parameter values", 3, checkNonFiniteParameters},
      {"host setParameter is not echoed as automation", 3, checkNoAutomationEcho},
      {"every program", 1, checkPrograms},
      {"bank chunk round trip", 1, [](L l, S s, uint64_t seed) { return checkChunkRoundTrip(l, s, seed, false); }},
      {"program chunk round trip", 1, [](L l, S s, uint64_t seed) { return checkChunkRoundTrip(l, s, seed, true); }},
      {"silent input", 1, checkSilence},
      {"decay to silence without denormals", 5, checkDecayWithoutDenormals},
      {"full-scale input", 1, checkFullScale},
      {"denormal input", 1, checkDenormalInput},
      {"NaN-burst input", 1, checkNanBurst},
      {"separate input buffers stay unchanged", 1, checkSeparateBuffers},
      {"in-place processing", 1, checkInPlace},
      {"double precision", 1, checkDoublePrecision},
      {"block-size invariance", 6, checkBlockInvariance},
      {"texts within their limits", 5, checkTextLimits},
      {"unusual dispatcher calls", 6, checkUnusualDispatcherCalls},
  };
  return checks;
}

ValidationSummary runValidation(const PluginLibrary& library, const ValidateSettings& settings, std::ostream& out) {
  ValidationSummary summary;
  const auto& checks = validationChecks();
  for (size_t i = 0; i < checks.size(); ++i) {
    const auto& check = checks[i];
    if (settings.strictness < check.minimumStrictness) continue;
    // Each check gets its own stream of random numbers: adding a check does
    // not change what the others do for a seed.
    const uint64_t seed = settings.seed * 1000003ULL + i;
    auto work = [&check, &library, &settings, seed]() {
      try {
        return encode(check.run(library, settings, seed));
      } catch (const CheckFailure& failure) {
        return encode({CheckOutcome::Kind::Fail, failure.message});
      }
    };
    // The plug-in's own chatter on standard output and error stays out of
    // the report.
    const auto result = hostkit::runIsolated(work, 60.0 + 12.0 * settings.strictness, true);
    CheckOutcome outcome = result.status == hostkit::IsolatedResult::Status::Finished
                               ? decode(result.output)
                               : CheckOutcome{CheckOutcome::Kind::Fail, "the plug-in " + result.reason};
    switch (outcome.kind) {
      case CheckOutcome::Kind::Pass:
        ++summary.passed;
        out << "pass  ";
        break;
      case CheckOutcome::Kind::Fail:
        ++summary.failed;
        out << "FAIL  ";
        break;
      case CheckOutcome::Kind::Skip:
        ++summary.skipped;
        out << "skip  ";
        break;
    }
    out << check.name << ": " << outcome.detail << "\n" << std::flush;
  }
  out << summary.passed << " passed, " << summary.failed << " failed\n";
  return summary;
}

int runValidate(const ValidateArgs& args, std::ostream& out, std::ostream& err) {
  std::string error;
  auto library = PluginLibrary::open(args.library, error);
  if (!library) {
    err << "sorvane-host validate: " << error << "\n";
    return kExitLoad;
  }
  out << "validate '" << args.library << "', strictness " << args.strictness << ", seed " << args.seed
      << (hostkit::isolationAvailable() ? ", each check in a child process" : ", checks in this process") << "\n";
  const ValidationSummary summary = runValidation(*library, {args.strictness, args.seed}, out);
  return summary.failed == 0 ? kExitOk : kExitChecksFailed;
}

}  // namespace sorvane::host
