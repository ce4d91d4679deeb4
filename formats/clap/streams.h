// Whole transfers over the host's state streams. A stream may move fewer
// bytes than asked at each call; these loop until done. A read of 0 is the
// end of the stream, -1 (or any answer outside the range asked) an error;
// a write of 0 moves nothing and counts as an error too, as retrying it
// could loop for ever.
//
// Main thread only (they allocate).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "formats/clap/abi/core.h"

namespace sorvane::clap {

// Writes all size bytes; false when the stream failed on the way.
bool writeAll(const clap_ostream_t* stream, const void* data, std::uint64_t size);

// Reads to the end of the stream, but never more than limit bytes: a
// stream that goes on past it gives limit + 1 bytes (so a caller expecting
// at most limit sees it is too long without reading it all). Nothing when
// the stream failed.
std::optional<std::vector<std::uint8_t>> readAtMost(const clap_istream_t* stream, std::uint64_t limit);

}  // namespace sorvane::clap
