// End-to-end under faults a run must survive: kills, interruptions, links, parallel runs, memory
// and file-size limits; each ends in the tool's own way, leaving whole files or none.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "cli_support.hpp"

using namespace testing_support;

namespace {

// The generated file appears whole or not at all, and the shared header loses nothing.
TEST(CliWholeOrNothing, AKilledRunLeavesThePreviousFile) {
  ToolDir s;
  std::vector<std::string> strings(1024, std::string(16384, 'k'));
  s.write("big.bin", table(strings));
  s.write("big_bin.c", "previous complete file\n");
  RunOptions kill;
  kill.kill_when_prefix = "big_bin.c.";
  kill.kill_at_size = 1 << 20;
  const RunResult r = s.run({"big.bin", "inc.h"}, kill);
  EXPECT_NE(r.status, 0);
  EXPECT_EQ(s.read("big_bin.c"), "previous complete file\n");
  EXPECT_EQ(s.read("inc.h"), "");
  // The killed run may leave its temporary file, recognisably named; nothing else.
  const std::vector<std::string> names = s.list();
  ASSERT_EQ(names.size(), 4u);
  EXPECT_TRUE(std::regex_match(names[2], std::regex("big_bin\\.c\\.[0-9]+\\.tmp"))) << names[2];
}

// A link standing at the output path (symbolic on POSIX, hard on both) is replaced, not written
// through.
TEST(CliWholeOrNothing, ALinkAtTheOutputIsReplacedNotFollowed) {
  for (const bool hard : {true, false}) {
    if (!hard && kWindows) continue;  // symbolic links need privileges there
    ToolDir s;
    s.write("t.bin", table({"ab"}));
    s.write("elsewhere.c", "not yours\n");
    if (hard) {
      std::filesystem::create_hard_link(s.path("elsewhere.c"), s.path("t_bin.c"));
    } else {
      std::filesystem::create_symlink("elsewhere.c", s.path("t_bin.c"));
    }
    EXPECT_EQ(s.run({"t.bin", "t.h"}).status, 0);
    EXPECT_EQ(s.read("elsewhere.c"), "not yours\n") << hard;
    EXPECT_FALSE(std::filesystem::is_symlink(s.path("t_bin.c")));
    EXPECT_EQ(s.read("t_bin.c"), reference_source("T_BIN", {"ab"})) << hard;
  }
}

// Runs that share one header, some of whose appends fail: each adds, or on failure removes, only
// its own lines.
TEST(CliWholeOrNothing, ParallelRunsOnOneHeaderLoseNothing) {
  // On Windows (LockFileEx) every append succeeds: there is no file-size limit to fail some.
  const auto fails = [](int i) { return !kWindows && i % 3 == 0; };
  ToolDir s;
  const std::string before(64 << 10, '/');
  s.write("inc.h", before);
  constexpr int kRuns = 30;
  for (int i = 0; i < kRuns; ++i) s.write("t" + std::to_string(i) + ".bin", table({"x"}));
  RunOptions full;
  full.file_size_limit = (64 << 10) + 10;  // the generated file fits, an append to inc.h does not
  std::vector<std::unique_ptr<Process>> runs;
  for (int i = 0; i < kRuns; ++i) {
    runs.push_back(std::make_unique<Process>(
        s, std::vector<std::string>{"t" + std::to_string(i) + ".bin", "inc.h"},
        fails(i) ? full : RunOptions{}));
  }
  std::size_t expected_size = before.size();
  for (int i = 0; i < kRuns; ++i) {
    const RunResult r = runs[i]->wait();
    EXPECT_EQ(r.status, fails(i) ? kFailed : 0) << i;
    if (r.status == 0) {
      expected_size += reference_declarations("T" + std::to_string(i) + "_BIN", kEol).size();
    }
  }
  const std::string header = s.read("inc.h");
  EXPECT_EQ(header.size(), expected_size);
  EXPECT_EQ(header.substr(0, before.size()), before);
  for (int i = 0; i < kRuns; ++i) {
    const std::string block = reference_declarations("T" + std::to_string(i) + "_BIN", kEol);
    EXPECT_EQ(header.find(block) == std::string::npos, fails(i)) << i;
  }
}

// Started without a standard output, the run's lines go nowhere and no file takes their place.
TEST(CliStreams, AClosedStdoutKeepsTheHeaderClean) {
  ToolDir s;
  s.write("t.bin", table(std::vector<std::string>(8000, "s")));
  RunOptions closed;
  closed.close_stdout = true;
  const RunResult r = s.run({"t.bin", "inc.h"}, closed);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(s.read("inc.h"), reference_declarations("T_BIN", kEol));
}

// Faults a run must survive: each ends in the tool's own way, leaving no temporary file.
class CliFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    if (kWindows) GTEST_SKIP() << "signals, stopped processes and memory limits are POSIX fixtures";
  }
};

// Interrupted once its temporary file exists: dies by the same signal, after removing it.
TEST_F(CliFaults, AnInterruptedRunRemovesItsTemporaryFile) {
  ToolDir s;
  s.write("big.bin", table(std::vector<std::string>(1024, std::string(16384, 'k'))));
  for (const int sig : {2, 15, 1}) {  // SIGINT, SIGTERM, SIGHUP
    s.write("big_bin.c", "previous complete file\n");
    s.write("inc.h", "// before\n");
    RunOptions interrupt;
    interrupt.kill_when_prefix = "big_bin.c.";
    interrupt.kill_at_size = 1 << 20;
    interrupt.kill_signal = sig;
    const RunResult r = s.run({"big.bin", "inc.h"}, interrupt);
    EXPECT_EQ(r.status, 128 + sig) << sig;
    EXPECT_EQ(s.list(), (std::vector<std::string>{"big.bin", "big_bin.c", "inc.h"})) << sig;
    EXPECT_EQ(s.read("big_bin.c"), "previous complete file\n") << sig;
    EXPECT_EQ(s.read("inc.h"), "// before\n") << sig;
  }
}

// Under memory limits from too small to start to enough: the run succeeds whole, or fails with
// its own line (the input that cannot be read, memory that cannot be had), never by a signal.
TEST_F(CliFaults, MemoryThatCannotBeHadFailsTheRunCleanly) {
#ifdef STRTAB2C_SANITIZE
  GTEST_SKIP() << "the sanitizers reserve more address space than any limit here";
#endif
  ToolDir s;
  const std::vector<std::string> strings(128, std::string(16384, 'm'));  // 2 MiB in, 13 MB out
  s.write("m.bin", table(strings));
  const std::string expected = reference_source("M_BIN", strings);
  int out_of_memory = 0, converted = 0;
  for (long long limit = 2 << 20; limit <= 8 << 20; limit += 64 << 10) {
    RunOptions memory;
    memory.memory_limit = limit;
    const RunResult r = s.run({"m.bin", "inc.h"}, memory);
    const std::string last = r.lines.empty() ? "" : r.lines.back();
    if (r.status == 0) {
      ++converted;
      EXPECT_TRUE(s.read("m_bin.c") == expected) << limit;
      std::filesystem::remove(s.path("m_bin.c"));
      std::filesystem::remove(s.path("inc.h"));
      continue;
    }
    ASSERT_EQ(r.status, kFailed) << limit << " " << r.err;  // not a signal
    out_of_memory += last == "error: out of memory";
    if (!last.empty() && last != "error: out of memory") {
      EXPECT_EQ(last, "error: read m.bin failed: Cannot allocate memory") << limit;
    }
    EXPECT_EQ(s.read("inc.h"), "") << limit;
    EXPECT_EQ(s.list(), (std::vector<std::string>{"inc.h", "m.bin"})) << limit;
  }
  EXPECT_GT(out_of_memory, 0);
  EXPECT_GT(converted, 0);
}

// The input cut short by 100 bytes, within its last page, while the run stands still: the run
// fails as for any shrink, committing nothing.
TEST_F(CliFaults, AnInputCutShortWhileReadFailsTheRun) {
  ToolDir s;
  // 2047 strings of 16 KiB: the file ends on a page boundary, so the cut loses no whole page.
  s.write("t.bin", table(std::vector<std::string>(2047, std::string(16384, 't'))));
  s.write("inc.h", "// before\n");
  RunOptions shrink;
  shrink.kill_when_prefix = "t_bin.c.";
  shrink.kill_at_size = 1 << 20;
  shrink.shrink_path = "t.bin";
  shrink.shrink_by = 100;
  const RunResult r = s.run({"t.bin", "inc.h"}, shrink);
  EXPECT_EQ(r.status, kFailed);
  ASSERT_FALSE(r.lines.empty());
  EXPECT_EQ(r.lines.back(), "error: read t.bin failed: the file shrank while it was read");
  EXPECT_EQ(s.list(), (std::vector<std::string>{"inc.h", "t.bin"}));
  EXPECT_EQ(s.read("inc.h"), "// before\n");
}

TEST_F(CliFaults, AHugeClaimStopsAtTheFirstFailedWrite) {
  ToolDir s;
  // 1 MiB: 65535 entries that all claim 65535 bytes of the file itself (~25 GB of output).
  std::string file = header(65535);
  for (unsigned n = 1; n <= 65535; ++n) file += entry(0, 65535);
  s.write("huge.bin", file);
  // Hit while the tool writes at once, and past its first 8 MiB, where a thread writes.
  const struct {
    int limit;
    std::size_t max_lines;  // a string is ~330 KB of text: the run stops soon after the limit
  } cases[] = {{4 << 20, 40}, {40 << 20, 160}};
  for (const auto& c : cases) {
    RunOptions limit;
    limit.file_size_limit = c.limit;
    const RunResult r = s.run({"huge.bin", "inc.h"}, limit);
    EXPECT_EQ(r.status, kFailed) << c.limit;
    EXPECT_EQ(r.lines.back(), "error: write huge_bin.c failed") << c.limit;
    EXPECT_EQ(r.err, "strtab2c: huge_bin.c: File too large\n") << c.limit;
    EXPECT_LT(r.lines.size(), c.max_lines) << c.limit;
    EXPECT_FALSE(s.exists("huge_bin.c"));
    EXPECT_EQ(s.read("inc.h"), "");
  }
}

// The generated file appears whole or not at all, and the shared header loses nothing.
}  // namespace
