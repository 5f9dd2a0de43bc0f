// fork and exec with pipes on all three standard streams, driven by one
// poll loop until the output ends or the time is up.
#include "Process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void closeIfOpen(int &fd) {
  if (fd >= 0) {
    ::close(fd);
    fd = -1;
  }
}

// Reads what is there; false at the end of the output.
bool drain(int fd, std::string &into) {
  char buffer[1 << 16];
  const ssize_t got = ::read(fd, buffer, sizeof buffer);
  if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
    return true;
  }
  if (got <= 0) {
    return false;
  }
  into.append(buffer, static_cast<std::size_t>(got));
  return true;
}

} // namespace

ProcessRun runProcess(const std::vector<std::string> &command,
                      std::string_view input, double timeoutSeconds,
                      std::size_t outputLimit) {
  ProcessRun run;
  int in[2];
  int out[2];
  int err[2];
  int exec[2]; // carries the exec error, closed by a successful exec
  if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0 ||
      ::pipe2(exec, O_CLOEXEC) != 0) {
    run.startError = std::string("cannot make pipes: ") + std::strerror(errno);
    return run;
  }
  std::vector<char *> argv;
  for (const std::string &word : command) {
    argv.push_back(const_cast<char *>(word.c_str()));
  }
  argv.push_back(nullptr);

  const pid_t pid = ::fork();
  if (pid == 0) {
    // A group of its own, so that a timeout also stops what it started.
    ::setpgid(0, 0);
    ::signal(SIGPIPE, SIG_DFL);
    ::dup2(in[0], STDIN_FILENO);
    ::dup2(out[1], STDOUT_FILENO);
    ::dup2(err[1], STDERR_FILENO);
    for (const int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) {
      ::close(fd);
    }
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
    run.startError = std::string("cannot start: ") + std::strerror(errno);
    for (const int fd : {in[1], out[0], err[0], exec[0]}) {
      ::close(fd);
    }
    return run;
  }
  int error = 0;
  const bool execFailed = ::read(exec[0], &error, sizeof error) > 0;
  ::close(exec[0]);

  int toProgram = execFailed ? -1 : in[1];
  if (execFailed) {
    ::close(in[1]);
    run.startError = std::strerror(error);
  }
  int fromOut = out[0];
  int fromErr = err[0];
  ::fcntl(toProgram, F_SETFL, O_NONBLOCK);

  using Clock = std::chrono::steady_clock;
  const auto deadline =
      Clock::now() + std::chrono::duration_cast<Clock::duration>(
                         std::chrono::duration<double>(timeoutSeconds));
  std::size_t sent = 0;
  if (toProgram >= 0 && input.empty()) {
    closeIfOpen(toProgram);
  }
  while (fromOut >= 0 || fromErr >= 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - Clock::now());
    if (left.count() <= 0) {
      run.timedOut = true;
      break;
    }
    if (run.out.size() + run.err.size() > outputLimit) {
      run.outputCut = true;
      break;
    }
    pollfd fds[3] = {
        {toProgram, POLLOUT, 0}, {fromOut, POLLIN, 0}, {fromErr, POLLIN, 0}};
    if (::poll(fds, 3, static_cast<int>(left.count())) < 0 && errno != EINTR) {
      break;
    }
    if (toProgram >= 0 && (fds[0].revents & (POLLOUT | POLLERR | POLLHUP))) {
      const ssize_t wrote =
          ::write(toProgram, input.data() + sent,
                  std::min<std::size_t>(input.size() - sent, 1 << 16));
      if (wrote > 0) {
        sent += static_cast<std::size_t>(wrote);
      }
      // A program that stops reading gets no more input.
      if (sent == input.size() || (wrote < 0 && errno != EAGAIN)) {
        closeIfOpen(toProgram);
      }
    }
    if (fromOut >= 0 && (fds[1].revents & (POLLIN | POLLERR | POLLHUP)) &&
        !drain(fromOut, run.out)) {
      closeIfOpen(fromOut);
    }
    if (fromErr >= 0 && (fds[2].revents & (POLLIN | POLLERR | POLLHUP)) &&
        !drain(fromErr, run.err)) {
      closeIfOpen(fromErr);
    }
  }
  if (run.timedOut || run.outputCut) {
    ::kill(-pid, SIGKILL);
    ::kill(pid, SIGKILL);
  }
  closeIfOpen(toProgram);
  closeIfOpen(fromOut);
  closeIfOpen(fromErr);

  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!run.timedOut && !run.outputCut) {
    if (WIFEXITED(status)) {
      run.exitStatus = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
      run.signal = WTERMSIG(status);
    }
  }
  return run;
}

std::string describeSignal(int signal) {
  const char *name = ::strsignal(signal);
  return "signal " + std::to_string(signal) +
         (name ? " (" + std::string(name) + ")" : "");
}
