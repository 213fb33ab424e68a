// Every line the tool prints, and the printing of them, in one place. The tests spell the
// expected lines out literally, so that a changed text here shows as a failure there.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "convert.hpp"

namespace strtab2c::msg {

// Standard output: the run's failures, each the last line of a failed run (exit -1).
inline constexpr char kIllegalParams[] = "illegal params\n";
inline constexpr char kOpenInclude[] = "open include %s failed\n";
inline constexpr char kOpenInput[] = "open input %s failed\n";
inline constexpr char kReadFailed[] = "error: read %s failed: %s\n";
inline constexpr char kInputShrank[] = "the file shrank while it was read";
inline constexpr char kUnsupportedEncoding[] = "error: unsupported encoding %d\n";
inline constexpr char kControlCharacter[] =
    "error: input %s: a control character cannot stand in an identifier\n";
inline constexpr char kIncludeIsInput[] = "error: include %s is the input %s\n";
inline constexpr char kOpenOutput[] = "open output %s failed\n";
inline constexpr char kWouldOverwrite[] = "error: output %s would overwrite %s\n";
inline constexpr char kWriteFailed[] = "error: write %s failed\n";
inline constexpr char kReplaceFailed[] = "error: replace %s failed\n";
inline constexpr char kStrictFindings[] = "error: findings in %s fail the run (--strict)\n";
inline constexpr char kOutOfMemory[] = "error: out of memory\n";
inline constexpr char kSystemError[] = "error: %s\n";

// Standard error: the system's reason beside a failed open, and a standard output that failed.
inline constexpr char kReason[] = "strtab2c: %s: %s\n";
inline constexpr char kUnknownOption[] =
    "strtab2c: unknown option %s (a path that begins with \"--\" goes after \"--\")\n";
inline constexpr char kIgnoredArguments[] =
    "strtab2c: warning: only two paths are taken; ignored:%s (a path with a blank needs quotes)\n";
inline constexpr char kStdoutFailed[] = "strtab2c: error: write standard output failed: %s\n";
inline constexpr char kOpenLogFailed[] = "strtab2c: error: open log %s failed: %s\n";
// With --log: the lines a build must show, repeated on stderr naming the input.
inline constexpr char kMirrored[] = "strtab2c: %s: %.*s\n";
inline constexpr char kMirroredFailure[] = "strtab2c: %s: %.*s (full output: %s)\n";

// Progress lines of a run.
inline constexpr char kTraceWithArg[] = "%s %d: %s\n";
inline constexpr char kTrace[] = "%s %d\n";
inline constexpr char kTraceWithOutput[] = "%s %d : %s\n";
inline constexpr char kOff[] = "off %p\n";
inline constexpr char kVname[] = "vname %s\n";
inline constexpr char kOutpath[] = "outpath %s\n";
// "text len %d\n", one per string: printed without printf, which would dominate small tables.
inline constexpr char kTextLenPrefix[] = "text len ";

// The reader's lines; they do not fail the run.
inline constexpr char kMissingEntry[] = "error: cannot find string resource for id %d\n";
inline constexpr char kUnfitLength[] = "error: unfit string length %d vs %d\n";

// --version and --help.
inline constexpr char kVersion[] = "strtab2c %s\n";
inline constexpr char kUsage[] =
    "usage: strtab2c [--portable-c] [--const-table] [--lengths] [--] <string resource file> "
    "<include file>\n"
    "\n"
    "Writes one C source file, named after the string resource file (its last '.' as '_',\n"
    "plus \".c\") into the include file's directory: one byte array per string, a pointer\n"
    "table and a count. Then appends their extern declarations to the include file.\n"
    "Progress and errors go to standard output; the exit status is 0 on success, -1 on\n"
    "failure. Options may stand anywhere; \"--\" ends them, and arguments after the two paths\n"
    "are ignored.\n"
    "  --portable-c   compiles and links everywhere: an empty string as one zero byte, an empty\n"
    "                 table as one null pointer, the table and count declared first, with C\n"
    "                 linkage for C++ (in the include file too)\n"
    "  --const-table  the table's pointers const too: the table goes to read-only memory\n"
    "  --lengths      a table RES_STRING_<STEM>_LEN of each string's length in bytes\n"
    "For build systems that give each table an include file of its own:\n"
    "  --replace-include  the include file replaced by the declarations, not appended to\n"
    "  --log <file>       the progress lines into <file>; failures and the reader's findings\n"
    "                     also on stderr, naming the table\n"
    "  --strict           the reader's findings fail the run\n"
    "  --help, --version\n"
    "More in README.md.\n";

}  // namespace strtab2c::msg

namespace strtab2c {

// Standard output carries the run's lines. After print_to_log() they go to the log file instead,
// and the lines a build must show (the failure, the reader's findings) are repeated on stderr,
// naming the input.
bool print_to_log(const std::string& log_path, const std::string& input_path);

// The one way out of a failed run: its line (printf-style) on stdout, then -1.
int fail_line(const char* line);
template <typename... Args>
int fail(const char* format, const Args&... args) {
  char line[512];
  const int n = std::snprintf(line, sizeof line, format, args...);
  if (n >= 0 && static_cast<std::size_t>(n) < sizeof line) return fail_line(line);
  std::string long_line(static_cast<std::size_t>(n > 0 ? n : 0) + 1, '\0');
  std::snprintf(&long_line[0], long_line.size(), format, args...);
  long_line.pop_back();
  return fail_line(long_line.c_str());
}
// A failed open: the line on stdout, and on stderr what the system said (errno) of the path it
// is about (the temporary file's, where that one failed).
int fail_open(const char* format, const std::string& path, const std::string& reason_path);
int fail_open(const char* format, const std::string& path);

// A note on stderr about the command line: an unknown option, ignored arguments.
void note_unknown_option(const std::string& option);
void note_ignored(const std::vector<std::string>& arguments);

// Everything printed so far reached standard output (or the log); says on stderr when not.
bool stdout_ok();

// The per-string lines, gathered into large writes: one stdio call per line would cost more
// than rendering the string.
class PrintedDiagnostics final : public Diagnostics {
 public:
  PrintedDiagnostics();
  ~PrintedDiagnostics() override;
  void missing_entry(unsigned n) override;
  void unfit_length(std::size_t got, unsigned length) override;
  void text_len(std::size_t length) override;
  void flush();
  // Missing entries and strings cut short so far.
  std::size_t findings() const { return findings_; }

 private:
  void finding(const char* line, std::size_t size);
  std::string text_;
  std::size_t findings_ = 0;
};

}  // namespace strtab2c
