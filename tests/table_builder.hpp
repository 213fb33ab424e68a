// Builds string resource files in memory for the tests, the fuzz corpus and the benchmark, and
// renders the expected generated text independently of the tool (plain snprintf), as the tests'
// oracle. The file format is spelled out here in its own numbers, not the tool's constants, so
// that a wrong constant in the tool fails the tests:
//   header (16 bytes): bytes 4-5 the count, byte 9 the encoding (2)
//   entry n at 16 * n (16 bytes): bytes 0-3 the offset, bytes 4-5 the length
#pragma once

#include <cstdint>
#include <cstdio>
#include <numeric>
#include <string>
#include <vector>

namespace testing_support {

inline std::string le(std::uint64_t value, std::size_t bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
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

// Header and index, then the pool's strings stored once each, front to back; entry n points at
// pool[refs[n - 1]]. Any order and any sharing of strings can be built this way.
inline std::string pooled_table(const std::vector<std::string>& pool,
                                const std::vector<std::size_t>& refs) {
  std::vector<std::uint64_t> at(pool.size());
  std::uint64_t offset = 16 * (refs.size() + 1);
  for (std::size_t i = 0; i < pool.size(); ++i) {
    at[i] = offset;
    offset += pool[i].size();
  }
  std::string out = header(static_cast<std::uint16_t>(refs.size()));
  for (std::size_t r : refs) {
    out += entry(static_cast<std::uint32_t>(at[r]), static_cast<std::uint16_t>(pool[r].size()));
  }
  for (const auto& s : pool) out += s;
  return out;
}

// Strings 1..N stored in order.
inline std::string table(const std::vector<std::string>& strings, std::uint8_t encoding = 2) {
  std::vector<std::size_t> refs(strings.size());
  std::iota(refs.begin(), refs.end(), std::size_t{0});
  std::string out = pooled_table(strings, refs);
  out[9] = static_cast<char>(encoding);
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

namespace testing_support {

// A table with every finding of the reader: count 4, string 1 fine ("Z"), string 2 runs 3 bytes
// past the end ("ab" of 5), 3 and 4 have no entry.
inline std::string findings_table() { return header(4) + entry(48, 1) + entry(49, 5) + "Zab"; }
// Its strings as the tool renders them: the missing bytes as 0, the missing entries empty.
inline std::vector<std::string> findings_strings() {
  return {"Z", std::string("ab\0\0\0", 5), "", ""};
}

}  // namespace testing_support
