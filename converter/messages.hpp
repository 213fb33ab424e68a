// Every line the tool prints, in one place. The tests spell the expected lines out literally, so
// that a changed text here shows as a failure there.
#pragma once

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

// Standard error: a failure's reason, beside its line on stdout (a failed open or write: "<path>:
// <what the system said>") or alone (the two below, when stdout itself is what failed).
inline constexpr char kReason[] = "strtab2c: %s\n";
inline constexpr char kUnknownOption[] =
    "strtab2c: unknown option %s (a path that begins with \"--\" goes after \"--\")\n";
inline constexpr char kIgnoredArguments[] =
    "strtab2c: warning: only two paths are taken; ignored:%s (a path with a blank needs quotes)\n";
inline constexpr char kStdoutFailed[] = "error: write standard output failed: %s";
inline constexpr char kOpenLogFailed[] = "error: open log %s failed: %s";
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
    "usage: strtab2c [options] [--] <string resource file> <include file>\n"
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
    "  --attribute-macros  each definition begins with a macro the project may define to place\n"
    "                 it: STRTAB2C_STRING_ATTRIBUTE, _TABLE_, _COUNT_, _LENGTHS_ATTRIBUTE\n"
    "  --string-literals  each string of 1 to 4095 bytes as a C string literal of exactly its\n"
    "                 bytes: compiles far faster; the file is then C only\n"
    "For build systems that give each table an include file of its own:\n"
    "  --replace-include  the include file replaced by the declarations, not appended to\n"
    "  --log <file>       the progress lines into <file>; failures and the reader's findings\n"
    "                     also on stderr, naming the table\n"
    "  --strict           the reader's findings fail the run\n"
    "  --help, --version\n"
    "More in README.md.\n";

}  // namespace strtab2c::msg
