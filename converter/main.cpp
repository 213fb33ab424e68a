// strtab2c: turns a string resource file into a C source file of byte arrays and appends the
// matching declarations to a shared header.
//
//   strtab2c [options] [--] <string resource file> <include file> [ignored...]
//
// Prints progress and errors on stdout; exits 0 on success, -1 on failure.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "command_line.hpp"
#include "convert.hpp"
#include "generated_file.hpp"
#include "include_file.hpp"
#include "messages.hpp"
#include "naming.hpp"
#include "platform.hpp"
#include "res_file.hpp"

namespace {

using namespace strtab2c;

constexpr int kFailure = -1;

// The path with its control characters written as escapes, so that the line stays one line.
std::string printable(const std::string& path) {
  std::string out;
  for (unsigned char c : path) {
    if (c >= 0x20 && c != 0x7f) {
      out.push_back(static_cast<char>(c));
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02x", c);
      out += escape;
    }
  }
  return out;
}

// The one way out of a failed run: its line on stdout, -1.
int fail(const char* line) {
  std::fputs(line, stdout);
  return kFailure;
}
template <typename... Args>
int fail(const char* format, const Args&... args) {
  std::printf(format, args...);
  return kFailure;
}

// A failed open: the line on stdout, and on stderr what the system said of the path it is about
// (the temporary file's, where that one failed).
int fail_open(const char* format, const std::string& path, const std::string& reason_path) {
  const std::string reason = last_error_text();
  std::fprintf(stderr, msg::kReason, printable(reason_path).c_str(), reason.c_str());
  return fail(format, path.c_str());
}
int fail_open(const char* format, const std::string& path) { return fail_open(format, path, path); }

// The per-string lines, gathered into large writes: one stdio call per line would cost more
// than rendering the string.
class PrintedDiagnostics final : public Diagnostics {
 public:
  PrintedDiagnostics() { text_.reserve(kFlushAt + 256); }
  ~PrintedDiagnostics() override { flush(); }
  void missing_entry(unsigned n) override { line(msg::kMissingEntry, static_cast<int>(n)); }
  void unfit_length(std::size_t got, unsigned length) override {
    line(msg::kUnfitLength, static_cast<int>(got), static_cast<int>(length));
  }
  void text_len(std::size_t length) override {
    // The line made whole first, then appended at once.
    constexpr std::size_t kPrefix = sizeof msg::kTextLenPrefix - 1;
    char line[kPrefix + 24];
    std::memcpy(line, msg::kTextLenPrefix, kPrefix);
    char* end = std::to_chars(line + kPrefix, line + sizeof line - 1, length).ptr;
    *end++ = '\n';
    text_.append(line, static_cast<std::size_t>(end - line));
    if (text_.size() >= kFlushAt) flush();
  }
  void flush() {
    std::fwrite(text_.data(), 1, text_.size(), stdout);
    text_.clear();
  }

 private:
  static constexpr std::size_t kFlushAt = 1 << 16;
  template <typename... Args>
  void line(const char* format, Args... args) {
    char buffer[128];
    const int n = std::snprintf(buffer, sizeof buffer, format, args...);
    text_.append(buffer, static_cast<std::size_t>(std::max(n, 0)));
  }
  std::string text_;
};

// The argument the generated file would clobber, if any: the file standing at the output path
// (not followed, since a link there is replaced) compared with the files the run has open. When
// an existing file cannot be identified, it is taken for the include file: refuse, not guess.
const std::string* overwritten_input(const std::string& out_path, std::FILE* include,
                                     const std::string& include_path, std::FILE* input,
                                     const std::string& input_path) {
  FileId out;
  const PathState state = path_id(out_path, &out);
  if (state == PathState::kMissing) return nullptr;
  if (state == PathState::kUnknown) return &include_path;
  FileId id;
  if (!file_id(include, &id) || id == out) return &include_path;
  if (file_id(input, &id) && id == out) return &input_path;  // a pipe has none: no victim
  return nullptr;
}

bool same_open_file(std::FILE* a, std::FILE* b) {
  FileId ia, ib;
  return file_id(a, &ia) && file_id(b, &ib) && ia == ib;
}

// Everything printed so far reached standard output: checked before any file is committed.
bool stdout_ok() {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
  const std::string reason = last_error_text();
  std::fprintf(stderr, msg::kStdoutFailed, reason.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  prepare_process();
  // One "text len" line per string: keep stdout block-buffered, whatever it is connected to.
  std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
  std::vector<std::string> args = utf8_arguments(argc, argv);
  args.erase(args.begin());
  const CommandLine line = parse_command_line(args);
  if (line.action == CommandLine::Action::kVersion) {
    std::printf(msg::kVersion, STRTAB2C_VERSION);
    return stdout_ok() ? 0 : kFailure;
  }
  if (line.action == CommandLine::Action::kHelp) {
    std::fputs(msg::kUsage, stdout);
    return stdout_ok() ? 0 : kFailure;
  }
  if (!line.unknown_option.empty()) {
    std::fprintf(stderr, msg::kUnknownOption, printable(line.unknown_option).c_str());
  }
  if (line.action != CommandLine::Action::kConvert) return fail(msg::kIllegalParams);
  if (!line.ignored.empty()) {
    std::string ignored;
    for (const std::string& arg : line.ignored) ignored += " \"" + printable(arg) + "\"";
    std::fprintf(stderr, msg::kIgnoredArguments, ignored.c_str());
  }
  const std::string& input_path = line.input_path;
  const std::string& include_path = line.include_path;
  const OutputNames names = derive_output_names(input_path, include_path);
  if (has_control_character(names.vname)) {
    return fail(msg::kControlCharacter, printable(input_path).c_str());
  }

  IncludeFile include;
  if (!include.open(include_path)) return fail_open(msg::kOpenInclude, include_path);
  std::printf(msg::kTraceWithArg, __FILE__, __LINE__, input_path.c_str());

  File input = File::open(input_path, "rb");
  if (!input) return fail_open(msg::kOpenInput, input_path);
  std::printf(msg::kTrace, __FILE__, __LINE__);
  if (same_open_file(input.get(), include.stream())) {
    return fail(msg::kIncludeIsInput, include_path.c_str(), input_path.c_str());
  }

  InputBytes bytes;
  if (!bytes.load(input.get())) {
    return fail(msg::kReadFailed, input_path.c_str(), last_error_text().c_str());
  }
  const std::string_view file = bytes.view();
  res_head head;
  if (!check_res_head(file, &head)) {
    return fail(msg::kUnsupportedEncoding, static_cast<int>(head.encoding()));
  }
  std::printf(msg::kTrace, __FILE__, __LINE__);

  const bool has_separator = names.name_separator != OutputNames::kNoSeparator;
  std::printf(msg::kOff, has_separator ? static_cast<const void*>(&input_path[names.name_separator])
                                       : static_cast<const void*>(nullptr));
  std::printf(msg::kVname, names.vname.c_str());
  std::printf(msg::kTrace, __FILE__, __LINE__);
  std::printf(msg::kOutpath, names.out_path.c_str());

  if (const std::string* victim = overwritten_input(names.out_path, include.stream(), include_path,
                                                    input.get(), input_path)) {
    return fail(msg::kWouldOverwrite, names.out_path.c_str(), victim->c_str());
  }
  GeneratedFile output;
  std::string failed_path;
  if (!output.open(names.out_path, &failed_path)) {
    return fail_open(msg::kOpenOutput, names.out_path, failed_path);
  }
  std::printf(msg::kTraceWithOutput, __FILE__, __LINE__, names.out_path.c_str());

  PrintedDiagnostics diagnostics;
  const bool written = write_source(file, head.count(), names.upper_stem, output, diagnostics,
                                    line.options, SourceWriter::kDefaultBuffer, bytes.mapping());
  diagnostics.flush();
  if (!written || !output.close()) {
    return fail(msg::kWriteFailed, names.out_path.c_str());
  }
  if (!bytes.intact()) return fail(msg::kReadFailed, input_path.c_str(), msg::kInputShrank);
  if (!stdout_ok()) return kFailure;
  if (!output.commit()) return fail(msg::kReplaceFailed, names.out_path.c_str());
  if (!include.append(declarations(names.upper_stem, line.options))) {
    return fail(msg::kWriteFailed, include_path.c_str());
  }
  input.close();
  if (!include.close()) return fail(msg::kWriteFailed, include_path.c_str());
  return 0;
}
