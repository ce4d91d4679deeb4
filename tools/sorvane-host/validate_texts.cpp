// The dispatcher's texts and unusual requests: every text within its
// limit, odd opcodes, indices and null pointers answered without harm.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "tools/sorvane-host/validate_checks.h"
#include "tools/sorvane-host/validate_session.h"

namespace sorvane::host::validation {

CheckOutcome checkTextLimits(const PluginLibrary& library, const ValidateSettings& settings, uint64_t) {
  Session session(library);
  PluginInstance& instance = session.instance();
  const bool strict = settings.strictness >= 8;
  // Characters allowed before the terminating NUL; the loose limits only
  // catch writes that would overrun any host's buffer.
  struct Query {
    VstInt32 opcode;
    VstInt32 index;
    size_t limit;
    std::string what;
  };
  std::vector<Query> queries;
  const size_t paramLimit = strict ? kVstMaxParamStrLen : 63;
  // The nominal 8 characters for a name are too few for real parameter names,
  // and hosts have long given names a buffer of at least 16 bytes; labels and
  // display texts are the ones a host lays out in 8 characters.
  const size_t nameLimit = strict ? 15 : 63;
  for (int i = 0; i < instance.numParams(); ++i) {
    const std::string n = std::to_string(i);
    queries.push_back({effGetParamName, i, nameLimit, "parameter " + n + " name"});
    queries.push_back({effGetParamLabel, i, paramLimit, "parameter " + n + " label"});
    queries.push_back({effGetParamDisplay, i, paramLimit, "parameter " + n + " display"});
  }
  const size_t programLimit = strict ? kVstMaxProgNameLen : 63;
  queries.push_back({effGetProgramName, 0, programLimit, "the program name"});
  for (int i = 0; i < instance.numPrograms(); ++i) {
    queries.push_back({effGetProgramNameIndexed, i, programLimit, "program " + std::to_string(i) + " name"});
  }
  auto limit = [strict](int interfaceLimit, size_t loose) {
    return strict ? static_cast<size_t>(interfaceLimit) : loose;
  };
  queries.push_back({effGetEffectName, 0, limit(kVstMaxEffectNameLen, 63), "the effect name"});
  queries.push_back({effGetVendorString, 0, limit(kVstMaxVendorStrLen, 127), "the vendor string"});
  queries.push_back({effGetProductString, 0, limit(kVstMaxProductStrLen, 127), "the product string"});
  for (const auto& query : queries) {
    char buffer[512];
    std::memset(buffer, 0x7f, sizeof buffer);
    const VstIntPtr value = query.opcode == effGetProgramNameIndexed ? -1 : 0;
    instance.dispatch(query.opcode, query.index, value, buffer);
    const void* end = std::memchr(buffer, 0, sizeof buffer);
    if (end == nullptr) {
      if (std::all_of(buffer, buffer + sizeof buffer, [](char c) { return c == 0x7f; })) continue;  // not answered
      fail(query.what + " is not terminated within 512 bytes");
    }
    const auto length = static_cast<size_t>(static_cast<const char*>(end) - buffer);
    if (length > query.limit) {
      fail(query.what + " '" + std::string(buffer, length) + "' has " + std::to_string(length) + " characters (limit " +
           std::to_string(query.limit) + ")");
    }
  }
  return pass(std::to_string(queries.size()) + " texts within " +
              (strict ? "the interface's limits" : "63 characters"));
}

CheckOutcome checkUnusualDispatcherCalls(const PluginLibrary& library, const ValidateSettings& settings, uint64_t) {
  Session session(library);
  PluginInstance& instance = session.instance();
  char buffer[512] = {};
  for (VstInt32 opcode = 80; opcode <= 100; ++opcode) instance.dispatch(opcode, 0, 0, nullptr, 0.0f);
  for (const char* text : {"", "receiveVstEvents", "plugAsChannelInsert", "bypass", "x"}) {
    instance.dispatch(effCanDo, 0, 0, const_cast<char*>(text));
  }
  for (VstInt32 index : {-1, instance.numPrograms(), 1 << 20}) {
    instance.dispatch(effGetProgramNameIndexed, index, -1, buffer);
  }
  for (VstInt32 index : {-1, instance.numParams(), 1 << 20}) {
    instance.dispatch(effGetParamName, index, 0, buffer);
    instance.dispatch(effGetParamDisplay, index, 0, buffer);
    instance.dispatch(effGetParamLabel, index, 0, buffer);
  }
  std::string detail = "opcodes 80 to 100, odd canDo strings, out-of-range indices";
  if (settings.strictness >= 9) {
    for (VstInt32 opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay, effGetProgramName, effGetEffectName,
                            effGetVendorString, effGetProductString, effGetChunk}) {
      instance.dispatch(opcode, 0, 0, nullptr);
    }
    detail += ", null text pointers";
  }
  return pass(detail + " answered without harm");
}

}  // namespace sorvane::host::validation
