#include "formats/clap/streams.h"

#include <algorithm>

namespace sorvane::clap {

bool writeAll(const clap_ostream_t* stream, const void* data, std::uint64_t size) {
  if (!stream || !stream->write) return false;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  std::uint64_t done = 0;
  while (done < size) {
    const std::int64_t wrote = stream->write(stream, bytes + done, size - done);
    if (wrote <= 0 || static_cast<std::uint64_t>(wrote) > size - done) return false;
    done += static_cast<std::uint64_t>(wrote);
  }
  return true;
}

std::optional<std::vector<std::uint8_t>> readAtMost(const clap_istream_t* stream, std::uint64_t limit) {
  if (!stream || !stream->read) return std::nullopt;
  std::vector<std::uint8_t> data;
  constexpr std::uint64_t kPiece = 64 * 1024;
  while (data.size() <= limit) {
    const std::uint64_t want = std::min<std::uint64_t>(kPiece, limit + 1 - data.size());
    const std::size_t at = data.size();
    data.resize(at + want);
    const std::int64_t got = stream->read(stream, data.data() + at, want);
    if (got < 0 || static_cast<std::uint64_t>(got) > want) return std::nullopt;
    data.resize(at + static_cast<std::size_t>(got));
    if (got == 0) break;
  }
  return data;
}

}  // namespace sorvane::clap
