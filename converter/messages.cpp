#include "messages.hpp"

#include <charconv>
#include <cstring>

#include "naming.hpp"
#include "platform.hpp"

namespace strtab2c {

namespace {

constexpr int kFailure = -1;
constexpr std::size_t kFlushAt = 1 << 16;

// Set by print_to_log(): the input named on stderr, and the log the full output is in.
std::string mirror_input;
std::string mirror_log;

// The length of a line without its line feed. No allocation where it is used: the failure
// being told may be memory itself.
int text_size(const char* line, std::size_t size) {
  return static_cast<int>(size > 0 && line[size - 1] == '\n' ? size - 1 : size);
}

}  // namespace

bool print_to_log(const std::string& log_path, const std::string& input_path) {
  if (!redirect_stdout(log_path)) {
    const std::string reason = last_error_text();
    std::fprintf(stderr, msg::kOpenLogFailed, printable(log_path).c_str(), reason.c_str());
    return false;
  }
  std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
  mirror_input = printable(input_path);
  mirror_log = printable(log_path);
  return true;
}

int fail_line(const char* line) {
  std::fputs(line, stdout);
  if (!mirror_log.empty()) {
    std::fflush(stdout);
    std::fprintf(stderr, msg::kMirroredFailure, mirror_input.c_str(),
                 text_size(line, std::strlen(line)), line, mirror_log.c_str());
  }
  return kFailure;
}

int fail_open(const char* format, const std::string& path, const std::string& reason_path) {
  const std::string reason = last_error_text();
  std::fprintf(stderr, msg::kReason, printable(reason_path).c_str(), reason.c_str());
  return fail(format, path.c_str());
}

int fail_open(const char* format, const std::string& path) { return fail_open(format, path, path); }

void note_unknown_option(const std::string& option) {
  std::fprintf(stderr, msg::kUnknownOption, printable(option).c_str());
}

void note_ignored(const std::vector<std::string>& arguments) {
  std::string ignored;
  for (const std::string& arg : arguments) ignored += " \"" + printable(arg) + "\"";
  std::fprintf(stderr, msg::kIgnoredArguments, ignored.c_str());
}

bool stdout_ok() {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
  const std::string reason = last_error_text();
  std::fprintf(stderr, msg::kStdoutFailed, reason.c_str());
  return false;
}

PrintedDiagnostics::PrintedDiagnostics() { text_.reserve(kFlushAt + 256); }
PrintedDiagnostics::~PrintedDiagnostics() { flush(); }

void PrintedDiagnostics::missing_entry(unsigned n) {
  char line[128];
  const int size = std::snprintf(line, sizeof line, msg::kMissingEntry, static_cast<int>(n));
  finding(line, static_cast<std::size_t>(size));
}

void PrintedDiagnostics::unfit_length(std::size_t got, unsigned length) {
  char line[128];
  const int size = std::snprintf(line, sizeof line, msg::kUnfitLength, static_cast<int>(got),
                                 static_cast<int>(length));
  finding(line, static_cast<std::size_t>(size));
}

void PrintedDiagnostics::finding(const char* line, std::size_t size) {
  ++findings_;
  text_.append(line, size);
  if (!mirror_log.empty()) {
    std::fprintf(stderr, msg::kMirrored, mirror_input.c_str(), text_size(line, size), line);
  }
}

void PrintedDiagnostics::text_len(std::size_t length) {
  // The line made whole first, then appended at once.
  constexpr std::size_t kPrefix = sizeof msg::kTextLenPrefix - 1;
  char line[kPrefix + 24];
  std::memcpy(line, msg::kTextLenPrefix, kPrefix);
  char* end = std::to_chars(line + kPrefix, line + sizeof line - 1, length).ptr;
  *end++ = '\n';
  text_.append(line, static_cast<std::size_t>(end - line));
  if (text_.size() >= kFlushAt) flush();
}

void PrintedDiagnostics::flush() {
  std::fwrite(text_.data(), 1, text_.size(), stdout);
  text_.clear();
}

}  // namespace strtab2c
