// End-to-end: the built tool on real files in a scratch directory.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <regex>

#include "table_builder.hpp"
#include "tool_runner.hpp"

using namespace testing_support;

namespace {

constexpr int kFailed = 255;  // exit status -1 as the parent sees it

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The tool and the tests share a C library, so they print a pointer alike.
std::string null_pointer_text() {
  char text[32];
  std::snprintf(text, sizeof text, "%p", static_cast<void*>(nullptr));
  return text;
}

// The 8 + N lines of a clean run; trace lines are checked by pattern, their numbers ascending.
void expect_run_lines(const RunResult& r, const std::string& input, const std::string& out_path,
                      const std::string& vname, bool input_has_dir,
                      const std::vector<std::string>& tail) {
  ASSERT_EQ(r.lines.size(), 8 + tail.size()) << r.out;
  const std::regex trace_arg("(.*main\\.cpp) ([0-9]+): (.*)");
  const std::regex trace("(.*main\\.cpp) ([0-9]+)");
  const std::regex trace_out("(.*main\\.cpp) ([0-9]+) : (.*)");
  std::smatch m;
  std::vector<int> numbers;
  ASSERT_TRUE(std::regex_match(r.lines[0], m, trace_arg)) << r.lines[0];
  EXPECT_EQ(m[3], input);
  numbers.push_back(std::stoi(m[2]));
  for (int i : {1, 2, 5}) {
    ASSERT_TRUE(std::regex_match(r.lines[i], m, trace)) << r.lines[i];
    numbers.push_back(std::stoi(m[2]));
  }
  ASSERT_TRUE(std::regex_match(r.lines[7], m, trace_out)) << r.lines[7];
  EXPECT_EQ(m[3], out_path);
  numbers.push_back(std::stoi(m[2]));
  for (std::size_t i = 1; i < numbers.size(); ++i) EXPECT_LT(numbers[i - 1], numbers[i]);
  if (input_has_dir) {
    EXPECT_TRUE(std::regex_match(r.lines[3], std::regex("off (0x)?[0-9a-fA-F]+")));
    EXPECT_NE(r.lines[3], "off " + null_pointer_text());
  } else {
    EXPECT_EQ(r.lines[3], "off " + null_pointer_text());
  }
  EXPECT_EQ(r.lines[4], "vname " + vname);
  EXPECT_EQ(r.lines[6], "outpath " + out_path);
  for (std::size_t i = 0; i < tail.size(); ++i) EXPECT_EQ(r.lines[8 + i], tail[i]);
}

// Where a path the tool was given lands on the Linux disk (under wine '\' is a separator too).
std::string on_disk(std::string path) {
  if (kWindows) {
    for (char& c : path)
      if (c == '\\') c = '/';
  }
  return path;
}

TEST(Cli, ConvertsATable) {
  Scratch s;
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
    Scratch s;
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
      {{"t.bin", "t.h", "My", "Strings.bin"},
       {"t.bin", "t.h"},
       warning + " \"My\" \"Strings.bin\"" + hint},
      {{"--portable-c", "t.bin", "t.h"}, {"--portable-c", "t.bin", "t.h"}, ""},
      {{"t.bin", "--portable-c", "t.h"}, {"--portable-c", "t.bin", "t.h"}, ""},
      {{"t.bin", "t.h", "--portable-c"}, {"--portable-c", "t.bin", "t.h"}, ""},
      {{"--", "--odd.bin", "t.h"}, {"--", "--odd.bin", "t.h"}, ""},
  };
  for (const auto& c : cases) {
    Scratch s, plain;
    for (const Scratch* d : {&s, &plain}) {
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
  Scratch s;
  s.write("t.bin", table({""}));
  ASSERT_EQ(s.run({"t.bin", "t.h", "--portable-c"}).status, 0);
  EXPECT_NE(s.read("t_bin.c").find("STR_1[] = {0x0}; "), std::string::npos);
  EXPECT_EQ(s.list(), (std::vector<std::string>{"t.bin", "t.h", "t_bin.c"}));
  Scratch odd;
  odd.write("--odd.bin", table({"x"}));
  ASSERT_EQ(odd.run({"--", "--odd.bin", "t.h"}).status, 0);
  EXPECT_EQ(odd.read("--odd_bin.c"), reference_source("--ODD_BIN", {"x"}));
}

TEST(Cli, VersionAndHelpAnswerOnStdout) {
  Scratch s;
  const std::string usage =
      "usage: strtab2c [--portable-c] [--const-table] [--lengths] [--] <string resource file> "
      "<include file>";
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
  Scratch s;
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
  Scratch s;
  // count 4: string 1 fine, string 2 runs past the end, 3 and 4 have no entry.
  s.write("r.bin", header(4) + entry(48, 1) + entry(49, 5) + "Zab");
  const RunResult r = s.run({"r.bin", "r.h"});
  EXPECT_EQ(r.status, 0);
  expect_run_lines(r, "r.bin", "r_bin.c", "r_bin", false,
                   {"text len 4", "error: unfit string length 2 vs 5", "text len 25",
                    "error: cannot find string resource for id 3", "text len 0",
                    "error: cannot find string resource for id 4", "text len 0"});
  EXPECT_EQ(s.read("r_bin.c"),
            reference_source("R_BIN", {"Z", std::string("ab\0\0\0", 5), "", ""}));
  EXPECT_EQ(s.read("r.h"), reference_declarations("R_BIN", kEol));
}

// What build systems use: a fragment of its own per table, replaced whole; the progress in a log,
// with failures and findings on stderr naming the table; findings that fail the run.
TEST(Cli, BuildSystemOptions) {
  const std::string eol = kEol;
  const std::string findings = "strtab2c: r.bin: error: unfit string length 2 vs 5" + eol +
                               "strtab2c: r.bin: error: cannot find string resource for id 3" + eol;
  const struct {
    std::vector<std::string> args;
    int status;
    std::string err;
    bool committed;  // r_bin.c written and the fragment replaced
  } cases[] = {
      {{"--replace-include", "r.bin", "r.decl"}, 0, "", true},
      {{"--replace-include", "--log", "r.log", "r.bin", "r.decl"}, 0, findings, true},
      {{"--log=r.log", "--strict", "--replace-include", "r.bin", "r.decl"},
       kFailed,
       findings +
           "strtab2c: r.bin: error: findings in r.bin fail the run (--strict) (full "
           "output: r.log)" +
           eol,
       false},
      {{"--log", "r.log", "bad.bin", "r.decl"},
       kFailed,
       "strtab2c: bad.bin: error: unsupported encoding 0 (full output: r.log)" + eol,
       false},
      {{"--log", "gone/r.log", "r.bin", "r.decl"},
       kFailed,
       "strtab2c: error: open log gone/r.log failed: No such file or directory" + eol,
       false},
  };
  for (const auto& c : cases) {
    Scratch s;
    s.write("r.bin", header(3) + entry(48, 1) + entry(49, 5) + "Zab");
    s.write("bad.bin", "");
    s.write("r.decl", "// old\n");
    const RunResult r = s.run(c.args);
    const std::string what = c.args[0] + " " + c.args[1];
    EXPECT_EQ(r.status, c.status) << what;
    EXPECT_EQ(r.err, c.err) << what;
    const bool logged = s.exists("r.log");
    EXPECT_EQ(r.out.empty(), logged || c.args[1] == "gone/r.log") << what;  // the log takes it
    if (logged) {
      const std::vector<std::string> lines = split_lines(s.read("r.log"));
      ASSERT_FALSE(lines.empty());
      EXPECT_EQ(lines.size(), c.committed ? 8u + 5u : lines.size()) << what;
    }
    EXPECT_EQ(s.read("r.decl"), c.committed ? reference_declarations("R_BIN", kEol) : "// old\n")
        << what;
    EXPECT_EQ(s.exists("r_bin.c"), c.committed) << what;
  }
}

TEST(Cli, EmptyTable) {
  Scratch s;
  s.write("e.bin", header(0));
  const RunResult r = s.run({"e.bin", "e.h"});
  EXPECT_EQ(r.status, 0);
  expect_run_lines(r, "e.bin", "e_bin.c", "e_bin", false, {});
  EXPECT_EQ(s.read("e_bin.c"), reference_source("E_BIN", {}));
}

TEST(Cli, RunsTwiceAndAcrossTables) {
  Scratch s;
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
  Scratch s;
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
  Scratch s;
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

struct FailCase {
  const char* name;
  std::vector<std::string> args;
  std::string input_bytes;  // written to in.bin unless empty
  std::string expect_line;
  bool include_exists_after;
};

TEST(Cli, FailuresPrintOneLineAndExitMinusOne) {
  // Which headers are refused, and the encoding each shows, is ResHead's table; these rows are
  // what only the whole program shows: the line, the exit status, the files left.
  const FailCase cases[] = {
      {"no arguments", {}, "", "illegal params", false},
      {"one argument", {"in.bin"}, table({"a"}), "illegal params", false},
      {"include directory missing",
       {"in.bin", "nodir/inc.h"},
       table({"a"}),
       "open include nodir/inc.h failed",
       false},
      {"input missing", {"missing.bin", "inc.h"}, "", "open input missing.bin failed", true},
      {"empty input", {"in.bin", "inc.h"}, "", "error: unsupported encoding 0", true},
      {"encoding 3", {"in.bin", "inc.h"}, table({"a"}, 3), "error: unsupported encoding 3", true},
  };
  for (const auto& c : cases) {
    Scratch s;
    if (!c.input_bytes.empty() || std::string(c.name) == "empty input")
      s.write("in.bin", c.input_bytes);
    const RunResult r = s.run(c.args);
    EXPECT_EQ(r.status, kFailed) << c.name;
    // A failed open adds what the system said, on stderr.
    const std::size_t open = c.expect_line.rfind("open ", 0) == 0 ? c.expect_line.find(' ', 5) : 0;
    const std::string path =
        open ? c.expect_line.substr(open + 1, c.expect_line.size() - open - 8) : std::string();
    EXPECT_EQ(r.err, open ? "strtab2c: " + path + ": No such file or directory" + kEol : "")
        << c.name;
    ASSERT_FALSE(r.lines.empty()) << c.name;
    EXPECT_EQ(r.lines.back(), c.expect_line) << c.name;
    EXPECT_LE(r.lines.size(), 3u) << c.name;  // at most the two traces before the header check
    EXPECT_EQ(s.exists("inc.h"), c.include_exists_after) << c.name;
    if (c.include_exists_after) {
      EXPECT_EQ(s.read("inc.h"), "") << c.name;
    }
    EXPECT_FALSE(s.exists("in_bin.c")) << c.name;
  }
}

TEST(Cli, BadHeaderLeavesIncludeUnchanged) {
  Scratch s;
  s.write("in.bin", table({"a"}, 1));
  s.write("inc.h", "#pragma once\n");
  EXPECT_EQ(s.run({"in.bin", "inc.h"}).status, kFailed);
  EXPECT_EQ(s.read("inc.h"), "#pragma once\n");
}

TEST(Cli, OutputThatCannotBeOpened) {
  Scratch s;
  s.write("in.bin", table({"a"}));
  s.mkdir("in_bin.c");  // a directory where the file would go
  const RunResult r = s.run({"in.bin", "inc.h"});
  EXPECT_EQ(r.status, kFailed);
  ASSERT_EQ(r.lines.size(), 8u);
  EXPECT_EQ(r.lines.back(), "open output in_bin.c failed");
  EXPECT_EQ(r.err, "strtab2c: in_bin.c: Is a directory" + std::string(kEol));
  EXPECT_EQ(s.read("inc.h"), "");
}

TEST(Cli, NeverOverwritesAnInput) {
  Scratch s;
  s.mkdir("gen");
  // No dot in the input name: the output is gen/res.c, which is the include file.
  s.write("res", table({"a"}));
  s.write("gen/res.c", "keep me\n");
  RunResult r = s.run({"res", "gen/res.c"});
  EXPECT_EQ(r.status, kFailed);
  EXPECT_EQ(r.lines.back(), "error: output gen/res.c would overwrite gen/res.c");
  EXPECT_EQ(s.read("gen/res.c"), "keep me\n");
  // The same file under another spelling of its directory.
  r = s.run({"res", "gen/../gen/res.c"});
  EXPECT_EQ(r.status, kFailed);
  EXPECT_EQ(r.lines.back(), "error: output gen/../gen/res.c would overwrite gen/../gen/res.c");
  EXPECT_EQ(s.read("gen/res.c"), "keep me\n");
}

TEST(Cli, NeverOverwritesTheInputThroughALink) {
  Scratch s;
  s.mkdir("gen");
  const std::string bytes = table({"a"});
  s.write("gen/tbl.c", bytes);
  if (kWindows) {
    std::filesystem::create_hard_link(s.path("gen/tbl.c"), s.path("tbl"));
  } else {
    std::filesystem::create_symlink("gen/tbl.c", s.path("tbl"));
  }
  const RunResult r = s.run({"tbl", "gen/inc.h"});
  EXPECT_EQ(r.status, kFailed);
  EXPECT_EQ(r.lines.back(), "error: output gen/tbl.c would overwrite tbl");
  EXPECT_EQ(s.read("gen/tbl.c"), bytes);
}

// Write failures, provoked with a file-size limit (a POSIX process limit, so native only).
class WriteFailure : public ::testing::Test {
 protected:
  void SetUp() override {
    if (kWindows) GTEST_SKIP() << "file-size limits are a POSIX fixture";
  }
};

TEST_F(WriteFailure, GeneratedFileIsRemovedAndIncludeUntouched) {
  Scratch s;
  s.write("in.bin", table({std::string(4000, 'x')}));
  s.write("inc.h", "// before\n");
  RunOptions limit;
  limit.file_size_limit = 8192;
  const RunResult r = s.run({"in.bin", "inc.h"}, limit);
  EXPECT_EQ(r.status, kFailed);
  EXPECT_EQ(r.lines.back(), "error: write in_bin.c failed");
  EXPECT_FALSE(s.exists("in_bin.c"));
  EXPECT_EQ(s.read("inc.h"), "// before\n");
}

TEST_F(WriteFailure, IncludeIsRestoredToItsLength) {
  Scratch s;
  s.write("in.bin", table({"x"}));
  const std::string before(5000, '/');
  s.write("inc.h", before);
  RunOptions limit;
  limit.file_size_limit = 5010;  // the generated file fits, the declarations do not
  const RunResult r = s.run({"in.bin", "inc.h"}, limit);
  EXPECT_EQ(r.status, kFailed);
  EXPECT_EQ(r.lines.back(), "error: write inc.h failed");
  EXPECT_EQ(s.read("inc.h"), before);
  EXPECT_EQ(s.read("in_bin.c"), reference_source("IN_BIN", {"x"}));
}

TEST_F(WriteFailure, HugeClaimStopsAtTheFirstFailedWrite) {
  Scratch s;
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
    EXPECT_LT(r.lines.size(), c.max_lines) << c.limit;
    EXPECT_FALSE(s.exists("huge_bin.c"));
    EXPECT_EQ(s.read("inc.h"), "");
  }
}

}  // namespace

namespace {

// Paths as Windows users write them: drive letters and backslashes, non-ASCII names, more than
// 260 characters, '..' with mixed separators.
std::string backslashed(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

TEST(CliWindows, PathsAsWindowsUsersWriteThem) {
  if (!kWindows) GTEST_SKIP() << "Windows paths need the Windows build";
  const std::string long_dir = std::string(120, 'd') + "/" + std::string(120, 'e');
  struct Case {
    std::string dir;        // under the scratch directory, '/'-separated
    std::string name;       // the table's file name
    std::string input_arg;  // relative to the scratch directory unless absolute
    std::string include_arg;
    std::string out_path;  // as the tool prints it
    std::string stem;
  } cases[] = {
      {"res", "menu.str", "<abs>\\res\\menu.str", "<abs>\\out\\inc\\res_str.h",
       "<abs>\\out\\inc/menu_str.c", "MENU_STR"},
      {"donn\xc3\xa9"
       "es",
       "cha\xc3\xae"
       "nes.bin",
       "donn\xc3\xa9"
       "es\\cha\xc3\xae"
       "nes.bin",
       "out\\inc\\r\xc3\xa9"
       "s.h",
       "out\\inc/cha\xc3\xae"
       "nes_bin.c",
       "CHA\xc3\xae"
       "NES_BIN"},
      {long_dir, std::string(40, 'n') + ".bin",
       "<abs>/" + long_dir + "/" + std::string(40, 'n') + ".bin",
       "<abs>\\" + backslashed(long_dir) + "\\" + std::string(60, 'h') + ".h",
       "<abs>\\" + backslashed(long_dir) + "/" + std::string(40, 'n') + "_bin.c",
       std::string(40, 'N') + "_BIN"},
      {"a/b", "t.bin", "a\\b/../b\\t.bin", "out/inc\\..\\inc/r.h", "out/inc\\..\\inc/t_bin.c",
       "T_BIN"},
  };
  for (auto& c : cases) {
    Scratch s;
    const std::string abs = backslashed(s.dir());
    for (std::string* arg : {&c.input_arg, &c.include_arg, &c.out_path}) {
      if (arg->rfind("<abs>", 0) == 0) arg->replace(0, 5, abs);
    }
    s.mkdir(c.dir);
    s.mkdir("out/inc");
    s.write(c.dir + "/" + c.name, table({"ok"}));
    const RunResult r = s.run({c.input_arg, c.include_arg});
    EXPECT_EQ(r.status, 0) << r.out;
    ASSERT_EQ(r.lines.size(), 9u) << r.out;
    EXPECT_EQ(r.lines[6], "outpath " + c.out_path);
    std::string include_dir =
        c.include_arg.rfind(abs, 0) == 0 ? c.include_arg.substr(abs.size() + 1) : c.include_arg;
    include_dir = on_disk(include_dir.substr(0, include_dir.find_last_of("\\/")));
    const std::string out_name = c.out_path.substr(c.out_path.rfind('/') + 1);
    EXPECT_EQ(s.read(include_dir + "/" + out_name), reference_source(c.stem, {"ok"})) << out_name;
  }
}

// Names as Windows reads them: drive-relative paths, trailing dots and blanks, the \\?\ form.
TEST(CliWindows, NamesAsWindowsReadsThem) {
  if (!kWindows) GTEST_SKIP() << "Windows paths need the Windows build";
  struct Case {
    std::string input, include, out_on_disk, include_on_disk;
  } cases[] = {
      {"C:strings.bin", "..\\gen\\res.h", "../gen/strings_bin.c", "../gen/res.h"},
      {"C:strings.bin", "C:res.h", "strings_bin.c", "res.h"},
      {"strings.bin.", "res.h", "strings_bin.c", "res.h"},
      {"strings.bin ", "res.h", "strings_bin.c", "res.h"},
      {"strings.bin", "\\\\?\\<abs>\\r3\\res.h", "r3/strings_bin.c", "r3/res.h"},
  };
  for (auto& c : cases) {
    Scratch s;
    s.mkdir("work");
    s.mkdir("gen");
    s.mkdir("work/r3");
    s.write("work/strings.bin", table({"ok"}));
    const std::size_t at = c.include.find("<abs>");
    if (at != std::string::npos) c.include.replace(at, 5, backslashed(s.path("work")));
    const RunResult r = s.run({c.input, c.include}, RunOptions{}, "work");
    EXPECT_EQ(r.status, 0) << c.input << " " << c.include << "\n" << r.out;
    EXPECT_EQ(s.read("work/" + c.out_on_disk), reference_source("STRINGS_BIN", {"ok"})) << c.input;
    EXPECT_EQ(s.read("work/" + c.include_on_disk), reference_declarations("STRINGS_BIN", kEol));
  }
}

// The overwrite guard holds past 260 characters, and in another case of the same name.
TEST(CliWindows, TheGuardHoldsForLongPathsAndOtherCases) {
  if (!kWindows) GTEST_SKIP() << "case-insensitive names need the Windows build";
  Scratch s;
  const std::string dir = std::string(120, 'd') + "/" + std::string(120, 'e');
  s.mkdir(dir);
  s.write(dir + "/strings.bin", table({"ok"}));
  s.write(dir + "/STRINGS_BIN.C", "keep me\n");
  const std::string abs = backslashed(s.path(dir));
  const RunResult r = s.run({abs + "\\strings.bin", abs + "\\STRINGS_BIN.C"});
  EXPECT_EQ(r.status, kFailed);
  EXPECT_EQ(r.lines.back(),
            "error: output " + abs + "/strings_bin.c would overwrite " + abs + "\\STRINGS_BIN.C");
  EXPECT_EQ(s.read(dir + "/STRINGS_BIN.C"), "keep me\n");
  // The input named as the include file in another case.
  const RunResult same = s.run({abs + "\\strings.bin", abs + "\\STRINGS.BIN"});
  EXPECT_EQ(same.status, kFailed);
  EXPECT_EQ(same.lines.back(),
            "error: include " + abs + "\\STRINGS.BIN is the input " + abs + "\\strings.bin");
  EXPECT_EQ(s.read(dir + "/strings.bin"), table({"ok"}));
}

// A header that cannot be written: read-only through its attributes, or held by another handle.
TEST(CliWindows, AHeaderThatCannotBeWrittenFailsTheRun) {
  if (!kWindows) GTEST_SKIP() << "Windows file attributes and sharing";
  for (const bool read_only : {true, false}) {
    if (read_only && under_wine()) continue;  // wine, run by root here, writes read-only files
    Scratch s;
    s.write("t.bin", table({"ab"}));
    s.write("inc.h", "// before\n");
    if (read_only) {
      std::filesystem::permissions(s.path("inc.h"), std::filesystem::perms::owner_write,
                                   std::filesystem::perm_options::remove);
    } else {
      ASSERT_TRUE(hold_file(s.path("inc.h")));
    }
    const RunResult r = s.run({"t.bin", "inc.h"});
    if (!read_only) release_file(s.path("inc.h"));
    EXPECT_EQ(r.status, kFailed) << read_only;
    EXPECT_EQ(r.lines, std::vector<std::string>{"open include inc.h failed"}) << read_only;
    EXPECT_FALSE(s.exists("t_bin.c")) << read_only;
    std::filesystem::permissions(s.path("inc.h"), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    EXPECT_EQ(s.read("inc.h"), "// before\n");
  }
}

}  // namespace

namespace {

// Hostile surroundings: every case ends in the tool's own message and -1, with nothing left over.
TEST(CliHostile, IncludeThatIsADirectory) {
  Scratch s;
  s.write("in.bin", table({"a"}));
  s.mkdir("inc.h");
  const RunResult r = s.run({"in.bin", "inc.h"});
  EXPECT_EQ(r.status, kFailed);
  EXPECT_EQ(r.lines, std::vector<std::string>{"open include inc.h failed"});
  EXPECT_FALSE(s.exists("in_bin.c"));
}

TEST(CliHostile, InputThatIsADirectory) {
  Scratch s;
  s.mkdir("in.bin");
  const RunResult r = s.run({"in.bin", "inc.h"});
  EXPECT_EQ(r.status, kFailed);
  // POSIX opens a directory and fails the read; Windows refuses the open.
  EXPECT_EQ(r.lines.back(),
            kWindows ? "open input in.bin failed" : "error: read in.bin failed: Is a directory");
  EXPECT_EQ(s.read("inc.h"), "");
  EXPECT_FALSE(s.exists("in_bin.c"));
}

TEST(CliHostile, ReadOnlyOutputDirectory) {
  if (kWindows || running_as_root()) GTEST_SKIP() << "needs a POSIX user that permissions bind";
  Scratch s;
  s.mkdir("gen");
  s.write("in.bin", table({"a"}));
  s.write("gen/inc.h", "");
  std::filesystem::permissions(s.path("gen"), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  const RunResult r = s.run({"in.bin", "gen/inc.h"});
  EXPECT_EQ(r.status, kFailed);
  EXPECT_EQ(r.lines.back(), "open output gen/in_bin.c failed");
  EXPECT_EQ(s.read("gen/inc.h"), "");
}

TEST(CliHostile, OutputDirectoryThatIsGone) {
  Scratch s;
  s.write("in.bin", table({"a"}));
  // The include path names a directory that does not exist: nothing can be created there.
  const RunResult r = s.run({"in.bin", "gone/inc.h"});
  EXPECT_EQ(r.status, kFailed);
  EXPECT_EQ(r.lines, std::vector<std::string>{"open include gone/inc.h failed"});
  EXPECT_FALSE(s.exists("gone"));
}

}  // namespace

namespace {

// The generated file appears whole or not at all, and the shared header loses nothing.
TEST(CliWholeOrNothing, AKilledRunLeavesThePreviousFile) {
  Scratch s;
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
    Scratch s;
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

TEST(CliWholeOrNothing, AFailedMoveLeavesNoTemporaryFile) {
  Scratch s;
  s.write("t.bin", table({"ab"}));
  s.write("t_bin.c", "held\n");
  if (!hold_file(s.path("t_bin.c"))) GTEST_SKIP() << "cannot hold a file here (needs root, ext4)";
  const RunResult r = s.run({"t.bin", "t.h"});
  release_file(s.path("t_bin.c"));
  EXPECT_EQ(r.status, kFailed);
  ASSERT_FALSE(r.lines.empty());
  EXPECT_EQ(r.lines.back(), "error: replace t_bin.c failed");
  EXPECT_EQ(s.read("t_bin.c"), "held\n");
  EXPECT_EQ(s.list(), (std::vector<std::string>{"t.bin", "t.h", "t_bin.c"}));
  EXPECT_EQ(s.read("t.h"), "");
}

// Runs that share one header, some of whose appends fail: each adds, or on failure removes, only
// its own lines.
TEST(CliWholeOrNothing, ParallelRunsOnOneHeaderLoseNothing) {
  // On Windows (LockFileEx) every append succeeds: there is no file-size limit to fail some.
  const auto fails = [](int i) { return !kWindows && i % 3 == 0; };
  Scratch s;
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

// The run's streams are its own, and it never writes into its input.
TEST(CliStreams, AClosedStdoutKeepsTheHeaderClean) {
  if (kWindows) GTEST_SKIP() << "closed descriptors are a POSIX fixture";
  Scratch s;
  s.write("t.bin", table(std::vector<std::string>(8000, "s")));
  RunOptions closed;
  closed.close_stdout = true;
  EXPECT_EQ(s.run({"t.bin", "inc.h"}, closed).status, 0);
  EXPECT_EQ(s.read("inc.h"), reference_declarations("T_BIN", kEol));
}

TEST(CliStreams, AFailingStdoutFailsTheRunAndCommitsNothing) {
  for (const bool pipe : {false, true}) {
    if (!pipe && (kWindows || !std::filesystem::exists("/dev/full"))) continue;
    Scratch s;
    s.write("t.bin", table(std::vector<std::string>(8000, "s")));
    s.write("inc.h", "// before\n");
    RunOptions failing;
    failing.stdout_path = pipe ? "" : "/dev/full";
    failing.stdout_broken_pipe = pipe;
    const RunResult r = s.run({"t.bin", "inc.h"}, failing);
    EXPECT_EQ(r.status, kFailed) << pipe;
    EXPECT_EQ(r.err, std::string("strtab2c: error: write standard output failed: ") +
                         (pipe ? "Broken pipe" : "No space left on device") + kEol);
    EXPECT_EQ(s.list(), (std::vector<std::string>{"inc.h", "t.bin"}));
    EXPECT_EQ(s.read("inc.h"), "// before\n");
  }
}

TEST(CliStreams, TheInputNamedAsTheIncludeIsRefused) {
  struct Case {
    const char* include;
    bool posix_only;  // symbolic links
  } cases[] = {{"t.bin", false}, {"./t.bin", false}, {"hard.h", false}, {"soft.h", true}};
  for (const auto& c : cases) {
    if (c.posix_only && kWindows) continue;
    Scratch s;
    const std::string bytes = table({"ab"});
    s.write("t.bin", bytes);
    std::filesystem::create_hard_link(s.path("t.bin"), s.path("hard.h"));
    if (!kWindows) std::filesystem::create_symlink("t.bin", s.path("soft.h"));
    const RunResult r = s.run({"t.bin", c.include});
    EXPECT_EQ(r.status, kFailed) << c.include;
    EXPECT_EQ(r.lines.back(), std::string("error: include ") + c.include + " is the input t.bin");
    EXPECT_EQ(s.read("t.bin"), bytes) << c.include;
    EXPECT_FALSE(s.exists("t_bin.c")) << c.include;
  }
}

TEST(CliStreams, AControlCharacterInTheNameIsRefusedBeforeAnyWrite) {
  if (kWindows) GTEST_SKIP() << "Windows file names hold no control characters";
  Scratch s;
  const std::string name = "x[];\nint evil(void){return 42;}\nextern int y.bin";
  s.write(name, table({"ab"}));
  const RunResult r = s.run({name, "inc.h"});
  EXPECT_EQ(r.status, kFailed);
  EXPECT_EQ(r.lines, std::vector<std::string>{
                         "error: input x[];\\x0aint evil(void){return 42;}\\x0aextern int y.bin: "
                         "a control character cannot stand in an identifier"});
  EXPECT_EQ(s.list(), std::vector<std::string>{name});
}

}  // namespace

namespace {

// Faults a run must survive: each ends in the tool's own way, leaving no temporary file.
class CliFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    if (kWindows) GTEST_SKIP() << "signals, stopped processes and memory limits are POSIX fixtures";
  }
};

// Interrupted once its temporary file exists: dies by the same signal, after removing it.
TEST_F(CliFaults, AnInterruptedRunRemovesItsTemporaryFile) {
  Scratch s;
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
  Scratch s;
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
  Scratch s;
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

}  // namespace
