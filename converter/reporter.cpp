#include "reporter.hpp"

#include <charconv>
#include <cstring>

#include "messages.hpp"
#include "naming.hpp"
#include "platform.hpp"

namespace strtab2c {

namespace {

constexpr int kFailure = -1;
constexpr std::size_t kFlushAt = 1 << 16;

// The length of a line without its line feed.
int text_size(std::string_view line) {
  return static_cast<int>(!line.empty() && line.back() == '\n' ? line.size() - 1 : line.size());
}

}  // namespace

Reporter::Reporter() : out_(output_stream()) {
  // One "text len" line per string: block-buffered, whatever it is connected to.
  std::setvbuf(out_, nullptr, _IOFBF, 1 << 16);
  text_.reserve(kFlushAt + 256);
}

Reporter::~Reporter() { flush(); }

bool Reporter::log_to(const std::string& log_path, const std::string& input_path,
                      std::string* err) {
  log_ = File::open(log_path, "w");
  if (!log_) {
    *err = format(msg::kOpenLogFailed, printable(log_path).c_str(), last_error_text().c_str());
    return false;
  }
  std::setvbuf(log_.get(), nullptr, _IOFBF, 1 << 16);
  out_ = log_.get();
  mirror_input_ = printable(input_path);
  mirror_log_ = printable(log_path);
  return true;
}

int Reporter::fail(std::string_view line, std::string_view reason) {
  flush();
  if (!line.empty()) std::fwrite(line.data(), 1, line.size(), out_);
  if (!mirror_log_.empty() && !line.empty()) {
    std::fflush(out_);
    std::fprintf(stderr, msg::kMirroredFailure, mirror_input_.c_str(), text_size(line), line.data(),
                 mirror_log_.c_str());
  }
  if (!reason.empty()) std::fprintf(stderr, msg::kReason, printable(std::string(reason)).c_str());
  return kFailure;
}

void Reporter::note_unknown_option(const std::string& option) {
  std::fprintf(stderr, msg::kUnknownOption, printable(option).c_str());
}

void Reporter::note_ignored(const std::vector<std::string>& arguments) {
  std::string ignored;
  for (const std::string& arg : arguments) ignored += " \"" + printable(arg) + "\"";
  std::fprintf(stderr, msg::kIgnoredArguments, ignored.c_str());
}

bool Reporter::output_ok(std::string* err) {
  flush();
  if (std::fflush(out_) == 0 && !std::ferror(out_)) return true;
  *err = format(msg::kStdoutFailed, last_error_text().c_str());
  return false;
}

void Reporter::missing_entry(unsigned n) {
  char line[128];
  const int size = std::snprintf(line, sizeof line, msg::kMissingEntry, static_cast<int>(n));
  finding(line, static_cast<std::size_t>(size));
}

void Reporter::unfit_length(std::size_t got, unsigned length) {
  char line[128];
  const int size = std::snprintf(line, sizeof line, msg::kUnfitLength, static_cast<int>(got),
                                 static_cast<int>(length));
  finding(line, static_cast<std::size_t>(size));
}

void Reporter::finding(const char* line, std::size_t size) {
  ++findings_;
  text_.append(line, size);
  if (!mirror_log_.empty()) {
    std::fprintf(stderr, msg::kMirrored, mirror_input_.c_str(),
                 text_size(std::string_view(line, size)), line);
  }
}

void Reporter::text_len(std::size_t length) {
  // The line made whole first, then appended at once.
  constexpr std::size_t kPrefix = sizeof msg::kTextLenPrefix - 1;
  char line[kPrefix + 24];
  std::memcpy(line, msg::kTextLenPrefix, kPrefix);
  char* end = std::to_chars(line + kPrefix, line + sizeof line - 1, length).ptr;
  *end++ = '\n';
  text_.append(line, static_cast<std::size_t>(end - line));
  if (text_.size() >= kFlushAt) flush();
}

void Reporter::flush() {
  std::fwrite(text_.data(), 1, text_.size(), out_);
  text_.clear();
}

}  // namespace strtab2c
