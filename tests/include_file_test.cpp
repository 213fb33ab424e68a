#include "include_file.hpp"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

#include "scratch.hpp"

using namespace strtab2c;
using namespace testing_support;

namespace {

const std::string eol = kEol;

// Opens inc.h, holding "// top", then another run appends its own line.
void open_then_another_run_appends(const Scratch& s, IncludeFile* include) {
  s.write("inc.h", "// top" + eol);
  std::string err;
  ASSERT_TRUE(include->open(&err)) << err;
  s.write("inc.h", "// top" + eol + "// another run" + eol);
}

TEST(IncludeFile, AppendsAtTheEndWhateverWasWrittenMeanwhile) {
  Scratch s;
  IncludeFile include(s.path("inc.h"));
  open_then_another_run_appends(s, &include);
  std::string err;
  ASSERT_TRUE(include.add("\nextern int x;\n", &err)) << err;
  ASSERT_TRUE(include.close(&err)) << err;
  EXPECT_EQ(s.read("inc.h"), "// top" + eol + "// another run" + eol + eol + "extern int x;" + eol);
}

#ifndef _WIN32
// A failed append is cut back to the length the file had when the append began, with what another
// run wrote after the open kept: a file-size limit lets only part of the text through.
TEST(IncludeFile, AFailedAppendIsCutBackToItsOwnStart) {
  Scratch s;
  IncludeFile include(s.path("inc.h"));
  open_then_another_run_appends(s, &include);
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  void (*handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit limit = saved;
  limit.rlim_cur = 30;  // "// top\n// another run\n" is 22 bytes: 8 more fit
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  std::string err;
  const bool appended = include.add("\nextern const uint32_t X_CNT;\n", &err);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, handler);
  EXPECT_FALSE(appended);
  EXPECT_EQ(err, s.path("inc.h") + ": File too large");
  EXPECT_EQ(s.read("inc.h"), "// top\n// another run\n");
}
#endif

// Replaced, not appended to: only the declarations, and only once the append succeeds.
TEST(ReplacedInclude, ReplacedWholeOnAdd) {
  Scratch s;
  s.write("frag.h", "// old\n");
  std::string err;
  const auto include = open_include(s.path("frag.h"), true, &err);
  ASSERT_TRUE(include) << err;
  EXPECT_EQ(s.read("frag.h"), "// old\n");
  ASSERT_TRUE(include->add("\nextern int x;\n", &err)) << err;
  EXPECT_EQ(s.read("frag.h"), eol + "extern int x;" + eol);
  EXPECT_EQ(s.list(), std::vector<std::string>{"frag.h"});
}

}  // namespace
