#include "res_file.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#if defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
#include <xmmintrin.h>
#endif

#include "platform.hpp"

namespace strtab2c {

namespace {

constexpr std::size_t kReadBlock = std::size_t{1} << 20;
// How many strings ahead the reader asks for a string's bytes to be fetched into the cache.
constexpr unsigned kFetchAhead = 32;

// A hint only: no fault, whatever the address.
inline void prefetch(const char* at) {
#if defined(__GNUC__) || defined(__clang__)
  __builtin_prefetch(at);
#elif defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
  _mm_prefetch(at, _MM_HINT_T0);
#else
  static_cast<void>(at);
#endif
}

// Reads the whole input into *data, in large blocks; works for pipes too. False on a read error,
// with *err the system's text for it; the end of the data is no error.
bool read_input(std::FILE* file, std::string* data, std::string* err) {
  std::setvbuf(file, nullptr, _IONBF, 0);  // large reads only: stdio's buffer would add a copy
  std::uint64_t size = 0;
  const bool sized = std::fseek(file, 0, SEEK_END) == 0 && tell_file(file, &size);
  std::rewind(file);
  try {
    data->clear();
    for (;;) {
      const std::size_t at = data->size();
      // Once the first block arrived (the file is readable: not a directory, whose size means
      // nothing), a regular file's size gives one allocation; a pipe grows the buffer as it goes.
      if (at > 0 && sized && size < data->max_size()) data->reserve(size + 1);
      const std::size_t room = data->capacity() - at;
      data->resize(at + (at > 0 && room > 0 ? room : kReadBlock));
      const std::size_t got = std::fread(&(*data)[at], 1, data->size() - at, file);
      data->resize(at + got);
      if (got > 0) continue;
      if (!std::ferror(file)) return true;
      *err = last_error_text();
      return false;
    }
  } catch (const std::exception&) {  // more than memory holds
    *err = error_text(ENOMEM);
    return false;
  }
}

}  // namespace

res_entry res_entry::parse(const std::uint8_t* r) {
  const std::uint8_t* o = r + kOffsetAt;
  const std::uint8_t* l = r + kLengthAt;
  res_entry e;
  e.offset = static_cast<std::uint32_t>(o[0]) | static_cast<std::uint32_t>(o[1]) << 8 |
             static_cast<std::uint32_t>(o[2]) << 16 | static_cast<std::uint32_t>(o[3]) << 24;
  e.length = static_cast<std::uint16_t>(l[0] | (l[1] << 8));
  return e;
}

bool InputBytes::load(std::FILE* file, std::string* err) {
  file_ = file;
  sized_ = regular_file_size(file, &size_);
  return map_.map(file) || read_input(file, &data_, err);
}

bool InputBytes::intact() const {
  std::uint64_t now = 0;
  if (map_.truncated()) return false;
  return !sized_ || !regular_file_size(file_, &now) || now >= size_;
}

bool check_res_head(std::string_view file, res_head* head) {
  *head = res_head{};
  const std::size_t got = std::min(file.size(), kRecordSize);
  if (got > 0) std::memcpy(head->bytes, file.data(), got);  // an empty file may have no data
  return got == kRecordSize && head->encoding() == kSupportedEncoding;
}

bool ResReader::find_entry(unsigned n, res_entry* e) const {
  const std::uint64_t slot = std::uint64_t{n} * kRecordSize;
  if (slot + kRecordSize > file_.size()) return false;
  *e = res_entry::parse(reinterpret_cast<const std::uint8_t*>(&file_[slot]));
  return true;
}

StringRead ResReader::read(unsigned n) {
  // Strings stored out of order sit anywhere in the file, where the processor's own prefetching
  // cannot guess: ask for a later one's bytes now, so they are in the cache when it is read.
  res_entry ahead;
  if (find_entry(n + kFetchAhead, &ahead) && ahead.offset < file_.size()) {
    prefetch(file_.data() + ahead.offset);
  }
  StringRead result;
  res_entry entry;
  if (!find_entry(n, &entry)) {
    result.status = StringRead::Status::kMissingEntry;
    return result;
  }
  const std::size_t offset = std::min<std::uint64_t>(entry.offset, file_.size());
  result.got = std::min<std::size_t>(entry.length, file_.size() - offset);
  if (result.got == entry.length) {
    if (mapping_ && entry.length >= kReadAlone) {
      copy_.resize(entry.length);
      if (mapping_->copy(offset, entry.length, &copy_[0])) {
        result.bytes = copy_;
        return result;
      }
    }
    result.bytes = file_.substr(offset, entry.length);
    return result;
  }
  result.status = StringRead::Status::kShortString;
  copy_.assign(entry.length, '\0');
  file_.copy(&copy_[0], result.got, offset);
  result.bytes = copy_;
  return result;
}

}  // namespace strtab2c
