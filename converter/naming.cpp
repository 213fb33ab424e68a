#include "naming.hpp"

#include <algorithm>

namespace strtab2c {

namespace {

constexpr char kSeparators[] = "\\/";
constexpr char kCaseShift = 'a' - 'A';  // 32: ASCII lower to upper case

bool has_drive(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

// Where the directory part of a path ends: its last separator, or a drive prefix's colon.
std::size_t directory_end(const std::string& path, PathStyle style) {
  const std::size_t at = path.find_last_of(kSeparators);
  if (at == std::string::npos && style == PathStyle::kWindows && has_drive(path)) return 1;
  return at;
}

// The bytes of the UTF-8 character that begins with lead (a stray byte counts alone), and the
// units a name of that style counts for it: POSIX counts bytes, Windows UTF-16 code units.
std::size_t character_bytes(unsigned char lead) {
  return lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc0 ? 2 : 1;
}
std::size_t character_units(std::size_t bytes, PathStyle style) {
  if (style == PathStyle::kPosix) return bytes;
  return bytes == 4 ? 2 : 1;
}

}  // namespace

OutputNames derive_output_names(const std::string& input_path, const std::string& include_path,
                                PathStyle style) {
  OutputNames names;
  names.name_separator = directory_end(input_path, style);
  names.vname = names.name_separator == OutputNames::kNoSeparator
                    ? input_path
                    : input_path.substr(names.name_separator + 1);
  if (style == PathStyle::kWindows) {
    // Windows opens "strings.bin. " as "strings.bin": name the output after that file.
    const std::size_t last = names.vname.find_last_not_of(". ");
    if (last != std::string::npos) names.vname.erase(last + 1);
  }
  const std::size_t dot = names.vname.rfind('.');
  if (dot != std::string::npos) names.vname[dot] = '_';

  const std::size_t dir_end = directory_end(include_path, style);
  if (dir_end != std::string::npos) {
    names.out_path = include_path.substr(0, dir_end + 1);
    const bool drive_only = style == PathStyle::kWindows && dir_end == 1 && has_drive(include_path);
    const bool verbatim = style == PathStyle::kWindows && include_path.rfind("\\\\?\\", 0) == 0;
    if (!drive_only) names.out_path.back() = verbatim ? '\\' : '/';
  }
  names.out_path += names.vname + ".c";
  return names;
}

std::string temporary_path(const std::string& path, const std::string& suffix, std::size_t name_max,
                           PathStyle style) {
  const std::size_t dir_end = directory_end(path, style);
  std::size_t end = dir_end == std::string::npos ? 0 : dir_end + 1;  // the name is kept up to here
  std::size_t units = 0;
  for (std::size_t i = 0; i < suffix.size(); i += character_bytes(suffix[i])) {
    units += character_units(character_bytes(suffix[i]), style);
  }
  while (end < path.size()) {
    const std::size_t bytes =
        std::min(character_bytes(static_cast<unsigned char>(path[end])), path.size() - end);
    units += character_units(bytes, style);
    if (units > name_max) break;
    end += bytes;
  }
  return path.substr(0, end) + suffix;
}

std::string upper_stem(std::string stem) {
  for (char& c : stem) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - kCaseShift);
  }
  return stem;
}

Identifiers identifiers(const std::string& upper_stem) {
  Identifiers ids;
  ids.table = "RES_STRING_" + upper_stem;
  ids.count = ids.table + "_CNT";
  ids.lengths = ids.table + "_LEN";
  return ids;
}

namespace {
bool is_control(unsigned char c) { return c < 0x20 || c == 0x7f; }
}  // namespace

bool has_control_character(const std::string& text) {
  for (unsigned char c : text) {
    if (is_control(c)) return true;
  }
  return false;
}

std::string printable(const std::string& text) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : text) {
    if (is_control(c)) {
      out += "\\x";
      out += digits[c >> 4];
      out += digits[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace strtab2c
