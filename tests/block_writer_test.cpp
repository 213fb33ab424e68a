#include "block_writer.hpp"

#include <gtest/gtest.h>

#include <random>

#include "sinks.hpp"

using namespace strtab2c;
using namespace testing_support;

namespace {

// Fills the buffer handed out with random bytes and hands them over, up to total bytes.
template <typename Check>
void hand_over_random(BlockWriter& blocks, std::size_t total, std::string* sent, Check check) {
  std::mt19937 rng(static_cast<unsigned>(total));
  while (sent->size() < total) {
    const std::size_t used = 1 + rng() % blocks.capacity();
    for (std::size_t i = 0; i < used; ++i) blocks.buffer()[i] = static_cast<char>(rng());
    sent->append(blocks.buffer(), used);
    if (!check(blocks.hand_over(used))) return;
  }
}

// Past its first megabytes the blocks go through a writer thread's queue, the buffers coming
// back to be rendered into again: every block arrives whole and in order.
TEST(BlockWriter, EveryBlockArrivesInOrder) {
  for (std::size_t buffer : {std::size_t{4096}, BlockWriter::kDefaultBuffer}) {
    StringSink sink;
    std::string sent;
    {
      BlockWriter blocks(sink, buffer);
      hand_over_random(blocks, 12 << 20, &sent, [](bool ok) { return ok; });
      std::string err;
      ASSERT_TRUE(blocks.finish(&err)) << err;
    }
    ASSERT_EQ(sink.text.size(), sent.size()) << buffer;
    EXPECT_TRUE(sink.text == sent) << buffer;
  }
}

// After a failed write nothing more is written, and the renderer learns of it within the
// blocks in flight, before and after the writer thread starts.
TEST(BlockWriter, StopsAtTheFirstFailedWrite) {
  for (std::size_t budget : {std::size_t{1} << 20, std::size_t{10} << 20}) {
    BudgetSink sink(budget);
    BlockWriter blocks(sink, 4096);
    std::string sent;
    int handed_after_failure = 0;
    std::size_t sent_when_told = 0;
    hand_over_random(blocks, 16 << 20, &sent, [&](bool ok) {
      if (!ok && ++handed_after_failure == 1) sent_when_told = sent.size();
      return handed_after_failure < 8;
    });
    std::string err;
    EXPECT_FALSE(blocks.finish(&err)) << budget;
    EXPECT_EQ(err, "sink: No space left on device") << budget;  // the failed write's own reason
    EXPECT_EQ(handed_after_failure, 8) << budget;               // false every time once it failed
    // Told at once, or once the blocks queued behind the failed one are handed.
    EXPECT_GT(sent_when_told, budget) << budget;
    EXPECT_LE(sent_when_told, budget + (BlockWriter::kBuffers + 1) * 4096) << budget;
    EXPECT_EQ(sink.calls, sink.failed_at) << budget;  // nothing written after the failed write
  }
}

}  // namespace
