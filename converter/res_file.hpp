// The string resource file. All fields are little-endian; bytes not named here are not
// interpreted.
//
//   position 0            header (16 bytes): bytes 4-5 the string count N, byte 9 the encoding
//   position 16 * n       entry of string n = 1 .. N (16 bytes): bytes 0-3 the offset of the
//                         string's first byte from the start of the file, bytes 4-5 its length
//   at each offset        the string's bytes, taken as they stand
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform.hpp"

namespace strtab2c {

inline constexpr std::size_t kRecordSize = 16;  // the header and each entry
inline constexpr std::size_t kCountAt = 4;      // header: unsigned 16-bit string count
inline constexpr std::size_t kEncodingAt = 9;   // header: encoding code
inline constexpr std::uint8_t kSupportedEncoding = 2;
inline constexpr std::size_t kOffsetAt = 0;  // entry: unsigned 32-bit offset
inline constexpr std::size_t kLengthAt = 4;  // entry: unsigned 16-bit length

struct res_head {
  std::uint8_t bytes[kRecordSize] = {};

  std::uint16_t count() const {
    return static_cast<std::uint16_t>(bytes[kCountAt] | (bytes[kCountAt + 1] << 8));
  }
  std::uint8_t encoding() const { return bytes[kEncodingAt]; }
};

struct res_entry {
  std::uint32_t offset = 0;  // unsigned: positions up to 4 GiB - 1
  std::uint16_t length = 0;

  static res_entry parse(const std::uint8_t* record);
};

// The input's bytes: a regular file mapped, anything else read whole.
class InputBytes {
 public:
  // False on a read error, with *err the system's text for it.
  bool load(std::FILE* file, std::string* err);
  std::string_view view() const { return data_.empty() ? map_.bytes() : std::string_view(data_); }
  // The mapping the bytes are in, if they are mapped.
  const MappedFile* mapping() const { return map_.bytes().empty() ? nullptr : &map_; }
  // False when the file shrank while it was read (even within its last page, which reads as
  // zeros where it was cut): what was read is not the file. Asked after the last read.
  bool intact() const;

 private:
  std::FILE* file_ = nullptr;
  std::uint64_t size_ = 0;  // of the regular file when loaded
  bool sized_ = false;
  MappedFile map_;
  std::string data_;
};

// Copies the header into *head (zeroed first, so missing bytes read as 0). True only when all 16
// bytes are there and the encoding is the supported one.
bool check_res_head(std::string_view file, res_head* head);

struct StringRead {
  enum class Status {
    kOk,
    kMissingEntry,  // the entry's 16 bytes are not all in the file; bytes is empty
    kShortString,   // the string runs past the end; missing bytes are 0 in bytes
  };
  Status status = Status::kOk;
  std::string_view bytes;  // the string, exactly its entry's length; valid until the next read
  std::size_t got = 0;     // bytes that were in the file
};

// Strings by number, from the file's bytes in memory: entries may point anywhere, in any order.
class ResReader {
 public:
  // From this length on, a string of a mapped file is read from the file: copying it out costs
  // less than faulting in the pages of the mapping it spans, most of all on virtual machines.
  static constexpr std::size_t kReadAlone = 4096;

  // file: the input's bytes; mapping: where they are mapped from, if they are.
  explicit ResReader(std::string_view file, const MappedFile* mapping = nullptr)
      : file_(file), mapping_(mapping) {}
  StringRead read(unsigned n);

 private:
  // Entry n, when all its bytes are in the file.
  bool find_entry(unsigned n, res_entry* e) const;

  std::string_view file_;
  const MappedFile* mapping_;
  std::string copy_;  // a string read from the file, or a short one with its missing bytes as 0
};

}  // namespace strtab2c
