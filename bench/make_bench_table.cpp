// make_bench_table <layout> <count> <length> <file>: a table of count random strings of length
// bytes, stored in order, in random order, or as 16 strings that every entry shares.
#include <algorithm>
#include <fstream>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "table_builder.hpp"

int main(int argc, char** argv) {
  if (argc != 5) return 2;
  const std::string layout = argv[1];
  const std::size_t count = std::stoul(argv[2]);
  const std::size_t length = std::stoul(argv[3]);
  std::mt19937 rng(1);
  const std::size_t pool_size = layout == "shared" ? 16 : count;
  std::vector<std::string> pool(pool_size, std::string(length, '\0'));
  for (auto& s : pool)
    for (auto& c : s) c = static_cast<char>(rng());
  std::vector<std::size_t> refs(count);
  if (layout == "shared") {
    for (auto& r : refs) r = rng() % pool_size;
  } else {
    std::iota(refs.begin(), refs.end(), std::size_t{0});
    if (layout == "random") std::shuffle(refs.begin(), refs.end(), rng);
  }
  std::ofstream(argv[4], std::ios::binary) << testing_support::pooled_table(pool, refs);
  return 0;
}
