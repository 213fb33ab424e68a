// The string resource file: a 16-byte header, one 16-byte index entry per string (entry n at byte
// 16 * n), and the string bytes wherever the entries point. All fields are little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace strtab2c {

inline constexpr std::size_t kRecordSize = 16;
inline constexpr std::uint8_t kSupportedEncoding = 2;

struct res_head {
  std::uint8_t bytes[kRecordSize] = {};

  std::uint16_t count() const { return static_cast<std::uint16_t>(bytes[4] | (bytes[5] << 8)); }
  std::uint8_t encoding() const { return bytes[9]; }
};

struct res_entry {
  std::uint32_t offset = 0;  // unsigned: positions up to 4 GiB - 1
  std::uint16_t length = 0;

  static res_entry parse(const std::uint8_t* record);
};

// Random access to the file's bytes, so the tool reads a FILE while tests and fuzzers feed memory.
class ResInput {
 public:
  virtual ~ResInput() = default;
  // Reads up to size bytes at pos into dst and returns how many arrived; fewer at the end of the
  // data (a position past the end is not an error, just an empty read).
  virtual std::size_t read_at(std::uint64_t pos, void* dst, std::size_t size) = 0;
};

class FileInput final : public ResInput {
 public:
  // Switches the stream to unbuffered: every read here is large or positioned, so stdio's own
  // buffer would only add a copy. Call before any other I/O on the stream.
  explicit FileInput(std::FILE* file);
  std::size_t read_at(std::uint64_t pos, void* dst, std::size_t size) override;

 private:
  std::FILE* file_;
};

class MemoryInput final : public ResInput {
 public:
  explicit MemoryInput(std::string_view data) : data_(data) {}
  std::size_t read_at(std::uint64_t pos, void* dst, std::size_t size) override;

 private:
  std::string_view data_;
};

// Reads the header into *head (zeroed first, so missing bytes read as 0). True only when all 16
// bytes arrived and the encoding is the supported one.
bool check_res_head(ResInput& in, res_head* head);

struct StringRead {
  enum class Status {
    kOk,
    kMissingEntry,  // the entry's 16 bytes are not all in the file; bytes is empty
    kShortString,   // the string runs past the end; missing bytes are 0 in bytes
  };
  Status status = Status::kOk;
  std::string_view bytes;  // the string, exactly `length` bytes; valid until the next read
  std::size_t got = 0;     // bytes that actually arrived
  std::uint16_t length = 0;
};

// Reads strings 1..count. The index is read in large pieces and string bytes through a read-ahead
// window, so a table costs a handful of reads rather than two per string. Results are identical to
// reading each entry and string on its own.
class ResReader {
 public:
  ResReader(ResInput& in, std::uint16_t count);
  StringRead read(unsigned n);

 private:
  bool load_entry(unsigned n, res_entry* entry);
  std::size_t fetch(std::uint64_t offset, std::size_t length, const std::uint8_t** data);

  ResInput& in_;
  std::uint16_t count_;
  std::vector<std::uint8_t> index_;  // entries first_ .. first_ + index_.size() / 16 - 1
  unsigned index_first_ = 0;
  bool index_at_end_ = false;               // the last index read came up short
  std::unique_ptr<std::uint8_t[]> window_;  // not zero-filled: only what a read fills is touched
  std::uint64_t window_pos_ = 0;
  std::size_t window_len_ = 0;
  bool window_at_end_ = false;  // the last fill came up short: the data ends with the window
  std::string padded_;          // a short string with its missing bytes as 0
};

// Renders string n as initializer text ("0x48, 0x69"). Returns 0 when entry n was read, -1 when it
// is missing (text is then left as it was). *read, when given, receives the reader's result.
int res_string_to_hex(ResInput& in, unsigned n, std::string* text, StringRead* read = nullptr);

}  // namespace strtab2c
