// The texts of the generated source file and of the declarations appended to the include file.
//
// Generated file, front to back:
//   #include <res_manager_api.h> \n\n
//   static const uint8_t STR_<n>[] = {<bytes>}; \n\n          once per string, n = 1 .. N
//   const uint8_t* RES_STRING_<STEM>[<N>] = {STR_1, ...}; \n
//   const uint32_t RES_STRING_<STEM>_CNT = <N>; \n
// Options (SourceOptions) add to that; the plain form is the default.
// Every line ends in a blank before its line feed; callers' build scripts may diff against it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace strtab2c {

// What the generated file may add to the plain form; each is off by default, and the plain
// form stays byte for byte as it is.
struct SourceOptions {
  // Compiles and links everywhere: what no ISO C or C++ takes (an empty string's empty
  // initializer, an empty table) in a form that every compiler takes, and the table and count
  // declared before they are defined, with C linkage for C++ (in the generated file and in the
  // lines appended to the include file).
  bool portable_c = false;
  // The pointers of the table const too, so that the table lands in read-only memory (flash).
  bool const_table = false;
  // A table of each string's length in bytes, RES_STRING_<STEM>_LEN.
  bool lengths = false;
};

// Where generated text goes: a file for the tool, memory for tests and the fuzzer.
class OutputSink {
 public:
  virtual ~OutputSink() = default;
  // False when not all of data could be written.
  virtual bool write(const char* data, std::size_t size) = 0;
  // Hands over a block. True when the sink queued it for a writer thread of its own: the block
  // then stays untouched until finish() says it is written, and the next one is rendered
  // meanwhile. False when it was written at once; finish() tells whether that worked.
  virtual bool start(const char* data, std::size_t size) {
    started_ok_ = started_ok_ && write(data, size);
    return false;
  }
  // Waits until at most `pending` queued blocks are left unwritten (the oldest are written
  // first); false when any write failed.
  virtual bool finish(std::size_t pending = 0) {
    static_cast<void>(pending);
    return started_ok_;
  }

 private:
  bool started_ok_ = true;
};

// The lines appended to the include file: a line feed, then the declarations (of the table and
// the count, and of the lengths with options.lengths; with options.portable_c inside
// #ifdef __cplusplus guards that give them C linkage).
std::string declarations(const std::string& upper_stem, const SourceOptions& options = {});

// The decimal text of numbers that mostly come one after another, as the arrays and the table
// count through the strings: each made from the one before by carrying, where formatting each
// anew would cost more than a short string's items.
class DecimalCount {
 public:
  static constexpr std::size_t kDigitsMax = 10;  // 4294967295
  // The digits of n. They are followed by at least kDigitsMax - size() readable bytes, so that
  // a copy of kDigitsMax bytes may take them.
  std::string_view of(unsigned n);

 private:
  char text_[2 * kDigitsMax] = {};  // the digits end at kDigitsMax
  std::size_t start_ = kDigitsMax;
  unsigned last_ = 0;
  bool valid_ = false;
};

// Streams the generated source through large buffers, each handed to the sink when full: while
// the sink's thread writes some, the next is rendered. After the first failed write every
// further call does nothing and returns false, so a full disk ends the run promptly.
class SourceWriter {
 public:
  static constexpr std::size_t kDefaultBuffer = std::size_t{1} << 20;
  // Buffers start at kStartBuffer at most and grow to buffer_size once the output passed
  // kGrowAfter: small outputs touch little memory, large ones hand over few, large blocks.
  static constexpr std::size_t kStartBuffer = std::size_t{1} << 18;
  static constexpr std::size_t kGrowAfter = std::size_t{8} << 20;
  // One being rendered, one being written and one queued, so that the writer finds the next
  // block ready when it is done with one. A sink that writes at once needs only the first.
  static constexpr std::size_t kBuffers = 3;
  // buffer_size is clamped to at least 64 bytes.
  explicit SourceWriter(OutputSink& sink, std::size_t buffer_size = kDefaultBuffer);

  bool preamble();
  // The array of string n; returns the length of its initializer text ("0x%x" items joined by
  // ", "), whether or not the writes succeeded (ok() says that).
  std::size_t array(unsigned n, std::string_view bytes);
  // The pointer table and the count, and what options add (see SourceOptions); stem already upper
  // case. With portable_c an empty table is one null pointer (the count stays 0): a zero-size
  // array is no ISO C or C++. lengths: each string's length, when options.lengths.
  bool table(const std::string& upper_stem, unsigned count, const SourceOptions& options = {},
             const std::vector<std::uint16_t>& lengths = {});
  // Hands the buffered text to the sink and waits until all of it is written.
  bool finish();
  bool ok() const { return ok_; }

 private:
  bool append(std::string_view text) {
    if (capacity_ - used_ >= text.size()) {  // the common case: short pieces that fit
      std::memcpy(buffer_ + used_, text.data(), text.size());
      used_ += text.size();
      return ok_;
    }
    return append_slow(text);
  }
  bool append_slow(std::string_view text);
  void put_number(unsigned value);

  // Hands the buffer to the sink and goes on in a free one.
  void flush();
  // Makes buffers_[current_] the one rendered into, grown as the output's size asks.
  void use_buffer();

  struct Buffer {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
  };
  OutputSink& sink_;
  DecimalCount count_;
  Buffer buffers_[kBuffers];
  std::size_t current_ = 0;  // the buffer being rendered
  std::size_t full_capacity_;
  std::size_t flushed_ = 0;
  char* buffer_ = nullptr;  // buffers_[current_]
  std::size_t capacity_ = 0;
  std::size_t used_ = 0;
  bool ok_ = true;
};

}  // namespace strtab2c
