#include "platform/file_dialog.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/posix/child_process.h"

namespace sorvane::platform {
namespace {

constexpr const char* kNoDialogMessage = "No file dialog is available: install zenity or kdialog.";
// Enough to tell a usable path from one that is too long.
constexpr std::size_t kOutputLimit = 4096;

// "*.a;*.b" as the dialog programs write a list of patterns: "*.a *.b".
std::string patternList(std::string pattern) {
  std::replace(pattern.begin(), pattern.end(), ';', ' ');
  return pattern;
}

std::vector<std::string> zenityArguments(const std::string& program, const FileDialogRequest& request) {
  std::vector<std::string> argv{program, "--file-selection", "--title=" + request.title};
  if (request.kind == FileDialogRequest::Save) {
    argv.push_back("--save");
    if (request.flags & kDialogOverwritePrompt) argv.push_back("--confirm-overwrite");
  }
  if (!request.initialFolder.empty()) argv.push_back("--filename=" + request.initialFolder + "/");
  for (const FileDialogFilter& filter : request.filters)
    argv.push_back("--file-filter=" + filter.description + " | " + patternList(filter.pattern));
  return argv;
}

std::vector<std::string> kdialogArguments(const std::string& program, const FileDialogRequest& request) {
  std::string filters;
  for (const FileDialogFilter& filter : request.filters) {
    if (!filters.empty()) filters += '\n';
    filters += patternList(filter.pattern) + "|" + filter.description;
  }
  // Without the final separator a save dialog would offer the folder's name
  // as the file name.
  const std::string folder = request.initialFolder.empty() ? std::string() : request.initialFolder + "/";
  return {program,   request.kind == FileDialogRequest::Save ? "--getsavefilename" : "--getopenfilename",
          folder,    filters,
          "--title", request.title};
}

bool hasExtension(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return path.find('.', slash == std::string::npos ? 0 : slash + 1) != std::string::npos;
}

std::string fileName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// zenity when it is installed, else kdialog, else a message: both are found
// at the moment of the request, so installing one needs no restart of the
// host. The programs are given the texts as arguments, never a command line.
class DesktopFileDialogs final : public FileDialogService {
 public:
  bool run(const FileDialogRequest& request, char (&path)[kPathCapacity]) override {
    path[0] = '\0';
    std::vector<std::string> argv;
    if (const std::string zenity = posix::findOnPath("zenity"); !zenity.empty())
      argv = zenityArguments(zenity, request);
    else if (const std::string kdialog = posix::findOnPath("kdialog"); !kdialog.empty())
      argv = kdialogArguments(kdialog, request);
    else {
      systemMessageBox().show(request.owner, kNoDialogMessage, request.title.c_str(), MessageButtons::Ok);
      return false;
    }

    const posix::ChildRun run = posix::runToEnd(argv, kOutputLimit);
    if (!run.started || run.exitStatus != 0) return false;  // cancelled, or the program failed
    std::string chosen = run.output;
    if (!chosen.empty() && chosen.back() == '\n') chosen.pop_back();
    if (chosen.empty()) return false;

    // The name the programs confirmed overwriting was the one typed; with the
    // extension added it names another file, which must be asked about again.
    bool extended = false;
    if (request.kind == FileDialogRequest::Save && !request.defaultExtension.empty() && !hasExtension(chosen)) {
      chosen += "." + request.defaultExtension;
      extended = true;
    }
    if (chosen.size() >= sizeof(path)) return false;
    if (extended && (request.flags & kDialogOverwritePrompt) &&
        systemFileSystem().attributes(chosen.c_str()) != kInvalidAttributes) {
      const std::string question = fileName(chosen) + " already exists.\nDo you want to replace it?";
      if (systemMessageBox().show(request.owner, question.c_str(), request.title.c_str(), MessageButtons::YesNo) !=
          MessageAnswer::Yes)
        return false;
    }
    std::memcpy(path, chosen.c_str(), chosen.size() + 1);
    return true;
  }
};

}  // namespace

FileDialogService& systemFileDialogs() {
  static DesktopFileDialogs service;
  return service;
}

}  // namespace sorvane::platform
