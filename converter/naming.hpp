// Every name the run derives from its two arguments: where the generated file goes and what its
// identifiers are called. cmake/Strtab2c.cmake repeats the rule for configure time.
#pragma once

#include <cstddef>
#include <string>

namespace strtab2c {

struct OutputNames {
  static constexpr std::size_t kNoSeparator = std::string::npos;
  std::size_t name_separator = kNoSeparator;  // last '\' or '/' in the input path
  std::string vname;                          // file name with its last '.' turned into '_'
  std::string out_path;                       // include directory + "/" + vname + ".c"
};

// How paths are read. Both styles take '\\' and '/' as separators. Windows style also takes a
// drive prefix "X:" for part of the directory, names the file as Windows opens it (without
// trailing dots and blanks), and joins a \\?\ path with '\\', which is its only separator.
enum class PathStyle { kPosix, kWindows };
#ifdef _WIN32
inline constexpr PathStyle kNativePaths = PathStyle::kWindows;
#else
inline constexpr PathStyle kNativePaths = PathStyle::kPosix;
#endif

// The directory of the include path ends at its last separator of either kind; with none, the
// file goes to the current directory. The joiner is '/', which Windows accepts too.
OutputNames derive_output_names(const std::string& input_path, const std::string& include_path,
                                PathStyle style = kNativePaths);

// The path of a temporary file beside path: its name followed by suffix, the name cut short at a
// character's boundary where the whole would pass name_max units (bytes in POSIX style, UTF-16
// code units in Windows style), so that it fits wherever the final name does.
std::string temporary_path(const std::string& path, const std::string& suffix, std::size_t name_max,
                           PathStyle style = kNativePaths);

// The stem as used in identifiers: 'a'..'z' become upper case, every other byte stays.
std::string upper_stem(std::string stem);

// The identifiers a table's generated file defines and its declarations name.
struct Identifiers {
  std::string table;    // RES_STRING_<STEM>
  std::string count;    // RES_STRING_<STEM>_CNT
  std::string lengths;  // RES_STRING_<STEM>_LEN
};
Identifiers identifiers(const std::string& upper_stem);

// A byte below 0x20 or 0x7f: never part of an identifier, and it would break the lines of the
// generated file and the header.
bool has_control_character(const std::string& text);
// The text with each such byte written as an escape (\xNN), so that a printed line stays one.
std::string printable(const std::string& text);

}  // namespace strtab2c
