// Where a product keeps its presets and manuals: fixed names below the
// user's documents folder. Working them out never creates a folder.
#pragma once

#include <cstddef>

#include "platform/documents.h"
#include "presets/product_presets.h"

namespace sorvane {

// Clears both fields, then fills them with documents folder + separator +
// the relative manual folder and preset folder, written with the platform's
// separator. If the documents folder cannot be found the paths start with
// the separator, as the folder rules have it.
void buildFolderPaths(const PresetProduct& product, char (&manualFolder)[platform::kPathCapacity],
                      char (&presetFolder)[platform::kPathCapacity]);

// Copies a backslash-written relative name (as the product tables and stored
// program slots carry them) into out with the platform's separator; either
// separator is accepted on input. Cuts at out's last byte.
void toNativeSeparators(const char* relative, char* out, size_t outSize);

// folder + separator + relative (relative converted to native separators);
// false when the result would not fit, with out then holding the cut text.
bool joinPath(const char* folder, const char* relative, char* out, size_t outSize);

}  // namespace sorvane
