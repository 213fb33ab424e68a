#include "res_file.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "platform.hpp"
#include "scratch.hpp"
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
    res_head head;
    EXPECT_EQ(check_res_head(c.bytes, &head), c.ok) << c.name;
    EXPECT_EQ(head.encoding(), c.encoding) << c.name;
  }
}

TEST(ResHead, CountIsLittleEndianUnsigned) {
  for (unsigned count : {0u, 1u, 258u, 65535u}) {
    res_head head;
    ASSERT_TRUE(check_res_head(header(static_cast<std::uint16_t>(count)), &head));
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
    ResReader reader(c.file);
    const StringRead r = reader.read(c.n);
    EXPECT_EQ(r.status, c.status) << c.name;
    EXPECT_EQ(std::string(r.bytes), c.bytes) << c.name;
    EXPECT_EQ(r.got, c.got) << c.name;
  }
}

// Whatever the layout (strings out of order, past the end, sharing bytes, the index cut short),
// each string is exactly the bytes its entry names, the missing ones as 0.
TEST(ResReader, MatchesTheEntriesOnScatteredLayouts) {
  std::mt19937 rng(7);
  for (int round = 0; round < 4; ++round) {
    const unsigned count = 300;
    std::string file = header(count);
    std::string data(3 << 20, '\0');
    for (auto& c : data) c = static_cast<char>(rng());
    const std::uint64_t data_start = 16 * (count + 1);
    std::vector<std::pair<std::uint32_t, std::uint16_t>> entries;  // as written: the oracle
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
      entries.emplace_back(offset, length);
    }
    file += data;
    if (round == 2) file.resize(16 * 200 + 5);  // index itself cut short

    ResReader reader(file);
    // The same bytes as a mapped file, whose large strings the reader reads from the file.
    Scratch scratch;
    scratch.write("layout.bin", file);
    const std::string name = scratch.path("layout.bin");
    File in = File::open(name, "rb");
    MappedFile map;
    const bool mapped = map.map(in.get());  // not on Windows, where the tool reads inputs whole
    ResReader from_file(mapped ? map.bytes() : std::string_view(file), mapped ? &map : nullptr);
    for (unsigned n = 1; n <= count; ++n) {
      const StringRead r = reader.read(n);
      const StringRead f = from_file.read(n);
      ASSERT_TRUE(f.status == r.status && f.got == r.got && f.bytes == r.bytes) << n;
      if (16 * n + 16 > file.size()) {
        EXPECT_EQ(r.status, Status::kMissingEntry) << n;
        continue;
      }
      const auto [offset, length] = entries[n - 1];
      std::string expect(length, '\0');
      const std::size_t got =
          offset < file.size() ? std::min<std::size_t>(length, file.size() - offset) : 0;
      if (got) expect.replace(0, got, file, offset, got);
      ASSERT_EQ(r.got, got) << "round " << round << " n " << n;
      ASSERT_EQ(std::string(r.bytes), expect) << "round " << round << " n " << n;
      EXPECT_EQ(r.status, got == length ? Status::kOk : Status::kShortString);
    }
    in.close();
  }
}

// Offsets of 2 GiB and more are positions, not negative numbers.
TEST(ResReader, OffsetsFromTwoGiBUpAreUnsigned) {
  const std::string file = header(2) + entry(0x80000010u, 3) + entry(0xfffffff0u, 2);
  ResReader reader(file);
  for (unsigned n : {1u, 2u}) {
    const StringRead r = reader.read(n);
    EXPECT_EQ(r.status, Status::kShortString);
    EXPECT_EQ(r.got, 0u);
    EXPECT_EQ(r.bytes, std::string(n == 1 ? 3 : 2, '\0'));
  }
}

#ifndef _WIN32
// What cannot be mapped (a pipe) is read whole, however it arrives.
TEST(InputBytes, APipeIsReadWhole) {
  Scratch scratch;
  std::string bytes(3 << 20, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 31 / 7);
  const std::string fifo = scratch.path("pipe.bin");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::thread writer([&] { scratch.write("pipe.bin", bytes); });
  File in = File::open(fifo, "rb");
  InputBytes input;
  std::string err;
  const bool loaded = input.load(in.get(), &err);
  writer.join();
  ASSERT_TRUE(loaded) << err;
  EXPECT_EQ(input.mapping(), nullptr);
  EXPECT_TRUE(input.view() == bytes);
}
#endif

#ifndef _WIN32
// A mapped input that shrinks under the run: its lost bytes read as 0 and the run can tell,
// where the system would stop the process.
TEST(InputBytes, AFileThatShrinksWhileMappedIsToldNotFatal) {
  Scratch scratch;
  const std::string name = scratch.path("shrink.bin");
  const std::size_t size = 32 + (3 << 16);
  scratch.write("shrink.bin", header(1) + entry(32, 60000) + std::string(3 << 16, 'x'));
  File in = File::open(name, "rb");
  InputBytes bytes;
  std::string err;
  ASSERT_TRUE(bytes.load(in.get(), &err)) << err;
  std::filesystem::resize_file(name, 100);
  // A large string, read from the file, comes up short there: taken from the mapping instead.
  ResReader reader(bytes.view(), bytes.mapping());
  EXPECT_EQ(reader.read(1).bytes, std::string(68, 'x') + std::string(60000 - 68, '\0'));
  EXPECT_FALSE(bytes.intact());
  const std::string_view view = bytes.view();
  ASSERT_EQ(view.size(), size);
  EXPECT_EQ(view[50], 'x');
  EXPECT_EQ(view[view.size() - 1], '\0');
}
#endif

}  // namespace
