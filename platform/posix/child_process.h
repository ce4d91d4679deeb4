// Starting the desktop's helper programs (dialogs, message boxes, the opener
// of documents) from inside a host process. Programs are found on PATH at the
// moment they are needed and started from an argument vector, never through a
// shell, so no path or text the user chose is ever interpreted.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

namespace sorvane::platform::posix {

// The full path of the executable regular file called name in the absolute
// folders of PATH (the system's default path when PATH is unset), or "" when
// there is none. Empty and relative PATH entries are skipped: a plug-in must
// not run whatever lies in the host's working folder.
std::string findOnPath(const char* name);

// Starts argv[0] (a full path) with the rest of argv as its arguments, the
// default signal dispositions, an empty signal mask, no descriptor of ours
// beyond the standard three, and its standard output on outputFd (-1: ours).
// The child's id, or -1 when it could not be started.
pid_t startChild(const std::vector<std::string>& argv, int outputFd);

struct ChildRun {
  bool started = false;
  // The exit status when known: -1 when the child died from a signal, or when
  // someone else in the process reaped it before we could.
  int exitStatus = -1;
  std::string output;  // its standard output, at most outputLimit bytes kept
};

// Runs a child to its end (a modal helper: the caller is meant to wait),
// collecting what it writes to standard output.
ChildRun runToEnd(const std::vector<std::string>& argv, std::size_t outputLimit);

// Children that are started and never waited for. Each later start, and the
// destructor, reaps the finished ones without blocking, so no zombie is left
// behind for the life of the host; children still running at the end are
// left to the system.
class BackgroundChildren {
 public:
  BackgroundChildren() = default;
  BackgroundChildren(const BackgroundChildren&) = delete;
  BackgroundChildren& operator=(const BackgroundChildren&) = delete;
  ~BackgroundChildren();

  bool start(const std::vector<std::string>& argv);
  // Reaps what has finished; the number of children still running.
  std::size_t reap();

 private:
  std::size_t reapLocked();

  std::mutex mutex_;
  std::vector<pid_t> running_;
};

}  // namespace sorvane::platform::posix
