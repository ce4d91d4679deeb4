// The checks of `validate`, one group per file. Each builds its instances
// from validate_session.h, returns pass or skip with a detail, and throws
// (fail) on a fault; validate.cpp lists them in the order they run.
#pragma once

#include <cstdint>

#include "tools/sorvane-host/plugin_host.h"
#include "tools/sorvane-host/validate.h"

namespace sorvane::host::validation {

using Library = const PluginLibrary&;
using Settings = const ValidateSettings&;

// validate_lifecycle.cpp
CheckOutcome checkEffectRecord(Library library, Settings settings, uint64_t seed);
CheckOutcome checkInstances(Library library, Settings settings, uint64_t seed);
CheckOutcome checkSampleRates(Library library, bool suspendFirst, uint64_t seed);
CheckOutcome checkMainsToggling(Library library, Settings settings, uint64_t seed);

// validate_blocks.cpp
CheckOutcome checkBlockSizeZero(Library library, Settings settings, uint64_t seed);
CheckOutcome checkOddBlockSizes(Library library, Settings settings, uint64_t seed);
CheckOutcome checkOversizedBlocks(Library library, Settings settings, uint64_t seed);
CheckOutcome checkBlockInvariance(Library library, Settings settings, uint64_t seed);
CheckOutcome checkSeparateBuffers(Library library, Settings settings, uint64_t seed);
CheckOutcome checkInPlace(Library library, Settings settings, uint64_t seed);
CheckOutcome checkDoublePrecision(Library library, Settings settings, uint64_t seed);

// validate_parameters.cpp
CheckOutcome checkRandomParameters(Library library, Settings settings, uint64_t seed);
CheckOutcome checkParametersDuringBlocks(Library library, Settings settings, uint64_t seed);
CheckOutcome checkOutOfRangeParameters(Library library, Settings settings, uint64_t seed);
CheckOutcome checkNonFiniteParameters(Library library, Settings settings, uint64_t seed);
CheckOutcome checkNoAutomationEcho(Library library, Settings settings, uint64_t seed);

// validate_state.cpp
CheckOutcome checkPrograms(Library library, Settings settings, uint64_t seed);
CheckOutcome checkChunkRoundTrip(Library library, Settings settings, uint64_t seed, bool program);

// validate_signals.cpp
CheckOutcome checkSilence(Library library, Settings settings, uint64_t seed);
CheckOutcome checkDecayWithoutDenormals(Library library, Settings settings, uint64_t seed);
CheckOutcome checkFullScale(Library library, Settings settings, uint64_t seed);
CheckOutcome checkDenormalInput(Library library, Settings settings, uint64_t seed);
CheckOutcome checkNanBurst(Library library, Settings settings, uint64_t seed);

// validate_texts.cpp
CheckOutcome checkTextLimits(Library library, Settings settings, uint64_t seed);
CheckOutcome checkUnusualDispatcherCalls(Library library, Settings settings, uint64_t seed);

}  // namespace sorvane::host::validation
