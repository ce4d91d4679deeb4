#include "platform/posix/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

extern char** environ;

namespace sorvane::platform::posix {
namespace {

std::string searchPath() {
  if (const char* path = std::getenv("PATH")) return path;
  const std::size_t size = confstr(_CS_PATH, nullptr, 0);
  if (size == 0) return "/bin:/usr/bin";
  std::string path(size, '\0');
  confstr(_CS_PATH, path.data(), size);
  path.resize(size - 1);
  return path;
}

bool isExecutableFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// Waits for a child to end, retrying after interruptions. False when it is
// not ours to wait for any more (a host that reaps every child itself).
bool waitForChild(pid_t child, int& status) {
  for (;;) {
    if (waitpid(child, &status, 0) == child) return true;
    if (errno != EINTR) return false;
  }
}

}  // namespace

std::string findOnPath(const char* name) {
  if (!name || !*name) return {};
  const std::string path = searchPath();
  std::size_t begin = 0;
  while (begin <= path.size()) {
    std::size_t end = path.find(':', begin);
    if (end == std::string::npos) end = path.size();
    const std::string folder = path.substr(begin, end - begin);
    begin = end + 1;
    if (folder.empty() || folder[0] != '/') continue;
    std::string candidate = folder;
    if (candidate.back() != '/') candidate += '/';
    candidate += name;
    if (isExecutableFile(candidate)) return candidate;
  }
  return {};
}

pid_t startChild(const std::vector<std::string>& argv, int outputFd) {
  if (argv.empty()) return -1;
  std::vector<char*> arguments;
  arguments.reserve(argv.size() + 1);
  for (const std::string& argument : argv) arguments.push_back(const_cast<char*>(argument.c_str()));
  arguments.push_back(nullptr);

  // A host may block or ignore signals on its user-interface thread; the
  // helper must start as a program started from a desktop would.
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_t actions;
  if (posix_spawnattr_init(&attributes) != 0) return -1;
  if (posix_spawn_file_actions_init(&actions) != 0) {
    posix_spawnattr_destroy(&attributes);
    return -1;
  }
  sigset_t noSignals, allSignals;
  sigemptyset(&noSignals);
  sigfillset(&allSignals);
  posix_spawnattr_setsigmask(&attributes, &noSignals);
  posix_spawnattr_setsigdefault(&attributes, &allSignals);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  if (outputFd >= 0) posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
  // The host's own descriptors (devices, sockets) must not live on in a
  // browser or viewer that outlasts it.
  posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
#endif

  pid_t child = -1;
  const int failed = posix_spawn(&child, arguments[0], &actions, &attributes, arguments.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  return failed == 0 ? child : -1;
}

ChildRun runToEnd(const std::vector<std::string>& argv, std::size_t outputLimit) {
  ChildRun run;
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return run;
  const pid_t child = startChild(argv, pipeFds[1]);
  close(pipeFds[1]);
  if (child < 0) {
    close(pipeFds[0]);
    return run;
  }
  run.started = true;
  // Read to the end even past the limit, so a talkative child never blocks
  // on a full pipe while we wait for it.
  char chunk[4096];
  for (;;) {
    const ssize_t got = read(pipeFds[0], chunk, sizeof(chunk));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    const std::size_t room = outputLimit - std::min(outputLimit, run.output.size());
    run.output.append(chunk, std::min(room, static_cast<std::size_t>(got)));
  }
  close(pipeFds[0]);
  int status = 0;
  if (waitForChild(child, status) && WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
  return run;
}

BackgroundChildren::~BackgroundChildren() {
  std::lock_guard<std::mutex> lock(mutex_);
  reapLocked();
}

bool BackgroundChildren::start(const std::vector<std::string>& argv) {
  std::lock_guard<std::mutex> lock(mutex_);
  reapLocked();
  const pid_t child = startChild(argv, -1);
  if (child < 0) return false;
  running_.push_back(child);
  return true;
}

std::size_t BackgroundChildren::reap() {
  std::lock_guard<std::mutex> lock(mutex_);
  return reapLocked();
}

std::size_t BackgroundChildren::reapLocked() {
  std::erase_if(running_, [](pid_t child) {
    int status = 0;
    const pid_t got = waitpid(child, &status, WNOHANG);
    // Finished (reaped now), or gone already: reaped by a host that collects
    // every child itself, or never a zombie because SIGCHLD is ignored.
    return got == child || (got < 0 && errno != EINTR);
  });
  return running_.size();
}

}  // namespace sorvane::platform::posix
