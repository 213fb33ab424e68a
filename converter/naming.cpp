#include "naming.hpp"

namespace strtab2c {

namespace {
constexpr char kSeparators[] = "\\/";
constexpr char kCaseShift = 'a' - 'A';  // 32: ASCII lower to upper case
}  // namespace

OutputNames derive_output_names(const std::string& input_path, const std::string& include_path) {
  OutputNames names;
  names.name_separator = input_path.find_last_of(kSeparators);
  names.vname = names.name_separator == OutputNames::kNoSeparator
                    ? input_path
                    : input_path.substr(names.name_separator + 1);
  const std::size_t dot = names.vname.rfind('.');
  if (dot != std::string::npos) names.vname[dot] = '_';
  names.upper_stem = upper_stem(names.vname);

  const std::size_t dir_end = include_path.find_last_of(kSeparators);
  if (dir_end != std::string::npos) names.out_path = include_path.substr(0, dir_end) + "/";
  names.out_path += names.vname + ".c";
  return names;
}

std::string upper_stem(std::string stem) {
  for (char& c : stem) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - kCaseShift);
  }
  return stem;
}

bool has_control_character(const std::string& text) {
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7f) return true;
  }
  return false;
}

}  // namespace strtab2c
