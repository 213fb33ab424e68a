// What the end-to-end tests share: the exit status of a failed run, the lines of a clean one, and
// paths as the tool's platform writes them.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "table_builder.hpp"
#include "tool_runner.hpp"

namespace testing_support {

inline constexpr int kFailed = 255;  // exit status -1 as the parent sees it

// The tool and the tests share a C library, so they print a pointer alike.
inline std::string null_pointer_text() {
  char text[32];
  std::snprintf(text, sizeof text, "%p", static_cast<void*>(nullptr));
  return text;
}

// The 8 + N lines of a clean run; trace lines are checked by pattern, their numbers ascending.
inline void expect_run_lines(const RunResult& r, const std::string& input,
                             const std::string& out_path, const std::string& vname,
                             bool input_has_dir, const std::vector<std::string>& tail) {
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
inline std::string on_disk(std::string path) {
  if (kWindows) {
    for (char& c : path)
      if (c == '\\') c = '/';
  }
  return path;
}

inline std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

inline std::string backslashed(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

}  // namespace testing_support
