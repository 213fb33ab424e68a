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
#include <string>
#include <string_view>
#include <vector>

#include "block_writer.hpp"
#include "naming.hpp"

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
  // Each definition begins with a macro the project may define to place it (a section, flash,
  // an address space): STRTAB2C_STRING_ATTRIBUTE, _TABLE_, _COUNT_ and _LENGTHS_ATTRIBUTE, each
  // defined empty after the include line unless the project defined it first.
  bool attribute_macros = false;
  // Each string of 1 to kLiteralMax bytes as a C string literal of exactly its bytes, the array
  // sized to its length (no terminator stored): far quicker to compile than one item per byte.
  // The file is C only then: C++ refuses a literal that fills its array.
  bool string_literals = false;
};

// The longest literal every target compiler takes: the least ISO C promises. Longer strings keep
// the brace form.
inline constexpr std::size_t kLiteralMax = 4095;

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

// Renders the generated source of one table into the buffers of a BlockWriter, handing each over
// when full. After the first failed write every further call does nothing, so a full disk ends
// the run promptly.
class SourceWriter {
 public:
  // upper_stem: the stem already upper case.
  SourceWriter(BlockWriter& out, const std::string& upper_stem, const SourceOptions& options = {});

  void preamble();
  // The array of string n; returns the length of its initializer text ("0x%x" items joined by
  // ", ", or a literal's characters between its quotes, pieces joined), whether or not the
  // writes succeeded (ok() says that). With portable_c an empty string is one zero byte, so that
  // code reading the strings as zero-terminated still sees "".
  std::size_t array(unsigned n, std::string_view bytes);
  // The pointer table, the count, and what the options add (see SourceOptions), for strings
  // 1..count. With portable_c an empty table is one null pointer (the count stays 0): a
  // zero-size array is no ISO C or C++.
  void tables(unsigned count);
  // Hands the buffered text to the sink and waits until all of it is written; false when any
  // write failed, with *err saying why.
  bool finish(std::string* err);
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
  // "[N] = {" of a table of count items, or "[1] = {0" for one null item in place of none.
  void array_size(unsigned count, bool one_null);
  // The attribute macro a definition begins with, and its blank (nothing without the option).
  void attribute(std::string_view macro);
  // The initializer of string n as a literal; returns its text's length.
  std::size_t literal(unsigned n, std::string_view bytes);

  // Hands the buffer over and goes on in the one that follows.
  void flush();

  BlockWriter& out_;
  const SourceOptions options_;
  const Identifiers ids_;
  std::vector<std::uint16_t> lengths_;  // of each array so far, with options_.lengths
  DecimalCount count_;
  DecimalCount sizes_;  // a literal's array size: apart, so that count_ keeps counting up
  char* buffer_;        // out_.buffer() and its capacity, at hand for the rendering loop
  std::size_t capacity_;
  std::size_t used_ = 0;
  bool ok_;
};

}  // namespace strtab2c
