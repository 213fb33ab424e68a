// The printing of a run: progress lines on standard output (or a log), the reader's findings, the
// notes on stderr, and the one way out of a failed run. Only the run's top level prints, through
// one Reporter; the modules below it return their reasons.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "convert.hpp"
#include "platform.hpp"

namespace strtab2c {

// printf-style formatting into a string.
template <typename... Args>
std::string format(const char* fmt, const Args&... args) {
  const int n = std::snprintf(nullptr, 0, fmt, args...);
  std::string text(static_cast<std::size_t>(n > 0 ? n : 0) + 1, '\0');
  std::snprintf(&text[0], text.size(), fmt, args...);
  text.pop_back();
  return text;
}

// The per-string lines are gathered into large writes: one stdio call per line would cost more
// than rendering the string.
class Reporter final : public Diagnostics {
 public:
  Reporter();
  ~Reporter() override;
  Reporter(const Reporter&) = delete;
  Reporter& operator=(const Reporter&) = delete;

  // The run's lines go to the log at log_path from now on, and the lines a build must show (the
  // failure, the reader's findings) are repeated on stderr, naming input_path.
  bool log_to(const std::string& log_path, const std::string& input_path, std::string* err);

  // A progress line, printf-style.
  template <typename... Args>
  void print(const char* fmt, const Args&... args) {
    std::fprintf(out_, fmt, args...);
  }

  // The one way out of a failed run: line (a whole line, or none) on standard output, and a
  // reason ("<path>: <what the system said>", or none) on stderr. Returns the exit status -1.
  // Takes views, so that telling a failure of memory needs none.
  int fail(std::string_view line, std::string_view reason = {});
  // Notes on stderr about the command line: an unknown option, ignored arguments.
  void note_unknown_option(const std::string& option);
  void note_ignored(const std::vector<std::string>& arguments);
  // Everything printed so far reached standard output (or the log); false with *err saying why.
  bool output_ok(std::string* err);

  void missing_entry(unsigned n) override;
  void unfit_length(std::size_t got, unsigned length) override;
  void text_len(std::size_t length) override;
  void flush();
  // Missing entries and strings cut short so far.
  std::size_t findings() const { return findings_; }

 private:
  void finding(const char* line, std::size_t size);

  std::FILE* out_;  // standard output, or the log
  File log_;
  std::string mirror_input_;  // set by log_to(): the input named on stderr ...
  std::string mirror_log_;    // ... and the log the full output is in
  std::string text_;          // per-string lines not yet written
  std::size_t findings_ = 0;
};

}  // namespace strtab2c
