// Builds string resource files in memory, and renders the expected generated text independently
// of the tool (plain snprintf with the documented formats), as the tests' oracle.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace testing_support {

inline std::string le(std::uint64_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
  return out;
}

inline std::string header(std::uint16_t count, std::uint8_t encoding = 2) {
  std::string h(16, '\0');
  h.replace(4, 2, le(count, 2));
  h[9] = static_cast<char>(encoding);
  return h;
}

inline std::string entry(std::uint32_t offset, std::uint16_t length) {
  std::string e(16, '\0');
  e.replace(0, 4, le(offset, 4));
  e.replace(4, 2, le(length, 2));
  return e;
}

// Header, index, then the strings front to back.
inline std::string table(const std::vector<std::string>& strings, std::uint8_t encoding = 2) {
  std::string out = header(static_cast<std::uint16_t>(strings.size()), encoding);
  std::uint64_t offset = 16 * (strings.size() + 1);
  for (const auto& s : strings) {
    out += entry(static_cast<std::uint32_t>(offset), static_cast<std::uint16_t>(s.size()));
    offset += s.size();
  }
  for (const auto& s : strings) out += s;
  return out;
}

inline std::string reference_hex(const std::string& bytes) {
  std::string out;
  char item[16];
  for (std::size_t p = 0; p < bytes.size(); ++p) {
    std::snprintf(item, sizeof item, p + 1 < bytes.size() ? "0x%x, " : "0x%x",
                  static_cast<unsigned char>(bytes[p]));
    out += item;
  }
  return out;
}

inline std::string reference_source(const std::string& upper_stem,
                                    const std::vector<std::string>& strings) {
  std::string out = "#include <res_manager_api.h> \n\n";
  std::string names;
  for (std::size_t n = 1; n <= strings.size(); ++n) {
    out += "static const uint8_t STR_" + std::to_string(n) + "[] = {" +
           reference_hex(strings[n - 1]) + "}; \n\n";
    names += (n > 1 ? ", STR_" : "STR_") + std::to_string(n);
  }
  const std::string count = std::to_string(strings.size());
  out += "const uint8_t* RES_STRING_" + upper_stem + "[" + count + "] = {" + names + "}; \n";
  out += "const uint32_t RES_STRING_" + upper_stem + "_CNT = " + count + "; \n";
  return out;
}

inline std::string reference_declarations(const std::string& upper_stem, const char* eol = "\n") {
  return std::string(eol) + "extern const uint8_t* RES_STRING_" + upper_stem + "[];" + eol +
         "extern const uint32_t RES_STRING_" + upper_stem + "_CNT;" + eol;
}

}  // namespace testing_support
