// Runs the built program as a separate process: on a whole standard input
// given at once, or in a session that sends it lines one at a time, through
// pipes or through a pseudo-terminal.
#ifndef MORVAVL_RUNPROGRAM_H
#define MORVAVL_RUNPROGRAM_H

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

inline std::string readFile(const std::filesystem::path &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A fresh directory of its own for each use, so that tests in parallel and
// tests of two build trees never share files; removed with its contents.
class ScratchDir {
public:
  ScratchDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "morvavl-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
      throw std::runtime_error("cannot create a scratch directory");
    }
    path_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir &) = delete;
  ScratchDir &operator=(const ScratchDir &) = delete;

  // The file's path inside the directory, quoted for the shell.
  std::string quoted(const char *file) const {
    return "'" + (path_ / file).string() + "'";
  }
  std::filesystem::path operator/(const char *file) const {
    return path_ / file;
  }

private:
  std::filesystem::path path_;
};

struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs a program, by default the one under test, with the input on its
// standard input. arguments are added to the command line as they are.
inline ProgramRun runProgram(const std::string &input,
                             const std::string &program = MORVAVL_PROGRAM,
                             const std::string &arguments = "") {
  const ScratchDir dir;
  std::ofstream(dir / "in", std::ios::binary) << input;
  const std::string command = "'" + program + "' " + arguments + " < " +
                              dir.quoted("in") + " > " + dir.quoted("out") +
                              " 2> " + dir.quoted("err");
  ProgramRun run;
  run.status = std::system(command.c_str());
  run.out = readFile(dir / "out");
  run.err = readFile(dir / "err");
  return run;
}

// The program running with its standard input and output held by the test:
// through pipes, as a driving program has it (also with the input end left
// non-blocking, as another program may leave it), or through a
// pseudo-terminal in canonical mode, as a person typing has it (without echo
// and without the terminal's LF to CR LF mapping, so its output arrives byte
// for byte). Standard error always goes to a pipe of its own.
class Session {
public:
  enum class Channel { Pipes, NonBlockingPipes, Terminal };

  // With ignoreHangUp, the program starts as under nohup(1): a terminal that
  // goes away makes its reads fail instead of ending it with SIGHUP.
  explicit Session(Channel channel, bool ignoreHangUp = false)
      : channel_(channel) {
    std::signal(SIGPIPE, SIG_IGN); // a program that died fails the test
    int err[2];
    require(::pipe(err) == 0);
    int childIn = -1;
    int childOut = -1;
    if (channel != Channel::Terminal) {
      int in[2];
      int out[2];
      require(::pipe(in) == 0 && ::pipe(out) == 0);
      if (channel == Channel::NonBlockingPipes) {
        require(::fcntl(in[0], F_SETFL, O_NONBLOCK) == 0);
      }
      childIn = in[0];
      childOut = out[1];
      in_ = in[1];
      out_ = out[0];
    } else {
      in_ = out_ = ::posix_openpt(O_RDWR | O_NOCTTY);
      require(in_ >= 0 && ::grantpt(in_) == 0 && ::unlockpt(in_) == 0);
      // Set up before anything is typed, so that nothing is ever echoed.
      childIn = childOut = ::open(::ptsname(in_), O_RDWR | O_NOCTTY);
      termios mode;
      require(childIn >= 0 && ::tcgetattr(childIn, &mode) == 0);
      mode.c_lflag &= ~static_cast<tcflag_t>(ECHO);
      mode.c_oflag &= ~static_cast<tcflag_t>(ONLCR);
      require(::tcsetattr(childIn, TCSANOW, &mode) == 0);
    }

    pid_ = ::fork();
    require(pid_ >= 0);
    if (pid_ == 0) {
      if (channel == Channel::Terminal) {
        // The terminal becomes the controlling one of a session of its own.
        ::setsid();
        ::ioctl(childIn, TIOCSCTTY, 0);
      }
      if (ignoreHangUp) {
        std::signal(SIGHUP, SIG_IGN);
      }
      ::dup2(childIn, STDIN_FILENO);
      ::dup2(childOut, STDOUT_FILENO);
      ::dup2(err[1], STDERR_FILENO);
      ::closefrom(STDERR_FILENO + 1);
      ::execl(MORVAVL_PROGRAM, MORVAVL_PROGRAM, static_cast<char *>(nullptr));
      ::_exit(127);
    }
    ::close(childIn);
    if (childOut != childIn) {
      ::close(childOut);
    }
    ::close(err[1]);
    err_ = err[0];
  }

  ~Session() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    for (const int fd :
         {in_, channel_ != Channel::Terminal ? out_ : -1, err_}) {
      if (fd >= 0) {
        ::close(fd);
      }
    }
  }
  Session(const Session &) = delete;
  Session &operator=(const Session &) = delete;

  void send(std::string_view text) {
    while (!text.empty()) {
      const ssize_t wrote = ::write(in_, text.data(), text.size());
      if (wrote <= 0) {
        return;
      }
      text.remove_prefix(static_cast<std::size_t>(wrote));
    }
  }

  // Reads until size bytes have arrived or the time is up, and returns
  // what arrived.
  std::string receive(std::size_t size, std::chrono::milliseconds limit) {
    return drain(out_, size, limit);
  }

  // Ends the input and waits for the program to exit: its exit status, or
  // -1 when it did not exit normally within the limit.
  int finish(std::chrono::milliseconds limit) {
    if (channel_ != Channel::Terminal) {
      ::close(in_);
      in_ = -1;
    } else if (in_ >= 0) {
      send("\x04"); // end of input, typed at the start of a line
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        return -1;
      }
      ::usleep(1000);
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // Closes the terminal, as when its window is closed; reads on the
  // program's side then fail.
  void hangUp() {
    ::close(in_);
    in_ = out_ = -1;
  }

  // What the program wrote on standard error; call after finish().
  std::string errors() {
    return drain(err_, std::string::npos, std::chrono::milliseconds(1000));
  }

private:
  static void require(bool ok) {
    if (!ok) {
      throw std::runtime_error("cannot start the program");
    }
  }

  static std::string drain(int fd, std::size_t size,
                           std::chrono::milliseconds limit) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + limit;
    std::string got;
    while (got.size() < size) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - Clock::now());
      pollfd ready{fd, POLLIN, 0};
      if (left.count() <= 0 ||
          ::poll(&ready, 1, static_cast<int>(left.count())) <= 0) {
        break;
      }
      char buffer[4096];
      const std::size_t want = std::min(sizeof buffer, size - got.size());
      const ssize_t n = ::read(fd, buffer, want);
      if (n <= 0) {
        break; // end of output, or the terminal closed
      }
      got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
  }

  Channel channel_;
  pid_t pid_ = -1;
  int in_ = -1;
  int out_ = -1;
  int err_ = -1;
};

#endif
