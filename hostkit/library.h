// Dynamic libraries and crash isolation: the two things a plug-in host needs
// from the operating system to load foreign code and survive it.
#pragma once

#include <functional>
#include <string>

namespace sorvane::hostkit {

// A loaded shared library (.so, .dll). Move-only; unloads on destruction.
class Library {
 public:
  Library() = default;
  ~Library();
  Library(Library&& other) noexcept;
  Library& operator=(Library&& other) noexcept;
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  // Loads the library at path. On failure returns an empty Library and puts
  // the loader's reason (one line) into error.
  static Library load(const std::string& path, std::string& error);

  bool isLoaded() const { return handle_ != nullptr; }
  // Address of an exported symbol, or null.
  void* symbol(const char* name) const;
  void unload();

 private:
  explicit Library(void* handle) : handle_(handle) {}
  void* handle_ = nullptr;
};

// File name suffix of loadable libraries on this platform (".so", ".dll").
const char* libraryFileSuffix();

// Outcome of running code that may crash, hang or abort.
struct IsolatedResult {
  enum class Status { Finished, Crashed, TimedOut, Failed };
  Status status = Status::Failed;
  std::string output;  // what the code returned (only when Finished)
  std::string reason;  // why it did not finish, one line
};

// Runs work in a child process where the platform has one (fork on POSIX):
// a crash, abort or endless loop of the work ends the child, not the caller.
// The string the work returns travels back to the caller. Without process
// isolation (Windows) the work runs in place and a crash still ends the
// caller; isolationAvailable() tells which. With quiet set, what the work
// (foreign code included) prints to standard output and error is dropped.
IsolatedResult runIsolated(const std::function<std::string()>& work, double timeoutSeconds, bool quiet = false);
bool isolationAvailable();

}  // namespace sorvane::hostkit
