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
#include <map>
#include <set>
#include <vector>

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

// The processes a run must end: every process below this one that is not
// dead already. This process is a subreaper, so an orphan of the run comes
// back to it rather than to init: while a run lasts, the processes below
// it are the run's, whatever group or session they moved to.
std::vector<pid_t> descendants() {
  std::multimap<pid_t, pid_t> childrenOf;
  DIR *proc = ::opendir("/proc");
  if (!proc) {
    return {};
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
    // pid (name) state ppid ...: the name may hold anything.
    const std::size_t close = line.rfind(')');
    char state = 0;
    long parent = 0;
    if (close != std::string::npos &&
        std::sscanf(line.c_str() + close + 1, " %c %ld", &state, &parent) ==
            2 &&
        state != 'Z') {
      childrenOf.emplace(static_cast<pid_t>(parent), static_cast<pid_t>(pid));
    }
  }
  ::closedir(proc);
  std::vector<pid_t> found;
  for (std::vector<pid_t> next{::getpid()}; !next.empty();) {
    const pid_t parent = next.back();
    next.pop_back();
    const auto [from, to] = childrenOf.equal_range(parent);
    for (auto child = from; child != to; ++child) {
      found.push_back(child->second);
      next.push_back(child->second);
    }
  }
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
// was. Killing a parent hands its children to this process, and a process
// may start another between the search and the kill, so the search
// repeats, at once, until no child of this process is left; then nothing
// below it is. A process group is never signalled here: once its leader
// is reaped, its number may belong to someone else.
std::uint64_t endAll() {
  std::set<pid_t> ended;
  const auto giveUp =
      std::chrono::steady_clock::now() + std::chrono::seconds(5);
  for (int round = 0;
       childrenRunning() && std::chrono::steady_clock::now() < giveUp;
       ++round) {
    for (const pid_t pid : descendants()) {
      ::kill(pid, SIGKILL);
      ended.insert(pid);
    }
    if (round >= 20) {
      ::usleep(1000); // what is left takes its time to die
    }
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

namespace {

// The program's end of three pipes and a fourth that carries a failed
// exec's error, closed by a successful exec.
struct Pipes {
  int in[2] = {-1, -1};
  int out[2] = {-1, -1};
  int err[2] = {-1, -1};
  int exec[2] = {-1, -1};
};

// In the child, before exec: every descriptor past the standard three closes
// on exec, whoever opened it and however, so that the program cannot read
// the script or the expected answers behind the comparer's back.
void keepOnlyStandardStreams() {
  if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0) {
    return;
  }
  for (int fd = 3, last = static_cast<int>(::sysconf(_SC_OPEN_MAX));
       fd < last && fd < (1 << 20); ++fd) {
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
}

// One run of the program, from fork to the end of everything it started.
class Run {
public:
  explicit Run(const std::function<void(std::string_view)> &output)
      : output_(output) {}

  // Forks and execs; false when it cannot fork, and then nothing was
  // started. A failed exec is told by the end's startError.
  bool start(const std::vector<std::string> &command);
  // Feeds the input and takes the output until the program exits or its
  // time is up.
  void pump(std::istream &input, double timeoutSeconds);
  // Ends it, and everything it started, and says how it ended.
  ProcessEnd finish();
  // Why it could not start.
  ProcessEnd unstarted() { return std::move(end_); }

private:
  void keepError(std::string_view chunk) {
    end_.errorBytes += chunk.size();
    end_.errorTail.append(chunk);
    if (end_.errorTail.size() > 2 * errorTailBytes) {
      end_.errorTail.erase(0, end_.errorTail.size() - errorTailBytes);
    }
  }
  void feed(short events);

  const std::function<void(std::string_view)> &output_;
  ProcessEnd end_;
  pid_t pid_ = -1;
  int toProgram_ = -1;
  int fromOut_ = -1;
  int fromErr_ = -1;
  int exitSignal_ = -1;
  bool exited_ = false;
  int status_ = 0;
  char block_[1 << 16];
  std::string_view pending_; // read from input, not yet sent
};

bool Run::start(const std::vector<std::string> &command) {
  Pipes pipes;
  if (::pipe2(pipes.in, O_CLOEXEC) != 0 || ::pipe2(pipes.out, O_CLOEXEC) != 0 ||
      ::pipe2(pipes.err, O_CLOEXEC) != 0 ||
      ::pipe2(pipes.exec, O_CLOEXEC) != 0) {
    end_.startError = std::string("cannot make pipes: ") + std::strerror(errno);
    return false;
  }
  std::vector<char *> argv;
  for (const std::string &word : command) {
    argv.push_back(const_cast<char *>(word.c_str()));
  }
  argv.push_back(nullptr);

  pid_ = ::fork();
  if (pid_ == 0) {
    // A group of its own, so that the run can end what it started.
    ::setpgid(0, 0);
    ::signal(SIGPIPE, SIG_DFL);
    ::dup2(pipes.in[0], STDIN_FILENO);
    ::dup2(pipes.out[1], STDOUT_FILENO);
    ::dup2(pipes.err[1], STDERR_FILENO);
    keepOnlyStandardStreams();
    ::execvp(argv[0], argv.data());
    const int error = errno;
    [[maybe_unused]] const ssize_t wrote =
        ::write(pipes.exec[1], &error, sizeof error);
    ::_exit(127);
  }
  for (const int fd :
       {pipes.in[0], pipes.out[1], pipes.err[1], pipes.exec[1]}) {
    ::close(fd);
  }
  toProgram_ = pipes.in[1];
  fromOut_ = pipes.out[0];
  fromErr_ = pipes.err[0];
  if (pid_ < 0) {
    end_.startError = std::string("cannot start: ") + std::strerror(errno);
    for (int *fd : {&toProgram_, &fromOut_, &fromErr_, &pipes.exec[0]}) {
      closeIfOpen(*fd);
    }
    return false;
  }
  // The group exists from here on, whatever the program does first.
  ::setpgid(pid_, pid_);
  int error = 0;
  const bool execFailed = ::read(pipes.exec[0], &error, sizeof error) > 0;
  ::close(pipes.exec[0]);
  ::fcntl(toProgram_, F_SETFL, O_NONBLOCK);
  if (execFailed) {
    end_.startError = std::strerror(error);
    closeIfOpen(toProgram_);
  }
  exitSignal_ = exitDescriptor(pid_);
  return true;
}

// Sends what was read from the input, as far as the pipe takes it.
void Run::feed(short events) {
  if (toProgram_ < 0 || !(events & (POLLOUT | POLLERR | POLLHUP))) {
    return;
  }
  const ssize_t wrote = ::write(toProgram_, pending_.data(), pending_.size());
  if (wrote > 0) {
    pending_.remove_prefix(static_cast<std::size_t>(wrote));
  } else if (errno != EAGAIN && errno != EINTR) {
    closeIfOpen(toProgram_); // it stopped reading: no more input
  }
}

void Run::pump(std::istream &input, double timeoutSeconds) {
  using Clock = std::chrono::steady_clock;
  const auto deadline =
      Clock::now() + std::chrono::duration_cast<Clock::duration>(
                         std::chrono::duration<double>(timeoutSeconds));
  const auto error = [this](std::string_view chunk) { keepError(chunk); };
  for (;;) {
    if (::waitpid(pid_, &status_, WNOHANG) == pid_) {
      exited_ = true;
      // What it wrote before it exited is in the pipes: take it, without
      // waiting on what it left running.
      takeWhatIsThere(fromOut_, output_);
      takeWhatIsThere(fromErr_, error);
      return;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - Clock::now());
    if (left.count() <= 0) {
      end_.timedOut = true;
      return;
    }
    if (toProgram_ >= 0 && pending_.empty()) {
      input.read(block_, sizeof block_);
      pending_ = std::string_view(
          block_, static_cast<std::size_t>(
                      std::max<std::streamsize>(input.gcount(), 0)));
      if (pending_.empty()) {
        closeIfOpen(toProgram_);
      }
    }
    // Without a descriptor for the exit, short waits, so that an exit is
    // seen soon even when the program closed its output early.
    pollfd fds[4] = {{toProgram_, POLLOUT, 0},
                     {fromOut_, POLLIN, 0},
                     {fromErr_, POLLIN, 0},
                     {exitSignal_, POLLIN, 0}};
    const int wait = static_cast<int>(
        std::min<long long>(left.count(), exitSignal_ >= 0 ? 1000 : 5));
    if (::poll(fds, 4, wait) < 0 && errno != EINTR) {
      return;
    }
    feed(fds[0].revents);
    if (fromOut_ >= 0 && (fds[1].revents & (POLLIN | POLLERR | POLLHUP)) &&
        !drain(fromOut_, output_)) {
      closeIfOpen(fromOut_);
    }
    if (fromErr_ >= 0 && (fds[2].revents & (POLLIN | POLLERR | POLLHUP)) &&
        !drain(fromErr_, error)) {
      closeIfOpen(fromErr_);
    }
  }
}

ProcessEnd Run::finish() {
  for (int *fd : {&toProgram_, &fromOut_, &fromErr_, &exitSignal_}) {
    closeIfOpen(*fd);
  }
  if (!exited_) {
    // Not reaped yet, so its group's number is still its own.
    ::kill(-pid_, SIGKILL);
    ::kill(pid_, SIGKILL);
    while (::waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {
    }
  }
  end_.leftRunning = endAll();
  if (end_.errorTail.size() > errorTailBytes) {
    end_.errorTail.erase(0, end_.errorTail.size() - errorTailBytes);
  }
  if (!end_.timedOut && end_.startError.empty()) {
    if (WIFEXITED(status_)) {
      end_.exitStatus = WEXITSTATUS(status_);
    } else if (WIFSIGNALED(status_)) {
      end_.signal = WTERMSIG(status_);
    }
  }
  return std::move(end_);
}

} // namespace

ProcessEnd runProcess(const std::vector<std::string> &command,
                      std::istream &input, double timeoutSeconds,
                      const std::function<void(std::string_view)> &output) {
  ProcessEnd notFound;
  notFound.startError = whyNotFound(command.empty() ? "" : command[0]);
  if (!notFound.startError.empty()) {
    return notFound;
  }
  Run run(output);
  if (!run.start(command)) {
    return run.unstarted();
  }
  run.pump(input, timeoutSeconds);
  return run.finish();
}

std::string describeSignal(int signal) {
  const char *name = ::strsignal(signal);
  return "signal " + std::to_string(signal) +
         (name ? " (" + std::string(name) + ")" : "");
}
