#include "res_file.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <random>

#include "platform.hpp"
#include "table_builder.hpp"

using namespace strtab2c;
using namespace testing_support;
using Status = StringRead::Status;

namespace {

struct HeadCase {
  const char* name;
  std::string bytes;
  bool ok;
  int encoding;
};

TEST(ResHead, AcceptsOnlyWholeHeadersOfEncodingTwo) {
  std::string ten(10, '\0');
  ten[9] = 2;
  std::string fifteen = header(3).substr(0, 15);
  const HeadCase cases[] = {
      {"empty", "", false, 0},
      {"nine bytes", std::string(9, '\x02'), false, 0},
      {"ten bytes, byte 9 is 2", ten, false, 2},
      {"fifteen bytes", fifteen, false, 2},
      {"encoding 0", header(1, 0), false, 0},
      {"encoding 1", header(1, 1), false, 1},
      {"encoding 3", header(1, 3), false, 3},
      {"encoding 255", header(1, 255), false, 255},
      {"valid", header(7), true, 2},
      {"valid with more data", header(7) + "xyz", true, 2},
  };
  for (const auto& c : cases) {
    MemoryInput in(c.bytes);
    res_head head;
    EXPECT_EQ(check_res_head(in, &head), c.ok) << c.name;
    EXPECT_EQ(head.encoding(), c.encoding) << c.name;
  }
}

TEST(ResHead, CountIsLittleEndianUnsigned) {
  for (unsigned count : {0u, 1u, 258u, 65535u}) {
    std::string bytes = header(static_cast<std::uint16_t>(count));
    MemoryInput in(bytes);
    res_head head;
    ASSERT_TRUE(check_res_head(in, &head));
    EXPECT_EQ(head.count(), count);
  }
}

struct ReadCase {
  const char* name;
  std::string file;
  unsigned n;
  Status status;
  std::string bytes;
  std::size_t got;
};

TEST(ResReader, EdgeCases) {
  const std::string two = table({"Hi", ""});
  // Entry 1 claims 8 bytes but only 3 follow it.
  const std::string short_string = header(1) + entry(32, 8) + "abc";
  // count 3, but the file ends 4 bytes into entry 2's slot.
  const std::string cut_index = header(3) + entry(36, 1) + std::string(4, '\0');
  // Entry 2's slot holds string 1's bytes, which read as offset 4, length 2: the count field.
  const std::string slot_in_strings = header(2) + entry(32, 16) + entry(4, 2);
  const ReadCase cases[] = {
      {"plain", two, 1, Status::kOk, "Hi", 2},
      {"length 0", two, 2, Status::kOk, "", 0},
      {"slot past the end", two, 3, Status::kMissingEntry, "", 0},
      {"runs past the end", short_string, 1, Status::kShortString, std::string("abc\0\0\0\0\0", 8),
       3},
      {"slot partly past the end", cut_index, 2, Status::kMissingEntry, "", 0},
      {"offset past the end", header(1) + entry(1000, 2), 1, Status::kShortString,
       std::string(2, '\0'), 0},
      {"slot read from string bytes", slot_in_strings, 2, Status::kOk, std::string("\x02\x00", 2),
       2},
      {"high bytes", table({std::string("\x00\x80\xff", 3)}), 1, Status::kOk,
       std::string("\x00\x80\xff", 3), 3},
  };
  for (const auto& c : cases) {
    MemoryInput in(c.file);
    ResReader reader(in, static_cast<std::uint16_t>(c.n));
    for (unsigned n = 1; n < c.n; ++n) reader.read(n);
    const StringRead r = reader.read(c.n);
    EXPECT_EQ(r.status, c.status) << c.name;
    EXPECT_EQ(std::string(r.bytes), c.bytes) << c.name;
    EXPECT_EQ(r.got, c.got) << c.name;
  }
}

TEST(ResStringToHex, RendersOrLeavesTextAlone) {
  const std::string file = table({std::string("Hello\0", 6)});
  MemoryInput in(file);
  std::string text = "untouched";
  EXPECT_EQ(res_string_to_hex(in, 2, &text), -1);
  EXPECT_EQ(text, "untouched");
  EXPECT_EQ(res_string_to_hex(in, 1, &text), 0);
  EXPECT_EQ(text, "0x48, 0x65, 0x6c, 0x6c, 0x6f, 0x0");
}

// The read-ahead must give exactly what reading each entry and string on its own gives, whatever
// the layout: strings out of order, straddling window edges, past the end, sharing bytes.
TEST(ResReader, MatchesDirectReadsOnScatteredLayouts) {
  std::mt19937 rng(7);
  for (int round = 0; round < 4; ++round) {
    const unsigned count = 300;
    std::string file = header(count);
    std::string data(3 << 20, '\0');
    for (auto& c : data) c = static_cast<char>(rng());
    const std::uint64_t data_start = 16 * (count + 1);
    for (unsigned n = 1; n <= count; ++n) {
      const std::uint16_t length = static_cast<std::uint16_t>(rng() % (round == 3 ? 65536 : 40000));
      std::uint32_t offset;
      switch (rng() % 4) {
        case 0:
          offset = static_cast<std::uint32_t>(data_start + rng() % data.size());
          break;
        case 1:
          offset = static_cast<std::uint32_t>(data_start + data.size() - rng() % 1000);
          break;
        case 2:
          offset = 0xffffffffu - rng() % 3;
          break;
        default:
          offset = static_cast<std::uint32_t>(data_start + (n * 9973) % data.size());
      }
      file += entry(offset, length);
    }
    file += data;
    if (round == 2) file.resize(16 * 200 + 5);  // index itself cut short

    MemoryInput in(file);
    ResReader reader(in, count);
    for (unsigned n = 1; n <= count; ++n) {
      const StringRead r = reader.read(n);
      const std::uint64_t slot = 16ull * n;
      if (slot + 16 > file.size()) {
        EXPECT_EQ(r.status, Status::kMissingEntry) << n;
        continue;
      }
      const res_entry e = res_entry::parse(reinterpret_cast<const std::uint8_t*>(&file[slot]));
      std::string expect(e.length, '\0');
      const std::size_t got =
          e.offset < file.size() ? std::min<std::size_t>(e.length, file.size() - e.offset) : 0;
      if (got) expect.replace(0, got, file, e.offset, got);
      ASSERT_EQ(r.got, got) << "round " << round << " n " << n;
      ASSERT_EQ(std::string(r.bytes), expect) << "round " << round << " n " << n;
      EXPECT_EQ(r.status, got == e.length ? Status::kOk : Status::kShortString);
    }
  }
}

// Offsets of 2 GiB and more are positions, not negative numbers (sparse file, little disk used).
TEST(FileInputTest, ReadsBeyondTwoGiB) {
  char name[] = "/tmp/strtab2c_big_XXXXXX";
  std::FILE* f = fdopen(mkstemp(name), "w+b");
  ASSERT_NE(f, nullptr);
  const std::uint32_t far = 0x80000010u;
  const std::string head = header(2) + entry(far, 3) + entry(0xfffffff0u, 2);
  std::fwrite(head.data(), 1, head.size(), f);
  ASSERT_TRUE(seek_file(f, far));
  std::fwrite("abc", 1, 3, f);
  std::fflush(f);
  {
    FileInput in(f);
    ResReader reader(in, 2);
    const StringRead one = reader.read(1);
    EXPECT_EQ(one.status, Status::kOk);
    EXPECT_EQ(std::string(one.bytes), "abc");
    const StringRead two = reader.read(2);
    EXPECT_EQ(two.status, Status::kShortString);
    EXPECT_EQ(two.got, 0u);
  }
  std::fclose(f);
  std::remove(name);
}

}  // namespace
