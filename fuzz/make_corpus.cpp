// make_corpus <dir>: writes the seed corpus: valid tables, truncated ones, huge counts, far
// offsets. The seeds in fuzz/corpus were made with it.
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "table_builder.hpp"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  using namespace testing_support;
  const std::string hello = std::string("Hello\0", 6);
  const std::vector<std::pair<const char*, std::string>> seeds = {
      {"valid_two", table({"Hi", ""})},
      {"valid_mixed", table({hello, std::string("\0\x80\xff", 3), std::string(300, 'x')})},
      {"empty_table", header(0)},
      {"truncated_index", table({"abc", "def"}).substr(0, 40)},
      {"truncated_string", header(1) + entry(32, 50) + "short"},
      {"short_header", header(3).substr(0, 12)},
      {"bad_encoding", header(1, 3) + entry(32, 1) + "z"},
      {"huge_count", header(65535) + entry(0, 65535)},
      {"offset_2g", header(2) + entry(0x80000000u, 4) + entry(0x7fffffffu, 1)},
      {"offset_4g", header(1) + entry(0xffffffffu, 8)},
      {"slot_in_strings", header(2) + entry(32, 16) + entry(4, 2)},
  };
  for (const auto& [name, bytes] : seeds) {
    std::ofstream(std::string(argv[1]) + "/" + name, std::ios::binary) << bytes;
  }
  return 0;
}
