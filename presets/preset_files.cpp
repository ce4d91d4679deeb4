#include "presets/preset_files.h"

#include <cstdio>
#include <string>

#include "platform/files.h"

namespace sorvane {
namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// Stored names may come from either platform, so a separator matches either.
bool matchesAt(const char* path, const char* folder) {
  for (; *folder != 0; ++path, ++folder) {
    if (*path == 0) return false;
    if (isSeparator(*path) && isSeparator(*folder)) continue;
    if (*path != *folder) return false;
  }
  return true;
}

void copyCut(const char* text, size_t length, char* out, size_t outSize) {
  if (outSize == 0) return;
  if (length > outSize - 1) length = outSize - 1;
  std::memcpy(out, text, length);
  std::memset(out + length, 0, outSize - length);
}

const char* lastComponent(const char* path) {
  const char* start = path;
  for (const char* c = path; *c != 0; ++c)
    if (isSeparator(*c)) start = c + 1;
  return start;
}

}  // namespace

bool PresetFileListener::presetFileExists(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  std::fclose(file);
  return true;
}

void presetRelativeName(const PresetProduct& product, const char* path, char* out, size_t outSize) {
  const size_t folderLength = std::strlen(product.presetFolder);
  for (const char* at = path; *at != 0; ++at) {
    if (!matchesAt(at, product.presetFolder)) continue;
    const char* end = at + folderLength;
    // Whole folder names only: "Tessaro Backup" is not the folder "Tessaro",
    // and a file there must not be stored as if it were inside it.
    if ((at != path && !isSeparator(at[-1])) || (*end != 0 && !isSeparator(*end))) continue;
    // The folder itself names no file; never step past the terminator.
    const char* relative = *end == 0 ? end : end + 1;
    copyCut(relative, std::strlen(relative), out, outSize);
    return;
  }
  copyCut(path, std::strlen(path), out, outSize);
}

void presetNameFromPath(const char* path, char (&name)[kProgramNameMax + 1]) {
  const char* base = lastComponent(path);
  size_t length = std::strlen(base);
  if (const char* dot = std::strrchr(base, '.')) length = static_cast<size_t>(dot - base);
  copyCut(base, length, name, sizeof(name));
}

void productNameOf(const PresetProduct& product, char* out, size_t outSize) {
  const char* name = lastComponent(product.presetFolder);
  copyCut(name, std::strlen(name), out, outSize);
}

void loadFailureText(const PresetProduct& product, LoadFailure failure, char* out, size_t outSize) {
  char productName[64];
  productNameOf(product, productName, sizeof(productName));
  switch (failure) {
    case LoadFailure::BrokenPreset:
      std::snprintf(out, outSize, "Error! Cannot load the preset, the file is either incompatible or broken.");
      break;
    case LoadFailure::BrokenBank:
      std::snprintf(out, outSize, "Error! Cannot load the preset bank, the file is either incompatible or broken.");
      break;
    case LoadFailure::NewerPreset:
    case LoadFailure::NewerBank:
      std::snprintf(out, outSize,
                    "This %s is saved using the newer version of %s. \nPlease visit %s to get the updated "
                    "version of %s.",
                    failure == LoadFailure::NewerPreset ? "preset" : "preset bank", productName, kMakerWebSite,
                    productName);
      break;
  }
}

namespace files {
namespace {

bool writeAndClose(std::FILE* file, const void* data, size_t size) {
  const bool written = std::fwrite(data, 1, size, file) == size;
  const bool flushed = std::fflush(file) == 0;
  const bool closed = std::fclose(file) == 0;
  return written && flushed && closed;
}

}  // namespace

bool usablePath(const char* path) {
  return path != nullptr && path[0] != 0 && boundedLength(path, platform::kPathCapacity) < platform::kPathCapacity;
}

ReadResult readStart(const char* path, void* buffer, size_t capacity, size_t& bytesRead) {
  bytesRead = 0;
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return ReadResult::Unreadable;
  auto* bytes = static_cast<unsigned char*>(buffer);
  while (bytesRead < capacity) {
    const size_t got = std::fread(bytes + bytesRead, 1, capacity - bytesRead, file);
    if (got == 0) break;
    bytesRead += got;
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  return failed ? ReadResult::Unreadable : ReadResult::Read;
}

bool writeWhole(const char* path, const void* data, size_t size) {
  // What may not be written (a read-only file, a folder) is left alone.
  if (std::FILE* existing = std::fopen(path, "rb")) {
    std::fclose(existing);
    std::FILE* writable = std::fopen(path, "r+b");
    if (!writable) return false;
    std::fclose(writable);
  }

  // The new content goes to a neighbour first and replaces the file in one
  // step only when complete, so a full disk or a failed write never leaves
  // half a preset, or none, behind. Without a neighbour nothing is written:
  // writing in place would cut the old file before the new one is safe.
  const std::string temporary = std::string(path) + ".saving";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) return false;
  if (writeAndClose(file, data, size) && platform::replaceFile(temporary.c_str(), path)) return true;
  std::remove(temporary.c_str());
  return false;
}

}  // namespace files
}  // namespace sorvane
