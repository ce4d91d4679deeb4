// The user's documents folder, below which the products keep their presets
// and manuals. Asking never creates anything on disk.
#pragma once

namespace sorvane::platform {

constexpr int kPathCapacity = 260;  // bytes, NUL included

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// Fills out with the documents folder (no trailing separator). On failure out
// is left empty and the answer is false; callers may carry on with the empty
// text, as the folder rules expect.
bool documentsFolder(char (&out)[kPathCapacity]);

// The desktop's documents folder as the XDG user-dirs rules give it: the last
// XDG_DOCUMENTS_DIR assignment in userDirsText ("$HOME/..." or an absolute
// path, shell-quoted), else home + "/Documents". userDirsText may be null
// (no user-dirs file). Pure text work, so it is built and tested everywhere.
bool xdgDocumentsFolder(const char* userDirsText, const char* home, char (&out)[kPathCapacity]);

}  // namespace sorvane::platform
