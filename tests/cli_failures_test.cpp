// End-to-end runs that fail: one line on stdout and exit status -1, the system's reason on stderr
// where there is one, and on disk nothing but what the row says.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <regex>

#include "cli_support.hpp"

using namespace testing_support;

namespace {

namespace fs = std::filesystem;

// Every file under the directory with its bytes; a directory or a link stands as a mark.
std::map<std::string, std::string> snapshot(const ToolDir& s) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(fs::u8path(s.dir()), ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    const std::string rel = fs::relative(it->path(), fs::u8path(s.dir())).generic_u8string();
    if (it->is_symlink()) {
      files[rel] = "<link to " + fs::read_symlink(it->path()).generic_u8string() + ">";
    } else {
      files[rel] = it->is_directory() ? "<directory>" : s.read(rel);
    }
  }
  return files;
}

// The files that differ, by name and size: the bytes themselves would swamp the report.
std::string differences(const std::map<std::string, std::string>& got,
                        const std::map<std::string, std::string>& want) {
  std::string text;
  std::map<std::string, std::string> all = got;
  all.insert(want.begin(), want.end());
  for (const auto& entry : all) {
    const auto g = got.find(entry.first), w = want.find(entry.first);
    if (g != got.end() && w != want.end() && g->second == w->second) continue;
    text += "\n  " + entry.first + ": " +
            (g == got.end() ? "missing" : std::to_string(g->second.size()) + " bytes") +
            ", expected " +
            (w == want.end() ? "none" : std::to_string(w->second.size()) + " bytes");
  }
  return text;
}

// Text with "<pid>" standing for any process id.
bool matches(const std::string& text, const std::string& expected) {
  const std::size_t at = expected.find("<pid>");
  if (at == std::string::npos) return text == expected;
  const auto quoted = [](const std::string& t) {
    return std::regex_replace(t, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)");
  };
  return std::regex_match(text, std::regex(quoted(expected.substr(0, at)) + "[0-9]+" +
                                           quoted(expected.substr(at + 5))));
}

const std::string kControlName = "x[];\nint evil(void){return 42;}\nextern int y.bin";

struct FailureCase {
  const char* name;
  // Makes the files the run meets; false where the case cannot be made here (it is skipped).
  std::function<bool(const ToolDir&)> setup;
  std::vector<std::string> args;
  std::string last;                         // stdout's last line ("": stdout stays empty)
  std::size_t lines;                        // stdout's lines
  std::string err;                          // stderr, without its line end
  std::map<std::string, std::string> left;  // what the run adds or changes; all else unchanged
  RunOptions options = {};
  const char* held = nullptr;  // kept from being written or replaced during the run
};

bool none(const ToolDir&) { return true; }
// Enough lines that stdout's buffer is written before the run ends.
bool many_strings(const ToolDir& s) {
  s.write("in.bin", table(std::vector<std::string>(8000, "s")));
  s.write("inc.h", "// before\n");
  return true;
}
// No dot in the input's name: its output, gen/res.c, is the include file.
bool include_at_the_output(const ToolDir& s) {
  s.mkdir("gen");
  s.write("res", table({"a"}));
  s.write("gen/res.c", "keep me\n");
  return true;
}
RunOptions file_size_limit(long long bytes) {
  RunOptions o;
  o.file_size_limit = bytes;
  return o;
}
RunOptions stdout_to(const char* path) {
  RunOptions o;
  o.stdout_path = path;
  return o;
}
RunOptions stdout_broken_pipe() {
  RunOptions o;
  o.stdout_broken_pipe = true;
  return o;
}
bool one_string(const ToolDir& s) {
  s.write("in.bin", table({"a"}));
  return true;
}

TEST(CliFailures, EveryFailureEndsTheRunCleanly) {
  const std::string enoent = ": No such file or directory";
  const FailureCase cases[] = {
      {"no arguments", none, {}, "illegal params", 1, "", {}},
      {"one argument", one_string, {"in.bin"}, "illegal params", 1, "", {}},
      {"include directory missing",
       one_string,
       {"in.bin", "nodir/inc.h"},
       "open include nodir/inc.h failed",
       1,
       "strtab2c: nodir/inc.h" + enoent,
       {}},
      {"include is a directory",
       [](const ToolDir& s) { return one_string(s) && (s.mkdir("inc.h"), true); },
       {"in.bin", "inc.h"},
       "open include inc.h failed",
       1,
       kWindows ? "strtab2c: inc.h: Permission denied" : "strtab2c: inc.h: Is a directory",
       {}},
      {"include held",
       [](const ToolDir& s) { return one_string(s) && (s.write("inc.h", "// before\n"), true); },
       {"in.bin", "inc.h"},
       "open include inc.h failed",
       1,
       kWindows ? "strtab2c: inc.h: Permission denied" : "strtab2c: inc.h: Operation not permitted",
       {},
       {},
       "inc.h"},
      {"include read-only",
       [](const ToolDir& s) {
         s.write("inc.h", "// before\n");
         fs::permissions(fs::u8path(s.path("inc.h")),
                         fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                         fs::perm_options::remove);
         // Root writes read-only files on POSIX, and under wine.
         return one_string(s) && !running_as_root() && !under_wine();
       },
       {"in.bin", "inc.h"},
       "open include inc.h failed",
       1,
       "strtab2c: inc.h: Permission denied",
       {}},
      {"input missing",
       none,
       {"missing.bin", "inc.h"},
       "open input missing.bin failed",
       2,
       "strtab2c: missing.bin" + enoent,
       {{"inc.h", ""}}},
      {"input is a directory",  // POSIX opens it and fails the read; Windows refuses the open
       [](const ToolDir& s) { return s.mkdir("in.bin"), true; },
       {"in.bin", "inc.h"},
       kWindows ? "open input in.bin failed" : "error: read in.bin failed: Is a directory",
       kWindows ? 2u : 3u,
       kWindows ? "strtab2c: in.bin: Permission denied" : "",
       {{"inc.h", ""}}},
      {"empty input",
       [](const ToolDir& s) { return s.write("in.bin", ""), true; },
       {"in.bin", "inc.h"},
       "error: unsupported encoding 0",
       3,
       "",
       {{"inc.h", ""}}},
      {"encoding 3, the include kept",
       [](const ToolDir& s) {
         s.write("in.bin", table({"a"}, 3));
         return s.write("inc.h", "#pragma once\n"), true;
       },
       {"in.bin", "inc.h"},
       "error: unsupported encoding 3",
       3,
       "",
       {}},
      {"a control character in the name",  // refused before any file is touched
       [](const ToolDir& s) { return kWindows || (s.write(kControlName, table({"ab"})), true); },
       {kControlName, "inc.h"},
       "error: input x[];\\x0aint evil(void){return 42;}\\x0aextern int y.bin: a control "
       "character cannot stand in an identifier",
       1,
       "",
       {}},
      {"a directory at the output",
       [](const ToolDir& s) { return one_string(s) && (s.mkdir("in_bin.c"), true); },
       {"in.bin", "inc.h"},
       "open output in_bin.c failed",
       8,
       "strtab2c: in_bin.c: Is a directory",
       {{"inc.h", ""}}},
      {"a read-only output directory",
       [](const ToolDir& s) {
         s.mkdir("gen");
         s.write("gen/inc.h", "");
         fs::permissions(fs::u8path(s.path("gen")), fs::perms::owner_write,
                         fs::perm_options::remove);
         return one_string(s) && !kWindows && !running_as_root();
       },
       {"in.bin", "gen/inc.h"},
       "open output gen/in_bin.c failed",
       8,
       "strtab2c: gen/in_bin.c.<pid>.tmp: Permission denied",
       {}},
      {"a file-size limit on the generated file",
       [](const ToolDir& s) {
         s.write("in.bin", table({std::string(4000, 'x')}));
         return s.write("inc.h", "// before\n"), !kWindows;
       },
       {"in.bin", "inc.h"},
       "error: write in_bin.c failed",
       10,
       "strtab2c: in_bin.c: File too large",
       {},
       file_size_limit(8192)},
      {"a file-size limit on the include",  // the generated file fits, the declarations do not
       [](const ToolDir& s) {
         s.write("in.bin", table({"x"}));
         return s.write("inc.h", std::string(5000, '/')), !kWindows;
       },
       {"in.bin", "inc.h"},
       "error: write inc.h failed",
       10,
       "strtab2c: inc.h: File too large",
       {{"in_bin.c", reference_source("IN_BIN", {"x"})}},
       file_size_limit(5010)},
      {"a full standard output",
       [](const ToolDir& s) { return many_strings(s) && !kWindows && fs::exists("/dev/full"); },
       {"in.bin", "inc.h"},
       "",
       0,
       "strtab2c: error: write standard output failed: No space left on device",
       {},
       stdout_to("/dev/full")},
      {"a standard output whose reader is gone",
       many_strings,
       {"in.bin", "inc.h"},
       "",
       0,
       "strtab2c: error: write standard output failed: Broken pipe",
       {},
       stdout_broken_pipe()},
      {"the output is the include",
       include_at_the_output,
       {"res", "gen/res.c"},
       "error: output gen/res.c would overwrite gen/res.c",
       8,
       "",
       {}},
      {"the output is the include, spelt otherwise",
       include_at_the_output,
       {"res", "gen/../gen/res.c"},
       "error: output gen/../gen/res.c would overwrite gen/../gen/res.c",
       8,
       "",
       {}},
      {"the output is the input through a link",
       [](const ToolDir& s) {
         s.mkdir("gen");
         s.write("gen/tbl.c", table({"a"}));
         if (kWindows) {
           fs::create_hard_link(fs::u8path(s.path("gen/tbl.c")), fs::u8path(s.path("tbl")));
         } else {
           fs::create_symlink("gen/tbl.c", fs::u8path(s.path("tbl")));
         }
         return true;
       },
       {"tbl", "gen/inc.h"},
       "error: output gen/tbl.c would overwrite tbl",
       8,
       "",
       {{"gen/inc.h", ""}}},
      {"a held output",
       [](const ToolDir& s) {
         s.write("t.bin", table({"ab"}));
         return s.write("t_bin.c", "held\n"), true;
       },
       {"t.bin", "t.h"},
       "error: replace t_bin.c failed",
       10,
       kWindows ? "strtab2c: t_bin.c: Permission denied"
                : "strtab2c: t_bin.c: Operation not permitted",
       {{"t.h", ""}},
       {},
       "t_bin.c"},
  };
  // The input named as the include, in each spelling.
  std::vector<FailureCase> all(std::begin(cases), std::end(cases));
  for (const char* include : {"t.bin", "./t.bin", "hard.h", "soft.h"}) {
    all.push_back({include,
                   [include](const ToolDir& s) {
                     s.write("t.bin", table({"ab"}));
                     fs::create_hard_link(fs::u8path(s.path("t.bin")),
                                          fs::u8path(s.path("hard.h")));
                     if (!kWindows) fs::create_symlink("t.bin", fs::u8path(s.path("soft.h")));
                     return !kWindows || std::string(include) != "soft.h";
                   },
                   {"t.bin", include},
                   std::string("error: include ") + include + " is the input t.bin",
                   3,
                   "",
                   {}});
  }
  for (const FailureCase& c : all) {
    ToolDir s;
    if (!c.setup(s)) continue;  // cannot be made here
    const std::map<std::string, std::string> before = snapshot(s);
    if (c.held && !hold_file(s.path(c.held))) continue;  // needs root and ext4 on Linux
    const RunResult r = s.run(c.args, c.options);
    if (c.held) release_file(s.path(c.held));
    EXPECT_EQ(r.status, kFailed) << c.name;
    EXPECT_EQ(r.lines.size(), c.lines) << c.name << "\n" << r.out;
    EXPECT_EQ(r.lines.empty() ? "" : r.lines.back(), c.last) << c.name;
    EXPECT_TRUE(matches(r.err, c.err.empty() ? "" : c.err + kEol)) << c.name << ": " << r.err;
    std::map<std::string, std::string> expected = before;
    for (const auto& [name, bytes] : c.left) expected[name] = bytes;
    const std::map<std::string, std::string> after = snapshot(s);
    EXPECT_TRUE(after == expected) << c.name << ": " << differences(after, expected);
  }
}

}  // namespace
