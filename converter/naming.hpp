// Where the generated file goes and what its identifiers are called, from the two arguments.
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

// The directory of the include path ends at its last separator of either kind; with none, the
// file goes to the current directory. The joiner is always '/', which Windows accepts too.
OutputNames derive_output_names(const std::string& input_path, const std::string& include_path);

}  // namespace strtab2c
