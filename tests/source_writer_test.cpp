#include "source_writer.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sinks.hpp"
#include "table_builder.hpp"

using namespace strtab2c;
using namespace testing_support;

namespace {

// Each array's items render like printf's "0x%x" joined by ", ", whatever the buffer's size.
TEST(SourceWriter, ArraysRenderEveryByteValueLikePrintf) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::string cases[] = {"",  std::string(1, '\0'),      "A", std::string("Hello\0", 6),
                               all, std::string(65535, '\xff')};
  for (std::size_t buffer : {std::size_t{64}, std::size_t{1000}, std::size_t{1} << 20}) {
    for (const auto& bytes : cases) {
      StringSink out;
      BlockWriter blocks(out, buffer);
      SourceWriter writer(blocks, "S");
      EXPECT_EQ(writer.array(7, bytes), reference_hex(bytes).size());
      std::string err;
      ASSERT_TRUE(writer.finish(&err));
      EXPECT_EQ(out.text, "static const uint8_t STR_7[] = {" + reference_hex(bytes) + "}; \n\n");
    }
  }
  // Held to a literal too, so that a fault shared with the oracle shows.
  StringSink out;
  BlockWriter blocks(out, 64);
  SourceWriter writer(blocks, "S");
  writer.array(1, std::string("\x48\x65\x6c\x6c\x6f\x00\x80\xff", 8));
  std::string err;
  ASSERT_TRUE(writer.finish(&err));
  EXPECT_EQ(out.text,
            "static const uint8_t STR_1[] = {0x48, 0x65, 0x6c, 0x6c, 0x6f, 0x0, 0x80, 0xff}; \n\n");
}

// Counting up carries through every digit; any other step starts afresh.
TEST(DecimalCount, CountsAndJumpsLikeToString) {
  DecimalCount count;
  std::vector<unsigned> numbers = {7, 0, 1, 9, 99, 4294967294u, 4294967295u, 0, 5, 4};
  for (unsigned n = 1; n <= 100000; ++n) numbers.push_back(n);
  for (unsigned n : numbers) {
    const std::string_view text = count.of(n);
    ASSERT_EQ(text, std::to_string(n));
  }
}

}  // namespace
