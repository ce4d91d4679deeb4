#include "presets/folders.h"

#include <cstring>

#include "platform/documents.h"

namespace sorvane {

void toNativeSeparators(const char* relative, char* out, size_t outSize) {
  if (outSize == 0) return;
  size_t i = 0;
  for (; relative[i] != 0 && i + 1 < outSize; ++i) {
    const char c = relative[i];
    out[i] = (c == '\\' || c == '/') ? platform::kPathSeparator : c;
  }
  out[i] = 0;
}

bool joinPath(const char* folder, const char* relative, char* out, size_t outSize) {
  if (outSize == 0) return false;
  const size_t folderLength = std::strlen(folder);
  const size_t relativeLength = std::strlen(relative);
  if (folderLength >= outSize) {
    std::memcpy(out, folder, outSize - 1);
    out[outSize - 1] = 0;
    return false;
  }
  std::memcpy(out, folder, folderLength);
  out[folderLength] = 0;
  if (folderLength + 1 >= outSize) return false;
  out[folderLength] = platform::kPathSeparator;
  toNativeSeparators(relative, out + folderLength + 1, outSize - folderLength - 1);
  return folderLength + 1 + relativeLength < outSize;
}

void buildFolderPaths(const PresetProduct& product, char (&manualFolder)[platform::kPathCapacity],
                      char (&presetFolder)[platform::kPathCapacity]) {
  std::memset(manualFolder, 0, sizeof(manualFolder));
  std::memset(presetFolder, 0, sizeof(presetFolder));
  char documents[platform::kPathCapacity] = {};
  // A failed query leaves the text empty; the paths then start at the root,
  // which is what the folder rules ask for.
  platform::documentsFolder(documents);
  joinPath(documents, kManualFolder, manualFolder, sizeof(manualFolder));
  joinPath(documents, product.presetFolder, presetFolder, sizeof(presetFolder));
}

}  // namespace sorvane
