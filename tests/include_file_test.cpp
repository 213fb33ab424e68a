#include "include_file.hpp"

#include <gtest/gtest.h>

#include <fstream>
#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

#include "scratch.hpp"

using namespace strtab2c;
using namespace testing_support;

namespace {

// Text mode: the same text on every platform.
std::string read_text(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Opens inc.h, holding "// top", then another run appends its own line.
void open_then_another_run_appends(const Scratch& s, IncludeFile* include) {
  std::ofstream(s.path("inc.h")) << "// top\n";
  ASSERT_TRUE(include->open(s.path("inc.h")));
  std::ofstream(s.path("inc.h"), std::ios::app) << "// another run\n";
}

TEST(IncludeFile, AppendsAtTheEndWhateverWasWrittenMeanwhile) {
  Scratch s;
  IncludeFile include;
  open_then_another_run_appends(s, &include);
  ASSERT_TRUE(include.append("\nextern int x;\n"));
  ASSERT_TRUE(include.close());
  EXPECT_EQ(read_text(s.path("inc.h")), "// top\n// another run\n\nextern int x;\n");
}

#ifndef _WIN32
// A failed append is cut back to the length the file had when the append began, with what another
// run wrote after the open kept: a file-size limit lets only part of the text through.
TEST(IncludeFile, AFailedAppendIsCutBackToItsOwnStart) {
  Scratch s;
  IncludeFile include;
  open_then_another_run_appends(s, &include);
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  void (*handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit limit = saved;
  limit.rlim_cur = 30;  // "// top\n// another run\n" is 22 bytes: 8 more fit
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  const bool appended = include.append("\nextern const uint32_t X_CNT;\n");
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, handler);
  EXPECT_FALSE(appended);
  include.close();
  EXPECT_EQ(read_text(s.path("inc.h")), "// top\n// another run\n");
}
#endif

// Replaced, not appended to: only the declarations, and only once the append succeeds.
TEST(IncludeFile, ReplacedWholeOnAppend) {
  Scratch s;
  s.write("frag.h", "// old\n");
  IncludeFile include;
  ASSERT_TRUE(include.open(s.path("frag.h"), true));
  EXPECT_EQ(read_text(s.path("frag.h")), "// old\n");
  ASSERT_TRUE(include.append("\nextern int x;\n"));
  EXPECT_EQ(read_text(s.path("frag.h")), "\nextern int x;\n");
  EXPECT_EQ(s.list(), std::vector<std::string>{"frag.h"});
}

}  // namespace
