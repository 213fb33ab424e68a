// The texts of the generated source file and of the declarations appended to the include file.
//
// Generated file, front to back:
//   #include <res_manager_api.h> \n\n
//   static const uint8_t STR_<n>[] = {<bytes>}; \n\n          once per string, n = 1 .. N
//   const uint8_t* RES_STRING_<STEM>[<N>] = {STR_1, ...}; \n
//   const uint32_t RES_STRING_<STEM>_CNT = <N>; \n
// Every line ends in a blank before its line feed; callers' build scripts may diff against it.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace strtab2c {

// Where generated text goes: a file for the tool, memory for tests and the fuzzer.
class OutputSink {
 public:
  virtual ~OutputSink() = default;
  // False when not all of data could be written.
  virtual bool write(const char* data, std::size_t size) = 0;
};

class FileSink final : public OutputSink {
 public:
  // Switches the stream to unbuffered: SourceWriter already hands over large blocks.
  explicit FileSink(std::FILE* file);
  bool write(const char* data, std::size_t size) override;

 private:
  std::FILE* file_;
};

class StringSink final : public OutputSink {
 public:
  bool write(const char* data, std::size_t size) override {
    text.append(data, size);
    return true;
  }
  std::string text;
};

// Length in characters of one string's initializer items ("0x%x" each, joined by ", "),
// without rendering them.
std::size_t hex_length(std::string_view bytes);

// The lines appended to the include file (a line feed, then two declarations).
std::string declarations(const std::string& upper_stem);

// Streams the generated source through one large buffer. After the first failed write every
// further call does nothing and returns false, so a full disk ends the run promptly.
class SourceWriter {
 public:
  static constexpr std::size_t kDefaultBuffer = std::size_t{1} << 20;
  // buffer_size is clamped to at least 64 bytes.
  explicit SourceWriter(OutputSink& sink, std::size_t buffer_size = kDefaultBuffer);

  bool preamble();
  bool array(unsigned n, std::string_view bytes);
  // The pointer table and the count; stem already upper case. portable_c writes an empty table
  // as one null pointer (the count stays 0): a zero-size array is no ISO C or C++.
  bool table(const std::string& upper_stem, unsigned count, bool portable_c = false);
  bool flush();
  bool ok() const { return ok_; }

 private:
  bool append(std::string_view text) {
    if (capacity_ - used_ >= text.size()) {  // the common case: short pieces that fit
      std::memcpy(buffer_.get() + used_, text.data(), text.size());
      used_ += text.size();
      return ok_;
    }
    return append_slow(text);
  }
  bool append_slow(std::string_view text);
  void put_number(unsigned value);

  OutputSink& sink_;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_;
  std::size_t used_ = 0;
  bool ok_ = true;
};

}  // namespace strtab2c
