// The host side of VST3 for sorvane-host: a bundle's module and factory,
// and each plug-in instance seen through the VST 2.4 effect record every
// command drives (see openVst3Bundle in plugin_host.h). Also the stream of
// bytes in memory that states travel through, for the bridge and the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/vst3/interfaces.h"

namespace sorvane::host {

// A growable stream over a byte vector, as a host hands a plug-in for its
// state. Owned by its user: the references are not counted.
class MemoryStream final : public vst3::IBStream {
 public:
  MemoryStream() = default;
  explicit MemoryStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

  vst3::tresult SORVANE_VST3_API queryInterface(const vst3::TUID iid, void** obj) override;
  vst3::uint32 SORVANE_VST3_API addRef() override { return 1; }
  vst3::uint32 SORVANE_VST3_API release() override { return 1; }
  vst3::tresult SORVANE_VST3_API read(void* buffer, vst3::int32 numBytes, vst3::int32* numBytesRead) override;
  vst3::tresult SORVANE_VST3_API write(void* buffer, vst3::int32 numBytes, vst3::int32* numBytesWritten) override;
  vst3::tresult SORVANE_VST3_API seek(vst3::int64 pos, vst3::int32 mode, vst3::int64* result) override;
  vst3::tresult SORVANE_VST3_API tell(vst3::int64* pos) override;

  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  // How many bytes the plug-in read (the position after reading).
  std::size_t position() const { return position_; }

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

// Where a bundle keeps its library for this platform: <bundle>/Contents/
// x86_64-linux/<name>.so or x86_64-win/<name>.vst3, <name> the bundle's
// base name.
std::string vst3BundleBinary(const std::string& bundle);

}  // namespace sorvane::host
