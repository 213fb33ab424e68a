// End-to-end runs that succeed: the built tool on real files in a scratch directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "cli_support.hpp"

using namespace testing_support;

namespace {

TEST(Cli, ConvertsATable) {
  ToolDir s;
  s.mkdir("data");
  s.mkdir("gen");
  const std::vector<std::string> strings = {"Hi", "", std::string("Hello\0\x80\xff", 8)};
  s.write("data/strings_en.bin", table(strings));
  const RunResult r = s.run({"data/strings_en.bin", "gen/res_strings.h"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  expect_run_lines(r, "data/strings_en.bin", "gen/strings_en_bin.c", "strings_en_bin", true,
                   {"text len 10", "text len 0", "text len 45"});
  EXPECT_EQ(s.read("gen/strings_en_bin.c"), reference_source("STRINGS_EN_BIN", strings));
  EXPECT_EQ(s.read("gen/res_strings.h"), reference_declarations("STRINGS_EN_BIN", kEol));
}

struct PlaceCase {
  const char* input;
  const char* include;
  const char* out_path;
  const char* vname;
  const char* stem;
};

TEST(Cli, PlacesAndNamesTheOutput) {
  const PlaceCase cases[] = {
      {"menu.str", "res_str.h", "menu_str.c", "menu_str", "MENU_STR"},
      {"Mixed-Case.Str", "gen\\inc\\r.h", "gen\\inc/Mixed-Case_Str.c", "Mixed-Case_Str",
       "MIXED-CASE_STR"},
  };
  for (const auto& c : cases) {
    ToolDir s;
    const std::string include = on_disk(c.include);
    const std::size_t dir = include.find_last_of("\\/");
    if (dir != std::string::npos) s.mkdir(include.substr(0, dir));
    s.write(c.input, table({"x"}));
    const RunResult r = s.run({c.input, c.include});
    EXPECT_EQ(r.status, 0) << c.input;
    expect_run_lines(r, c.input, c.out_path, c.vname,
                     std::string(c.input).find('/') != std::string::npos, {"text len 4"});
    EXPECT_EQ(s.read(on_disk(c.out_path)), reference_source(c.stem, {"x"})) << c.out_path;
    EXPECT_EQ(s.read(include), reference_declarations(c.stem, kEol));
  }
}

// Options anywhere, "--" to end them, paths after the second ignored: each run leaves stdout,
// status and files exactly as the plain two-path run does, and says on stderr what it ignored.
TEST(Cli, ArgumentsAsPeopleTypeThem) {
  const std::string warning = "strtab2c: warning: only two paths are taken; ignored:";
  const std::string hint = " (a path with a blank needs quotes)" + std::string(kEol);
  const struct {
    std::vector<std::string> args;
    std::vector<std::string> plain;  // the two-path run it must equal
    std::string err;
  } cases[] = {
      {{"t.bin", "t.h", "extra"}, {"t.bin", "t.h"}, warning + " \"extra\"" + hint},
      {{"t.bin", "t.h", "--verbose"}, {"t.bin", "t.h"}, warning + " \"--verbose\"" + hint},
      {{"t.bin", "t.h", "My", "Strings.bin"},
       {"t.bin", "t.h"},
       warning + " \"My\" \"Strings.bin\"" + hint},
      {{"--portable-c", "t.bin", "t.h"}, {"--portable-c", "t.bin", "t.h"}, ""},
      {{"t.bin", "--portable-c", "t.h"}, {"--portable-c", "t.bin", "t.h"}, ""},
      {{"t.bin", "t.h", "--portable-c"}, {"--portable-c", "t.bin", "t.h"}, ""},
      {{"--", "--odd.bin", "t.h"}, {"--", "--odd.bin", "t.h"}, ""},
  };
  for (const auto& c : cases) {
    ToolDir s, plain;
    for (const ToolDir* d : {&s, &plain}) {
      d->write("t.bin", table({"", "ab"}));
      d->write("--odd.bin", table({"x"}));
    }
    const RunResult r = s.run(c.args);
    const RunResult p = plain.run(c.plain);
    const std::string what = c.args[0] + " " + c.args[1] + " " + c.args[2];
    EXPECT_EQ(r.status, 0) << what;
    EXPECT_EQ(r.out, p.out) << what;
    EXPECT_EQ(r.err, c.err) << what;
    EXPECT_EQ(s.list(), plain.list()) << what;
    for (const std::string& name : plain.list()) EXPECT_EQ(s.read(name), plain.read(name)) << name;
  }
  // The option counts in last place too (not a header named --portable-c).
  ToolDir s;
  s.write("t.bin", table({""}));
  ASSERT_EQ(s.run({"t.bin", "t.h", "--portable-c"}).status, 0);
  EXPECT_NE(s.read("t_bin.c").find("STR_1[] = {0x0}; "), std::string::npos);
  EXPECT_EQ(s.list(), (std::vector<std::string>{"t.bin", "t.h", "t_bin.c"}));
  ToolDir odd;
  odd.write("--odd.bin", table({"x"}));
  ASSERT_EQ(odd.run({"--", "--odd.bin", "t.h"}).status, 0);
  EXPECT_EQ(odd.read("--odd_bin.c"), reference_source("--ODD_BIN", {"x"}));
}

TEST(Cli, VersionAndHelpAnswerOnStdout) {
  ToolDir s;
  const std::string usage = "usage: strtab2c [options] [--] <string resource file> <include file>";
  const std::string unknown =
      "strtab2c: unknown option --bogus (a path that begins with \"--\" goes after \"--\")" +
      std::string(kEol);
  const struct {
    std::vector<std::string> args;
    int status;
    std::string line;  // the first line of help, else the last line
    std::string err;
  } cases[] = {
      {{"--version"}, 0, std::string("strtab2c ") + STRTAB2C_VERSION, ""},
      {{"t.bin", "t.h", "--version"}, 0, std::string("strtab2c ") + STRTAB2C_VERSION, ""},
      {{"--help"}, 0, usage, ""},
      {{"/?"}, kWindows ? 0 : kFailed, kWindows ? usage : "illegal params", ""},
      {{"--bogus"}, kFailed, "illegal params", unknown},
      {{"t.bin", "--bogus", "t.h"}, kFailed, "illegal params", unknown},
      {{"-h"}, kFailed, "illegal params", ""},
      {{"--portable-c", "t.bin"}, kFailed, "illegal params", ""},
      {{"t.bin", "--", "--portable-c"},
       kFailed,
       "open input t.bin failed",
       "strtab2c: t.bin: No such file or directory" + std::string(kEol)},
  };
  for (const auto& c : cases) {
    const RunResult r = s.run(c.args);
    EXPECT_EQ(r.status, c.status) << c.args[0];
    ASSERT_FALSE(r.lines.empty()) << c.args[0];
    EXPECT_EQ(r.lines[0].rfind("usage", 0) == 0 ? r.lines[0] : r.lines.back(), c.line);
    EXPECT_EQ(r.err, c.err) << c.args[0];
  }
  // "--" ended the options: a header named --portable-c was made, and nothing else.
  EXPECT_EQ(s.list(), std::vector<std::string>{"--portable-c"});
}

// Strings stored out of order or shared between entries, and a table that arrives through a pipe,
// give the same bytes as the plain table.
TEST(Cli, AnyLayoutAndAPipeGiveTheSameOutput) {
  ToolDir s;
  const std::vector<std::string> pool = {"zero", "one", "", std::string("\0\x80\xff", 3)};
  const std::vector<std::size_t> order = {3, 0, 2, 1, 1, 3, 0};
  std::vector<std::string> strings;
  for (std::size_t r : order) strings.push_back(pool[r]);
  s.write("t.bin", table(strings));
  s.write("shared.bin", pooled_table(pool, order));
  std::vector<std::size_t> reversed(strings.size());
  for (std::size_t i = 0; i < reversed.size(); ++i) reversed[i] = reversed.size() - 1 - i;
  std::vector<std::string> backwards(strings.rbegin(), strings.rend());
  s.write("reversed.bin", pooled_table(backwards, reversed));
  ASSERT_EQ(s.run({"t.bin", "t.h"}).status, 0);
  const std::string expected = s.read("t_bin.c");
  EXPECT_EQ(expected, reference_source("T_BIN", strings));
  for (const char* name : {"shared", "reversed"}) {
    const std::string input = std::string(name) + ".bin";
    const RunResult r = s.run({input, "t.h"});
    EXPECT_EQ(r.status, 0) << name;
    std::string source = s.read(std::string(name) + "_bin.c");
    const std::string stem = upper(name) + "_BIN";
    source.replace(source.find(stem), stem.size(), "T_BIN");
    source.replace(source.find(stem), stem.size(), "T_BIN");
    EXPECT_EQ(source, expected) << name;
  }
  if (kWindows) return;
  // A FIFO: the tool reads what a writer feeds it.
  ASSERT_TRUE(make_fifo(s.path("t_bin")));
  Process tool(s, {"t_bin", "fifo.h"}, RunOptions{});
  s.write("t_bin", s.read("t.bin"));
  const RunResult r = tool.wait();
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(s.read("t_bin.c"), expected);
}

TEST(Cli, ReaderFindingsDoNotFailTheRun) {
  ToolDir s;
  s.write("r.bin", findings_table());
  const RunResult r = s.run({"r.bin", "r.h"});
  EXPECT_EQ(r.status, 0);
  expect_run_lines(r, "r.bin", "r_bin.c", "r_bin", false,
                   {"text len 4", "error: unfit string length 2 vs 5", "text len 25",
                    "error: cannot find string resource for id 3", "text len 0",
                    "error: cannot find string resource for id 4", "text len 0"});
  EXPECT_EQ(s.read("r_bin.c"), reference_source("R_BIN", findings_strings()));
  EXPECT_EQ(s.read("r.h"), reference_declarations("R_BIN", kEol));
}

// What build systems use: a fragment of its own per table, replaced whole; the progress in a log,
// with failures and findings on stderr naming the table; findings that fail the run.
TEST(Cli, BuildSystemOptions) {
  const std::string eol = kEol;
  const std::string findings = "strtab2c: r.bin: error: unfit string length 2 vs 5" + eol +
                               "strtab2c: r.bin: error: cannot find string resource for id 3" +
                               eol +
                               "strtab2c: r.bin: error: cannot find string resource for id 4" + eol;
  const struct {
    std::vector<std::string> args;
    int status;
    std::string err;
    bool committed;         // r_bin.c written and the fragment replaced
    std::size_t log_lines;  // in r.log, 0: no log
  } cases[] = {
      {{"--replace-include", "r.bin", "r.decl"}, 0, "", true, 0},
      {{"--replace-include", "--log", "r.log", "r.bin", "r.decl"}, 0, findings, true, 8 + 7},
      {{"--log=r.log", "--strict", "--replace-include", "r.bin", "r.decl"},
       kFailed,
       findings +
           "strtab2c: r.bin: error: findings in r.bin fail the run (--strict) (full "
           "output: r.log)" +
           eol,
       false,
       8 + 7 + 1},
      {{"--log", "r.log", "bad.bin", "r.decl"},
       kFailed,
       "strtab2c: bad.bin: error: unsupported encoding 0 (full output: r.log)" + eol,
       false,
       3},
      {{"--log", "gone/r.log", "r.bin", "r.decl"},
       kFailed,
       "strtab2c: error: open log gone/r.log failed: No such file or directory" + eol,
       false,
       0},
  };
  for (const auto& c : cases) {
    ToolDir s;
    s.write("r.bin", findings_table());
    s.write("bad.bin", "");
    s.write("r.decl", "// old\n");
    const RunResult r = s.run(c.args);
    const std::string what = c.args[0] + " " + c.args[1];
    EXPECT_EQ(r.status, c.status) << what;
    EXPECT_EQ(r.err, c.err) << what;
    EXPECT_EQ(s.exists("r.log"), c.log_lines > 0) << what;
    EXPECT_EQ(split_lines(s.read("r.log")).size(), c.log_lines) << what;
    // With a log, stdout stays empty: the log takes it all.
    EXPECT_EQ(r.out.empty(), c.log_lines > 0 || c.args[1] == "gone/r.log") << what;
    EXPECT_EQ(s.read("r.decl"), c.committed ? reference_declarations("R_BIN", kEol) : "// old\n")
        << what;
    EXPECT_EQ(s.exists("r_bin.c"), c.committed) << what;
  }
}

TEST(Cli, EmptyTable) {
  ToolDir s;
  s.write("e.bin", header(0));
  const RunResult r = s.run({"e.bin", "e.h"});
  EXPECT_EQ(r.status, 0);
  expect_run_lines(r, "e.bin", "e_bin.c", "e_bin", false, {});
  EXPECT_EQ(s.read("e_bin.c"), reference_source("E_BIN", {}));
}

TEST(Cli, RunsTwiceAndAcrossTables) {
  ToolDir s;
  s.write("en.bin", table({"Yes"}));
  s.write("de.bin", table({"Ja", "Nein"}));
  s.write("res.h", "// shared\n");
  ASSERT_EQ(s.run({"en.bin", "res.h"}).status, 0);
  ASSERT_EQ(s.run({"en.bin", "res.h"}).status, 0);
  ASSERT_EQ(s.run({"de.bin", "res.h"}).status, 0);
  EXPECT_EQ(s.read("en_bin.c"), reference_source("EN_BIN", {"Yes"}));
  EXPECT_EQ(s.read("de_bin.c"), reference_source("DE_BIN", {"Ja", "Nein"}));
  const std::string eol = kEol;
  EXPECT_EQ(s.read("res.h"), "// shared\n" + reference_declarations("EN_BIN", eol.c_str()) +
                                 reference_declarations("EN_BIN", eol.c_str()) +
                                 reference_declarations("DE_BIN", eol.c_str()));
}

TEST(Cli, ExtremeSizes) {
  ToolDir s;
  std::vector<std::string> many(65535);
  for (std::size_t i = 0; i < many.size(); ++i)
    many[i] = std::string(1 + i % 3, static_cast<char>(i));
  std::string big(65535, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
  s.write("many.bin", table(many));
  s.write("big.bin", table({big, "z"}));
  const RunResult r = s.run({"many.bin", "x.h"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.lines.size(), 8u + 65535u);
  EXPECT_EQ(s.read("many_bin.c"), reference_source("MANY_BIN", many));
  const RunResult b = s.run({"big.bin", "x.h"});
  EXPECT_EQ(b.status, 0);
  EXPECT_EQ(b.lines[8], "text len " + std::to_string(reference_hex(big).size()));
  EXPECT_EQ(s.read("big_bin.c"), reference_source("BIG_BIN", {big, "z"}));
}

TEST(Cli, LongPathsAndNames) {
  ToolDir s;
  const std::string name(200, 'n');
  const std::string dir = std::string(120, 'd') + "/" + std::string(120, 'e');
  s.mkdir(dir);
  s.write(dir + "/" + name + ".bin", table({"q"}));
  const std::string input = dir + "/" + name + ".bin";
  const std::string include = dir + "/" + std::string(180, 'h') + ".h";
  const RunResult r = s.run({input, include});
  EXPECT_EQ(r.status, 0) << r.out;
  std::string stem(200, 'N');
  EXPECT_EQ(s.read(dir + "/" + name + "_bin.c"), reference_source(stem + "_BIN", {"q"}));
  // A name near the system's 255: its temporary name must fit too.
  const std::string near(245, 'n');
  s.write(near + ".bin", table({"q"}));
  const RunResult n = s.run({near + ".bin", "n.h"});
  EXPECT_EQ(n.status, 0) << n.err;
  EXPECT_EQ(s.read(near + "_bin.c"), reference_source(std::string(245, 'N') + "_BIN", {"q"}));
  if (kWindows) return;  // takes paths of any length through the \\?\\ form
  // Past the system's limit (PATH_MAX, 4096 bytes on Linux) the message says why.
  std::string too_long;
  while (too_long.size() < 5000) too_long += std::string(200, 'x') + "/";
  too_long += "res.h";
  const RunResult f = s.run({input, too_long});
  EXPECT_EQ(f.status, kFailed);
  EXPECT_EQ(f.lines, std::vector<std::string>{"open include " + too_long + " failed"});
  EXPECT_EQ(f.err, "strtab2c: " + too_long + ": File name too long\n");
}

}  // namespace
