// Every line the tool prints, in one place. The tool prints them with printf-style formatting;
// tests compare against the same texts.
#pragma once

namespace strtab2c::msg {

inline constexpr char kIllegalParams[] = "illegal params\n";
inline constexpr char kVersion[] = "strtab2c %s\n";
inline constexpr char kUsage[] =
    "usage: strtab2c <string resource file> <include file>\n"
    "\n"
    "Writes one C source file, named after the string resource file (its last '.' as '_',\n"
    "plus \".c\") into the include file's directory: one byte array per string, a pointer\n"
    "table and a count. Then appends their extern declarations to the include file.\n"
    "Progress and errors go to standard output; the exit status is 0 on success, -1 on\n"
    "failure. Options: --help, --version. More in README.md.\n";
inline constexpr char kOpenInclude[] = "open include %s failed\n";
inline constexpr char kOpenInput[] = "open input %s failed\n";
inline constexpr char kUnsupportedEncoding[] = "error: unsupported encoding %d\n";
inline constexpr char kOpenOutput[] = "open output %s failed\n";
inline constexpr char kWouldOverwrite[] = "error: output %s would overwrite %s\n";
inline constexpr char kWriteFailed[] = "error: write %s failed\n";

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

}  // namespace strtab2c::msg
