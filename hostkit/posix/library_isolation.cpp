#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>

#include "hostkit/library.h"

namespace sorvane::hostkit {

namespace {

constexpr int kExitFinished = 0;
constexpr int kExitThrew = 86;

void writeAll(int fd, const std::string& text) {
  const char* data = text.data();
  size_t left = text.size();
  while (left > 0) {
    ssize_t written = write(fd, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      return;
    }
    data += written;
    left -= static_cast<size_t>(written);
  }
}

}  // namespace

IsolatedResult runIsolated(const std::function<std::string()>& work, double timeoutSeconds, bool quiet) {
  IsolatedResult result;
  int fds[2];
  if (pipe(fds) != 0) {
    result.reason = std::string("cannot create a pipe: ") + std::strerror(errno);
    return result;
  }
  // Buffered output would otherwise be written twice, once by each process.
  std::fflush(nullptr);
  pid_t child = fork();
  if (child < 0) {
    close(fds[0]);
    close(fds[1]);
    result.reason = std::string("cannot fork: ") + std::strerror(errno);
    return result;
  }
  if (child == 0) {
    close(fds[0]);
    if (quiet) {
      int null = open("/dev/null", O_WRONLY);
      if (null >= 0) {
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        close(null);
      }
    }
    int code = kExitFinished;
    std::string output;
    try {
      output = work();
    } catch (const std::exception& e) {
      output = e.what();
      code = kExitThrew;
    } catch (...) {
      output = "unknown exception";
      code = kExitThrew;
    }
    writeAll(fds[1], output);
    close(fds[1]);
    std::fflush(nullptr);
    // No static destructors or atexit handlers of the parent's program.
    _exit(code);
  }

  close(fds[1]);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  bool timedOut = false;
  char buffer[4096];
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      timedOut = true;
      break;
    }
    pollfd entry{fds[0], POLLIN, 0};
    int ready = poll(&entry, 1, static_cast<int>(left.count()));
    if (ready < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (ready == 0) continue;
    ssize_t got = read(fds[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    result.output.append(buffer, static_cast<size_t>(got));
  }
  close(fds[0]);
  if (timedOut) kill(child, SIGKILL);

  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (timedOut) {
    result.status = IsolatedResult::Status::TimedOut;
    result.reason = "did not finish within " + std::to_string(static_cast<int>(timeoutSeconds)) + " s";
    result.output.clear();
  } else if (WIFSIGNALED(status)) {
    int signal = WTERMSIG(status);
    result.status = IsolatedResult::Status::Crashed;
    result.reason = "crashed with signal " + std::to_string(signal) + " (" + strsignal(signal) + ")";
    result.output.clear();
  } else if (WIFEXITED(status) && WEXITSTATUS(status) == kExitFinished) {
    result.status = IsolatedResult::Status::Finished;
  } else if (WIFEXITED(status) && WEXITSTATUS(status) == kExitThrew) {
    result.status = IsolatedResult::Status::Failed;
    result.reason = "threw an exception: " + result.output;
    result.output.clear();
  } else {
    result.status = IsolatedResult::Status::Crashed;
    // A fault handler (a sanitizer's, the plug-in's own) turned the crash
    // into an exit.
    result.reason = "crashed: the process ended with exit code " + std::to_string(WEXITSTATUS(status));
    result.output.clear();
  }
  return result;
}

bool isolationAvailable() { return true; }

}  // namespace sorvane::hostkit
