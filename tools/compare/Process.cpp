// fork and exec with pipes on all three standard streams, driven by one poll
// loop until the program exits or its time is up; then everything it left
// running is found, by its process group and, where this process reaps
// orphans, by its parent, and killed.
#include "Process.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <istream>
#include <set>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/prctl.h>
#include <sys/syscall.h>
#endif

namespace {

// How much of the end of standard error a run keeps.
constexpr std::size_t errorTailBytes = 2048;

void closeIfOpen(int &fd) {
  if (fd >= 0) {
    ::close(fd);
    fd = -1;
  }
}

// Reads what is there; false at the end of the output.
bool drain(int fd, const std::function<void(std::string_view)> &into) {
  char buffer[1 << 16];
  const ssize_t got = ::read(fd, buffer, sizeof buffer);
  if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
    return true;
  }
  if (got <= 0) {
    return false;
  }
  into(std::string_view(buffer, static_cast<std::size_t>(got)));
  return true;
}

// Reads what a pipe holds now, without waiting for more.
void takeWhatIsThere(int &fd,
                     const std::function<void(std::string_view)> &into) {
  for (pollfd ready{fd, POLLIN, 0};
       fd >= 0 && ::poll(&ready, 1, 0) > 0 && ready.revents != 0;) {
    if (!drain(fd, into)) {
      closeIfOpen(fd);
    }
  }
}

// The processes a run must end: those in the program's process group, and
// this process's own children, which while a run lasts are all the
// program's (orphans of its descendants, once this process reaps them).
// Zombies are dead already and are only reaped.
std::set<pid_t> strays(pid_t group) {
  std::set<pid_t> found;
  const pid_t self = ::getpid();
  DIR *proc = ::opendir("/proc");
  if (!proc) {
    return found;
  }
  while (const dirent *entry = ::readdir(proc)) {
    char *end = nullptr;
    const long pid = std::strtol(entry->d_name, &end, 10);
    if (pid <= 0 || *end != '\0') {
      continue;
    }
    std::ifstream stat("/proc/" + std::string(entry->d_name) + "/stat");
    std::string line;
    std::getline(stat, line);
    // pid (name) state ppid pgrp ...: the name may hold anything.
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) {
      continue;
    }
    char state = 0;
    long parent = 0;
    long processGroup = 0;
    if (std::sscanf(line.c_str() + close + 1, " %c %ld %ld", &state, &parent,
                    &processGroup) != 3 ||
        state == 'Z') {
      continue;
    }
    if (processGroup == group || parent == self) {
      found.insert(static_cast<pid_t>(pid));
    }
  }
  ::closedir(proc);
  return found;
}

// Reaps the children that have ended; true while any is still running.
bool childrenRunning() {
  for (;;) {
    const pid_t reaped = ::waitpid(-1, nullptr, WNOHANG);
    if (reaped <= 0) {
      return reaped == 0;
    }
  }
}

// Kills everything the run started, and returns how many processes that
// was. Killing a parent hands its children to this process, so the search
// repeats until nothing is left; a run that left nothing costs two system
// calls.
std::uint64_t endAll(pid_t group) {
  std::set<pid_t> ended;
  for (int round = 0; round < 2000; ++round) {
    const bool running = childrenRunning();
    if (!running && ::kill(-group, 0) != 0) {
      break;
    }
    for (const pid_t pid : strays(group)) {
      ::kill(pid, SIGKILL);
      ended.insert(pid);
    }
    ::kill(-group, SIGKILL);
    ::usleep(1000);
  }
  return ended.size();
}

// A descriptor that becomes readable when the process exits, where the
// system offers one; -1 otherwise.
int exitDescriptor(pid_t pid) {
#if defined(__linux__) && defined(SYS_pidfd_open)
  return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
  static_cast<void>(pid);
  return -1;
#endif
}

bool isExecutableFile(const std::string &path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

} // namespace

void becomeSubreaper() {
#if defined(__linux__) && defined(PR_SET_CHILD_SUBREAPER)
  ::prctl(PR_SET_CHILD_SUBREAPER, 1);
#endif
}

std::string whyNotFound(const std::string &program) {
  if (program.empty()) {
    return "no program named";
  }
  if (program.find('/') != std::string::npos) {
    return "";
  }
  const char *path = std::getenv("PATH");
  std::string_view dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    const std::size_t colon = dirs.find(':');
    const std::string_view dir = dirs.substr(0, colon);
    if (isExecutableFile((dir.empty() ? "." : std::string(dir)) + "/" +
                         program)) {
      return "";
    }
    if (colon == std::string_view::npos) {
      break;
    }
    dirs.remove_prefix(colon + 1);
  }
  std::string why = "no program of that name in PATH, where a name without "
                    "a slash is looked up";
  struct stat info;
  if (::stat(program.c_str(), &info) == 0) {
    why += "; for the file in the current directory, write ./" + program;
  }
  return why;
}

ProcessEnd runProcess(const std::vector<std::string> &command,
                      std::istream &input, double timeoutSeconds,
                      const std::function<void(std::string_view)> &output) {
  ProcessEnd end;
  end.startError = whyNotFound(command.empty() ? "" : command[0]);
  if (!end.startError.empty()) {
    return end;
  }
  int in[2];
  int out[2];
  int err[2];
  int exec[2]; // carries the exec error, closed by a successful exec
  if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 ||
      ::pipe2(err, O_CLOEXEC) != 0 || ::pipe2(exec, O_CLOEXEC) != 0) {
    end.startError = std::string("cannot make pipes: ") + std::strerror(errno);
    return end;
  }
  std::vector<char *> argv;
  for (const std::string &word : command) {
    argv.push_back(const_cast<char *>(word.c_str()));
  }
  argv.push_back(nullptr);

  const pid_t pid = ::fork();
  if (pid == 0) {
    // A group of its own, so that the run can end what it started.
    ::setpgid(0, 0);
    ::signal(SIGPIPE, SIG_DFL);
    ::dup2(in[0], STDIN_FILENO);
    ::dup2(out[1], STDOUT_FILENO);
    ::dup2(err[1], STDERR_FILENO);
    ::execvp(argv[0], argv.data());
    const int error = errno;
    [[maybe_unused]] const ssize_t wrote =
        ::write(exec[1], &error, sizeof error);
    ::_exit(127);
  }
  for (const int fd : {in[0], out[1], err[1], exec[1]}) {
    ::close(fd);
  }
  if (pid < 0) {
    end.startError = std::string("cannot start: ") + std::strerror(errno);
    for (const int fd : {in[1], out[0], err[0], exec[0]}) {
      ::close(fd);
    }
    return end;
  }
  // The group exists from here on, whatever the program does first.
  ::setpgid(pid, pid);
  int error = 0;
  const bool execFailed = ::read(exec[0], &error, sizeof error) > 0;
  ::close(exec[0]);

  int toProgram = in[1];
  int fromOut = out[0];
  int fromErr = err[0];
  ::fcntl(toProgram, F_SETFL, O_NONBLOCK);
  if (execFailed) {
    end.startError = std::strerror(error);
    closeIfOpen(toProgram);
  }
  const auto keepError = [&end](std::string_view chunk) {
    end.errorBytes += chunk.size();
    end.errorTail.append(chunk);
    if (end.errorTail.size() > 2 * errorTailBytes) {
      end.errorTail.erase(0, end.errorTail.size() - errorTailBytes);
    }
  };

  using Clock = std::chrono::steady_clock;
  const auto deadline =
      Clock::now() + std::chrono::duration_cast<Clock::duration>(
                         std::chrono::duration<double>(timeoutSeconds));
  char block[1 << 16];
  std::string_view pending; // read from input, not yet sent
  int exitSignal = exitDescriptor(pid);
  bool exited = false;
  int status = 0;
  for (;;) {
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      exited = true;
      // What it wrote before it exited is in the pipes: take it, without
      // waiting on what it left running.
      takeWhatIsThere(fromOut, output);
      takeWhatIsThere(fromErr, keepError);
      break;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - Clock::now());
    if (left.count() <= 0) {
      end.timedOut = true;
      break;
    }
    if (toProgram >= 0 && pending.empty()) {
      input.read(block, sizeof block);
      pending = std::string_view(
          block, static_cast<std::size_t>(
                     std::max<std::streamsize>(input.gcount(), 0)));
      if (pending.empty()) {
        closeIfOpen(toProgram);
      }
    }
    // Without a descriptor for the exit, short waits, so that an exit is
    // seen soon even when the program closed its output early.
    pollfd fds[4] = {{toProgram, POLLOUT, 0},
                     {fromOut, POLLIN, 0},
                     {fromErr, POLLIN, 0},
                     {exitSignal, POLLIN, 0}};
    const int wait = static_cast<int>(
        std::min<long long>(left.count(), exitSignal >= 0 ? 1000 : 5));
    if (::poll(fds, 4, wait) < 0 && errno != EINTR) {
      break;
    }
    if (toProgram >= 0 && (fds[0].revents & (POLLOUT | POLLERR | POLLHUP))) {
      const ssize_t wrote = ::write(toProgram, pending.data(), pending.size());
      if (wrote > 0) {
        pending.remove_prefix(static_cast<std::size_t>(wrote));
      } else if (errno != EAGAIN && errno != EINTR) {
        closeIfOpen(toProgram); // it stopped reading: no more input
      }
    }
    if (fromOut >= 0 && (fds[1].revents & (POLLIN | POLLERR | POLLHUP)) &&
        !drain(fromOut, output)) {
      closeIfOpen(fromOut);
    }
    if (fromErr >= 0 && (fds[2].revents & (POLLIN | POLLERR | POLLHUP)) &&
        !drain(fromErr, keepError)) {
      closeIfOpen(fromErr);
    }
  }
  closeIfOpen(toProgram);
  closeIfOpen(fromOut);
  closeIfOpen(fromErr);
  closeIfOpen(exitSignal);
  if (!exited) {
    ::kill(-pid, SIGKILL);
    ::kill(pid, SIGKILL);
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  end.leftRunning = endAll(pid);
  if (end.errorTail.size() > errorTailBytes) {
    end.errorTail.erase(0, end.errorTail.size() - errorTailBytes);
  }
  if (!end.timedOut && end.startError.empty()) {
    if (WIFEXITED(status)) {
      end.exitStatus = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
      end.signal = WTERMSIG(status);
    }
  }
  return end;
}

std::string describeSignal(int signal) {
  const char *name = ::strsignal(signal);
  return "signal " + std::to_string(signal) +
         (name ? " (" + std::string(name) + ")" : "");
}
