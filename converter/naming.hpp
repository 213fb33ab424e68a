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
  std::string upper_stem;                     // vname with a..z upper-cased, for identifiers
  std::string out_path;                       // include directory + "/" + vname + ".c"
};

// The directory of the include path ends at its last separator of either kind; with none, the
// file goes to the current directory. The joiner is always '/', which Windows accepts too.
OutputNames derive_output_names(const std::string& input_path, const std::string& include_path);

// The stem as used in identifiers: 'a'..'z' become upper case, every other byte stays.
std::string upper_stem(std::string stem);

// A byte below 0x20 or 0x7f: never part of an identifier, and it would break the lines of the
// generated file and the header.
bool has_control_character(const std::string& text);

}  // namespace strtab2c
