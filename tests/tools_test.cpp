// The companion tools end to end: morvavl-compare against morvavl itself and
// against programs with one fault each, or hostile ones (faulty_program.cpp);
// every tool on input it must refuse; and the JUnit report.
#include "Generator.h"
#include "JUnit.h"
#include "RunProgram.h"
#include "Text.h"
#include "Tracer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

// A shell command line with {compare}, {trace}, {generate}, {faulty} and
// {morvavl} standing for the built programs, {dir} for a scratch directory.
std::string expand(std::string command, const ScratchDir &dir) {
  const std::pair<const char *, std::string> names[] = {
      {"{compare}", MORVAVL_COMPARE},
      {"{trace}", MORVAVL_TRACE},
      {"{generate}", MORVAVL_GENERATE},
      {"{faulty}", FAULTY_PROGRAM},
      {"{morvavl}", MORVAVL_PROGRAM},
      {"{dir}", (dir / "x").parent_path().string()}};
  for (const auto &[name, path] : names) {
    for (std::size_t at; (at = command.find(name)) != std::string::npos;) {
      command.replace(at, std::string_view(name).size(), path);
    }
  }
  return command;
}

// Runs such a command line, its output and errors kept in files.
ToolRun shell(const std::string &command, const ScratchDir &dir) {
  const std::string full = "(" + expand(command, dir) + ") > " +
                           dir.quoted("out") + " 2> " + dir.quoted("err");
  ToolRun run;
  const int status = std::system(full.c_str());
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = readFile(dir / "out");
  run.err = readFile(dir / "err");
  return run;
}

// The processes whose last argument is mark: `sleep mark`, and a
// fork-chain's.
int survivors(const std::string &mark) {
  int found = 0;
  const std::string last = std::string(1, '\0') + mark + '\0';
  DIR *proc = ::opendir("/proc");
  while (const dirent *entry = proc ? ::readdir(proc) : nullptr) {
    const std::string cmdline =
        readFile(std::string("/proc/") + entry->d_name + "/cmdline");
    found +=
        cmdline.size() >= last.size() &&
        cmdline.compare(cmdline.size() - last.size(), last.size(), last) == 0;
  }
  if (proc) {
    ::closedir(proc);
  }
  return found;
}

// Runs a shell command with its standard output a non-blocking pipe that
// nobody reads for the first 300 ms: all that arrives, and the exit status.
ToolRun intoIdleNonBlockingPipe(const std::string &command) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) {
    return {-1, "", "no pipe"};
  }
  ::fcntl(pipeEnds[1], F_SETFL, O_NONBLOCK);
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(pipeEnds[1], STDOUT_FILENO);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    ::execl("/bin/sh", "sh", "-c", command.c_str(),
            static_cast<char *>(nullptr));
    ::_exit(127);
  }
  ::close(pipeEnds[1]);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ToolRun run;
  char chunk[1 << 16];
  for (ssize_t got; (got = ::read(pipeEnds[0], chunk, sizeof chunk)) != 0;) {
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0) {
      break;
    }
    run.out.append(chunk, static_cast<std::size_t>(got));
  }
  ::close(pipeEnds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

TEST(Compare, MorvavlAgreesWithItselfOnGeneratedScripts) {
  const ScratchDir dir;
  const ToolRun run = shell("{compare} --generate 40 {morvavl}", dir);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out + run.err, "40 scripts: all agree\n");
}

// A program that stops after 40 answer lines differs first at the command
// that writes the 41st: counted here from morvavl's answers to each line.
TEST(Compare, FirstDifferenceNamesTheScriptLine) {
  const std::string script = generateScript("conformance", 300, 7);
  std::istringstream in(script);
  TraceSession session(in);
  TraceStep step;
  std::uint64_t answered = 0;
  while (session.step(step) &&
         answered +
                 std::count(step.answers.begin(), step.answers.end(), '\n') <=
             40) {
    answered += std::count(step.answers.begin(), step.answers.end(), '\n');
  }
  const ScratchDir dir;
  const ToolRun run = shell(
      "{compare} --generate 1 --seed 7 --commands 300 {faulty} stop-after 40",
      dir);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("\n  line " + std::to_string(step.line) + ": "),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("it wrote 40 of the"), std::string::npos) << run.out;
}

// Programs that misbehave, and morvavl itself where the comparer once gave
// a false verdict: each verdict is true, each report says what happened,
// and nothing a program started outlives its run.
TEST(Compare, HostileProgramsGetTrueVerdictsAndLeaveNothing) {
  const std::string mark = std::to_string(80000 + ::getpid() % 10000) + ".5";
  const struct {
    std::string command;
    int status;
    std::vector<const char *> said;
  } rows[] = {
      {"{compare} --generate 2 {morvavl} <&-", 0, {"2 scripts: all agree"}},
      {"{compare} --generate 2 {morvavl} >&- 2>&-; echo $? >&2", 0, {"0\n"}},
      {"printf '100000000\\ninsert \"Al\" 12345678\\n' > {dir}/lineless; "
       "{compare} --timeout 120 --script {dir}/lineless {morvavl}",
       0,
       {"1 script: it agrees"}},
      {"{compare} --generate 1 {faulty} leave-running " + mark,
       0,
       {": agrees\n  it left 1 process running, which morvavl-compare ended"}},
      {"{compare} --generate 1 {faulty} leave-group " + mark,
       0,
       {"it left 1 process running"}},
      {"{compare} --generate 1 --timeout 1 {faulty} leave-session " + mark,
       1,
       {"differs: it timed out", "it left 1 process running"}},
      // A chain that grows ever deeper, each process in a session of its
      // own, ends with the run: not a level a round, for many seconds.
      {"timeout 5 {compare} --generate 1 --timeout 1 {faulty} fork-chain " +
           mark,
       1,
       {"differs: it timed out", "processes running, which morvavl-compare "
                                 "ended"}},
      {"{compare} --generate 1 --timeout 1 {faulty} close-output",
       1,
       {"differs: it timed out", "it stopped after its answer line 1,006"}},
      {"{compare} --generate 1 --timeout 0.5 {faulty} hang-after 3",
       1,
       {"it timed out", "it stopped after its answer line 3, written for"}},
      {"{compare} --generate 1 {faulty} signal-after 3",
       1,
       {"it was ended by signal 11"}},
      {"{compare} --generate 1 {faulty} long-error",
       1,
       {"differs: it wrote on standard error\n",
        "  the end of its standard error, after 543 bytes left out:\n"
        "    |   frame 24 of the trace\n",
        "    |   frame 30 of the trace\n    | Error: something odd\n"}},
      {"{compare} --generate 3 --max-failures 2 {faulty} swap-listing",
       1,
       {"2 scripts: 2 differ; stopped there, as --max-failures asks"}},
      // It would copy the expected answers from a descriptor left open on
      // the script.
      {"{generate} mixed 300 1 >{dir}/s.txt; "
       "{compare} --script {dir}/s.txt {faulty} read-inherited",
       1,
       {"differs"}},
      // The JUnit report is written when nobody reads the other one, and
      // into a FIFO, whose reader gets it whole.
      {"{compare} --generate 4 --junit {dir}/j.xml {faulty} swap-listing | "
       "true; grep -c '<testcase' {dir}/j.xml",
       0,
       {"4\n"}},
      {"mkfifo {dir}/f; cat {dir}/f >{dir}/got & timeout 60 {compare} "
       "--generate 2 --junit {dir}/f {morvavl} >/dev/null; wait; "
       "grep -c '<testcase' {dir}/got",
       0,
       {"2\n"}},
      // Names of 300,000 bytes that differ at the first byte of their line:
      // a report of short lines, long ones cut with a mark.
      {"awk 'BEGIN {n = \"a\"; while (length(n) < 300000) n = n n; "
       "print 4; for (i = 1; i <= 3; i++) printf \"insert \\\"%s%s\\\" "
       "1000000%d\\n\", substr(\"abc\", i, 1), n, i; print \"printPreorder\"}' "
       ">{dir}/s.txt; "
       "{compare} --script {dir}/s.txt {faulty} swap-listing | awk "
       "'length($0) > 400 {long++} /bytes left out/ {cut++} "
       "END {print \"long lines:\", long + 0; if (cut) print \"cut\"}'",
       0,
       {"long lines: 0\ncut\n"}},
      // Scripts that a stop left unrun are in the JUnit report, skipped.
      {"{compare} --generate 4 --max-failures 1 --junit {dir}/j.xml {faulty} "
       "swap-listing >/dev/null; grep -c '<skipped message=\"not run: "
       "--max-failures 1' {dir}/j.xml",
       0,
       {"3\n"}},
      {"{compare} --generate 2 --reduce {dir}/r.txt {morvavl}",
       0,
       {"2 scripts: all agree\n"}},
      // A program that differs one run in two on any script leads the
      // shrinking astray; the witness reported differs on every run.
      {"echo 0 >{dir}/n; {compare} --generate 1 --reduce {dir}/r.txt {faulty} "
       "flaky {dir}/n; test \"$(head -n 1 {dir}/r.txt)\" -ge 5 && echo "
       "witness",
       0,
       {"the program is flaky: the shortest script it differed on",
        "below is the shortest that differed on all 3\n", "witness\n"}},
      // A few commands still work on a tree.
      {"{generate} mixed 6 2 | sed -n 2p; {generate} mixed-names 1 5 | "
       "sed -n 2p",
       0,
       {"insert \"", "\ninsert \"K"}},
      // A reduction shows signs of life on a terminal, and only there.
      {"script -qc '{compare} --generate 1 --reduce {dir}/r.txt {faulty} "
       "swap-listing >/dev/null' /dev/null | tr '\\r' '\\n' | grep -a "
       "shrinking; {compare} --generate 1 --reduce {dir}/r.txt {faulty} "
       "swap-listing 2>&1 >/dev/null | wc -c",
       0,
       {"shrinking: 1 run, 1,000 commands in the shortest script that still "
        "differs",
        "\n0\n"}},
      {"{compare} --generate 1 /nonexistent/program",
       2,
       {"morvavl-compare: error: cannot run /nonexistent/program: No such "
        "file or directory\n"}},
  };
  for (const auto &row : rows) {
    const ScratchDir dir;
    const ToolRun run = shell(row.command, dir);
    EXPECT_EQ(run.status, row.status) << row.command << "\n" << run.out;
    for (const char *said : row.said) {
      EXPECT_NE((run.out + run.err).find(said), std::string::npos)
          << row.command << "\n"
          << run.out << run.err;
    }
    EXPECT_EQ(survivors(mark), 0) << row.command;
  }
}

// Every bad input gets one line, "tool: error: ...", and status 2, at once;
// lines that hold no command get a warning.
TEST(Tools, BadInputGetsOneLineAndStatusTwo) {
  const struct {
    std::string command;
    int status;
    const char *err;
  } rows[] = {
      {"{compare} --script {dir} {morvavl}", 2,
       "morvavl-compare: error: cannot read {dir}: it is a directory\n"},
      {"printf '<<<\\n1\\nremove \\\\x1g\\n>>>\\n' > {dir}/a.scn; "
       "{compare} --script {dir}/a.scn {morvavl}",
       2, "a.scn: not a scenario file: line 3: \\x needs two hex digits\n"},
      {"printf '<<<\\n1\\nremove \\\\x-1\\n>>>\\n' > {dir}/a.scn; "
       "{compare} --script {dir}/a.scn {morvavl}",
       2, "line 3: \\x needs two hex digits\n"},
      {"printf '<<<\\n1\\nremove \\\\x4\\n>>>\\n' > {dir}/a.scn; "
       "{compare} --script {dir}/a.scn {morvavl}",
       2, "line 3: \\x needs two hex digits\n"},
      {"printf '<<<\\n1\\nremove \\\\q\\n>>>\\n' > {dir}/a.scn; "
       "{compare} --script {dir}/a.scn {morvavl}",
       2, "line 3: unknown escape \\q\n"},
      {"printf '>>>\\n' > {dir}/a.scn; {compare} --script {dir}/a.scn "
       "{morvavl}",
       2, "line 1: >>> before the <<< line\n"},
      {"printf '# x\\n<<<\\n1\\nprintInorder\\n' > {dir}/a.scn; "
       "{compare} --script {dir}/a.scn {morvavl}",
       2, "not a scenario file: no >>> line before the answers\n"},
      {"printf '<<<\\n1\\nprint\\0Inorder\\n>>>\\n' > {dir}/a.scn; "
       "{compare} --script {dir}/a.scn {morvavl}",
       2, "line 3: a raw control byte, 0x00, where an escape belongs\n"},
      {"printf '<<<\\r\\n1\\n>>>\\n' > {dir}/a.scn; {compare} --script "
       "{dir}/a.scn {morvavl}",
       2, "line 1: only lines that begin with # may stand before <<<\n"},
      {"printf '<<<\\n4294967295\\n>>>\\nunsuccessful\\n' > {dir}/a.scn; "
       "{compare} --script {dir}/a.scn {morvavl}",
       2,
       "its answers are not morvavl's: they first differ at script "
       "line 3\n"},
      {"{compare} --generate 1 --timeout 60 --reduce {dir}/no/such/file "
       "{faulty} hang-after 0",
       2,
       "morvavl-compare: error: cannot write {dir}/no/such/file: No such "
       "file or directory\n"},
      {"{compare} --generate 1 --junit {dir} {morvavl}", 2,
       "morvavl-compare: error: cannot write {dir}: Is a directory\n"},
      {"{compare} --generate 1 {morvavl} > /dev/full", 2,
       "morvavl-compare: error: cannot write the report: No space left on "
       "device\n"},
      {"{compare} --generate 1 --kind distinct --commands 90000001 {morvavl}",
       2,
       "morvavl-compare: error: --commands 90000001: distinct takes a size "
       "of at most 90,000,000: it draws distinct IDs from 10000000 to "
       "99999999, and there are 90,000,000 of them\n"},
      {"cd {dir} && cp {morvavl} here && {compare} --generate 1 here", 2,
       "morvavl-compare: error: cannot run here: no program of that name in "
       "PATH, where a name without a slash is looked up; for the file in the "
       "current directory, write ./here\n"},
      // Read as it streams, onto disk, and only so far.
      {"{compare} --script /dev/zero {morvavl}", 2,
       "morvavl-compare: error: cannot read /dev/zero: it is no regular file, "
       "and gives more than 1 GiB; save the script to a file and give "
       "that\n"},
      {"{trace} {dir}", 2,
       "morvavl-trace: error: cannot read {dir}: it is a directory\n"},
      {"{trace} --at 3 /dev/null", 2,
       "morvavl-trace: error: --at 3 names the lines after which --draw "
       "draws and --dot writes: give one of them\n"},
      {"printf '1\\nprintInorder\\n' | {trace} --dot {dir}/g.dot --at 5; "
       "s=$?; test ! -e {dir}/g.dot && exit $s",
       2,
       "morvavl-trace: warning: no command on line 5, so nothing is drawn "
       "there: its one command is on line 2\nmorvavl-trace: error: --dot "
       "{dir}/g.dot: no graph to write, since no command stands on the "
       "lines of --at 5\n"},
      // Four billion commands without a line are one step, at once.
      {"printf '4294967295\\ninsert \"A\" 12345678\\n' | timeout 20 {trace} "
       "--shape >/dev/null",
       0, ""},
      // What was there before the run is left as it was.
      {"printf 'kept' >{dir}/g.dot; printf '1\\nprintInorder\\n' | "
       "{trace} --dot {dir}/g.dot --at 5 2>/dev/null; s=$?; "
       "test \"$(cat {dir}/g.dot)\" = kept&& exit $s",
       2, ""},
      {"printf '1\\nprintInorder\\n' >{dir}/s.txt; "
       "{trace} --dot {dir}/s.txt --at 2 {dir}/s.txt; s=$?; "
       "test \"$(wc -c <{dir}/s.txt)\" -eq 15 && exit $s",
       2,
       "morvavl-trace: error: --dot {dir}/s.txt: it is the script being "
       "read\n"},
      {"printf '1\\nprintInorder\\n' >{dir}/s.txt; ln -s s.txt {dir}/link; "
       "{trace} --dot {dir}/link --at 2 <{dir}/s.txt; s=$?; "
       "test \"$(wc -c <{dir}/s.txt)\" -eq 15 && exit $s",
       2,
       "morvavl-trace: error: --dot {dir}/link: it is the script being read\n"},
      {"printf '1\\nprintInorder\\n' | {trace} --draw=999 >/dev/null", 0,
       "morvavl-trace: warning: no command on line 999, so nothing is drawn "
       "there: its one command is on line 2\n"},
      {"printf '2\\nprintInorder\\nprintInorder\\n' | {trace} --draw 3 | "
       "grep -c 'tree after line 3'",
       0, ""},
      {"{generate} scale-id 0", 2,
       "morvavl-generate: error: scale-id writes at least 1 record: its "
       "commands act on the records it inserts first\n"},
      {"{generate} all-ids 100000001", 2,
       "morvavl-generate: error: all-ids takes a size of at most "
       "100,000,000: there are 100,000,000 IDs of 8 digits\n"},
      {"{generate} mixed 99999999999999999999", 2,
       "morvavl-generate: error: the size 99999999999999999999 is too big: at "
       "most 18,446,744,073,709,551,615\n"},
      {"{compare} --passes=drop-chunks,nope --generate 1 --reduce {dir}/r "
       "{morvavl}",
       2,
       "morvavl-compare: error: --passes takes names of passes, and there is "
       "no pass nope (see --passes)\n"},
      {"{compare} --passes {morvavl}", 2,
       "morvavl-compare: error: --passes without names lists the passes and "
       "runs nothing; to shrink with some of them, give --passes=NAMES (see "
       "--passes)\n"},
      {"{compare} --tsv {morvavl}", 2,
       "morvavl-compare: error: unknown option --tsv (see --help)\n"},
      {"{trace} --tsv=1 /dev/null", 2,
       "morvavl-trace: error: --tsv takes no value (see --help)\n"},
      {"{generate} mixed 10 > /dev/full", 2,
       "morvavl-generate: error: cannot write the script: No space left on "
       "device\n"},
  };
  for (const auto &row : rows) {
    const ScratchDir dir;
    std::string expected = row.err;
    const std::string dirName = (dir / "x").parent_path().string();
    for (std::size_t at; (at = expected.find("{dir}")) != std::string::npos;) {
      expected.replace(at, 5, dirName);
    }
    const ToolRun run = shell(row.command, dir);
    EXPECT_EQ(run.status, row.status) << row.command;
    if (run.err.size() >= expected.size()) {
      EXPECT_EQ(run.err.substr(run.err.size() - expected.size()), expected)
          << row.command;
    } else {
      EXPECT_EQ(run.err, expected) << row.command;
    }
    EXPECT_LE(std::count(run.err.begin(), run.err.end(), '\n'), 2)
        << row.command << "\n"
        << run.err;
  }
}

// Each fault a reimplementation typically makes shrinks to a few lines that
// still show it, and that morvavl answers like itself; every run counts
// against --max-runs.
TEST(Compare, ShrinksToAShortScriptThatStillDiffers) {
  const struct {
    const char *fault;
    const char *options;
    long most;
  } rows[] = {
      {"swap-listing", "--generate 1", 4},
      {"positions-from-1", "--generate 1", 2},
      {"lazy-duplicate", "--generate 1", 7},
      {"real-level-count", "--generate 1", 4},
      {"stale-successor-parent", "--generate 10 --seed 3", 6},
      {"hang-after 2", "--generate 1 --timeout 0.5", 3},
      {"stop-after 5", "--generate 1", 6},
      {"complain", "--generate 1", 1},
  };
  for (const auto &row : rows) {
    const ScratchDir dir;
    const std::string faulty = std::string("{faulty} ") + row.fault;
    ToolRun run = shell("{compare} " + std::string(row.options) +
                            " --reduce {dir}/reduced " + faulty,
                        dir);
    EXPECT_EQ(run.status, 1) << row.fault;
    const std::string script = readFile(dir / "reduced");
    EXPECT_LE(std::count(script.begin(), script.end(), '\n'), row.most + 1)
        << row.fault << ":\n"
        << script;
    run =
        shell("{compare} --timeout 0.5 --script {dir}/reduced " + faulty, dir);
    EXPECT_EQ(run.status, 1) << row.fault << ":\n" << script;
    run = shell("{compare} --script {dir}/reduced {morvavl}", dir);
    EXPECT_EQ(run.status, 0) << row.fault << ":\n" << script;
  }
  const ScratchDir dir;
  const ToolRun run = shell("{compare} --generate 1 --max-runs 1 --reduce "
                            "{dir}/reduced {faulty} swap-listing",
                            dir);
  EXPECT_NE(run.out.find(" in 1 run of the program (the --max-runs limit)"),
            std::string::npos)
      << run.out;
}

// The passes' table drives what --passes lists, which passes run, and what
// a verbose reduction says of each cut it keeps.
TEST(Compare, PassesAreNamedListedAndChosen) {
  const ScratchDir dir;
  const ToolRun list = shell("{compare} --passes", dir);
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(list.out.rfind("plain-count\tthe count equal to the lines", 0), 0u)
      << list.out;
  EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 12);
  const ToolRun run = shell("{compare} --generate 1 --verbose "
                            "--passes=cut-after,drop-chunks --reduce "
                            "{dir}/reduced {faulty} swap-listing",
                            dir);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("  cut-after kept a cut: 1,000 to "),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("  drop-chunks kept a cut: "), std::string::npos);
  EXPECT_EQ(run.out.find("round-ids"), std::string::npos) << run.out;
}

// A program whose answers are those of a catalogued misreading is
// diagnosed by its name, and checked against that variant it then agrees;
// one that differs otherwise (wrong answers no variant gives, a crash, a
// hang, a complaint, random output) gets "none", and morvavl no diagnosis.
TEST(Compare, DiagnosisNamesTheMisreadingAndOnlyIt) {
  for (const char *fault : {"lazy-duplicate", "positions-from-1",
                            "real-level-count", "stale-successor-parent"}) {
    const ScratchDir dir;
    ToolRun run =
        shell(std::string("{compare} --generate 20 {faulty} ") + fault, dir);
    EXPECT_EQ(run.status, 1) << fault;
    EXPECT_NE(run.out.find(std::string("\ndiagnosis: ") + fault + "\n  " +
                           fault + ": it answers as if "),
              std::string::npos)
        << run.out.substr(run.out.rfind("diagnosis"));
    run = shell(std::string("{compare} --generate 20 --seed 500 --reference ") +
                    fault + " {faulty} " + fault,
                dir);
    EXPECT_EQ(run.status, 0) << fault << "\n" << run.out;
  }
  for (const char *other :
       {"{faulty} swap-listing", "{faulty} signal-after 3",
        "--timeout 0.5 {faulty} hang-after 3", "{faulty} complain",
        "sh -c 'cat >/dev/null; od -An -N64 /dev/urandom'"}) {
    const ScratchDir dir;
    const ToolRun run =
        shell(std::string("{compare} --generate 3 ") + other, dir);
    EXPECT_EQ(run.status, 1) << other;
    EXPECT_NE(run.out.find("\ndiagnosis: none of the known misreadings\n"),
              std::string::npos)
        << other << "\n"
        << run.out;
  }
  const ScratchDir dir;
  ToolRun run = shell("{compare} --generate 10 {morvavl}", dir);
  EXPECT_EQ(run.out.find("diagnosis"), std::string::npos) << run.out;
  run = shell("{compare} --generate 3 --junit {dir}/j.xml {faulty} "
              "lazy-duplicate",
              dir);
  EXPECT_NE(readFile(dir / "j.xml").find("; diagnosis: lazy-duplicate\">"),
            std::string::npos);
  run = shell("{compare} --list-variants", dir);
  EXPECT_GE(std::count(run.out.begin(), run.out.end(), '\n'), 15);
  EXPECT_NE(run.out.find("\ntextbook\tremovals retrace"), std::string::npos);
}

// One test case per script, the differing ones with a failure whose message
// is the first difference; names escaped for XML.
TEST(Compare, JUnitReportHasACasePerScript) {
  const ScratchDir dir;
  const ToolRun run = shell(
      "{generate} conformance 100 1 > '{dir}/a&b.txt' && {compare} --generate "
      "3 --seed 40 --script '{dir}/a&b.txt' --junit {dir}/junit.xml {faulty} "
      "swap-listing",
      dir);
  ASSERT_EQ(run.status, 1) << run.err;
  const std::string xml = readFile(dir / "junit.xml");
  const auto count = [&xml](const std::string &what) {
    std::size_t found = 0;
    for (std::size_t at = xml.find(what); at != std::string::npos;
         at = xml.find(what, at + 1)) {
      ++found;
    }
    return found;
  };
  std::size_t reported = 0;
  for (std::size_t at = run.out.find(": differs: "); at != std::string::npos;
       at = run.out.find(": differs: ", at + 1)) {
    ++reported;
  }
  EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n", 0), 0u);
  EXPECT_EQ(count("<testcase "), 4u);
  EXPECT_EQ(count("<failure type=\"differs\" message=\"its answers differ "
                  "from morvavl's at script line "),
            reported);
  EXPECT_GE(reported, 1u);
  EXPECT_EQ(count(" tests=\"4\" failures=\"" + std::to_string(reported) + "\""),
            2u);
  EXPECT_EQ(count("a&amp;b.txt\""), 1u);
  EXPECT_EQ(count("</testsuite>\n</testsuites>\n"), 1u);
}

// A report's long line keeps its start and its end, and no escape is cut
// in two; short lines, and the line feeds between lines, stay as they are.
TEST(Tools, LongReportLinesAreCutInTheMiddle) {
  const std::string escapes = std::string(239, 'a') + "\\x0D\\x0A";
  const std::string line = escapes + std::string(1000, 'b') + "\\xFF end";
  const std::string cut = text::cutLongLines("short\n" + line + "\nlast", 400);
  EXPECT_EQ(cut.rfind("short\n" + std::string(239, 'a') + " … [", 0), 0u)
      << cut;
  EXPECT_NE(cut.find(" bytes left out] … "), std::string::npos);
  EXPECT_NE(cut.find("\\xFF end\nlast"), std::string::npos) << cut;
  EXPECT_EQ(cut.find("\\x0 "), std::string::npos);
  EXPECT_LT(cut.size(), 420u);
  EXPECT_EQ(text::cutLongLines("a\n\nb\n", 400), "a\n\nb\n");
}

// Whatever the bytes and wherever the 64 KiB cut falls, the report is XML
// that a parser reads: here the cut falls inside a character, after bytes
// that are no UTF-8 at all. A script that was not run is there, skipped.
TEST(Compare, JUnitReportIsWellFormedWhateverTheBytes) {
  const ScratchDir dir;
  JUnitReport report("suite \xFF");
  report.failed("cut", 1, "message \xC3",
                "\xED\xA0\x80 \xEF\xBF\xBF " + std::string(65530, 'a') +
                    "\xE2\x80\xA6 the end");
  report.skipped("later", "not run");
  std::ofstream(dir / "junit.xml", std::ios::binary) << report.xml();
  const ToolRun parsed = shell(
      "python3 -c 'import sys, xml.dom.minidom as x; d = x.parse(sys.argv[1]); "
      "print(len(d.getElementsByTagName(\"skipped\")))' {dir}/junit.xml",
      dir);
  EXPECT_EQ(parsed.status, 0) << parsed.err;
  EXPECT_EQ(parsed.out, "1\n");
  EXPECT_NE(report.xml().find(" skipped=\"1\" "), std::string::npos);
}

// A reader may have left the pipe non-blocking: a full pipe then says EAGAIN,
// which means wait, not give up. Every byte arrives, from each program.
TEST(Tools, NonBlockingOutputLosesNothing) {
  const ScratchDir dir;
  shell("{generate} mixed 20000 3 >{dir}/s.txt", dir);
  for (const char *command :
       {"{morvavl} <{dir}/s.txt", "{generate} mixed 20000 3",
        "{trace} --tsv {dir}/s.txt"}) {
    const ToolRun plain = shell(command, dir);
    const ToolRun idle = intoIdleNonBlockingPipe(expand(command, dir));
    EXPECT_EQ(idle.status, 0) << command;
    EXPECT_GT(plain.out.size(), std::size_t{1} << 16) << command;
    EXPECT_EQ(idle.out.size(), plain.out.size()) << command;
    EXPECT_TRUE(idle.out == plain.out) << command;
  }
}

} // namespace
