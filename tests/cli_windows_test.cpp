// End-to-end on Windows: paths, names and files as Windows users meet them.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "cli_support.hpp"

using namespace testing_support;

namespace {

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
    ToolDir s;
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
    ToolDir s;
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
  ToolDir s;
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

}  // namespace
