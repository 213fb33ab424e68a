#include "res_file.hpp"

#include <algorithm>
#include <cstring>

#include "platform.hpp"
#include "source_writer.hpp"

namespace strtab2c {

namespace {

// Entries fetched per index read: 64 KiB, a 65535-string index in 16 reads.
constexpr unsigned kIndexChunk = 4096;
// Read-ahead for string bytes. Large enough that a table laid out front to back needs one read
// per MiB; a string never exceeds 65535 bytes, so an exact read always fits too.
constexpr std::size_t kWindowSize = std::size_t{1} << 20;

}  // namespace

res_entry res_entry::parse(const std::uint8_t* r) {
  res_entry e;
  e.offset = static_cast<std::uint32_t>(r[0]) | static_cast<std::uint32_t>(r[1]) << 8 |
             static_cast<std::uint32_t>(r[2]) << 16 | static_cast<std::uint32_t>(r[3]) << 24;
  e.length = static_cast<std::uint16_t>(r[4] | (r[5] << 8));
  return e;
}

FileInput::FileInput(std::FILE* file) : file_(file) { std::setvbuf(file_, nullptr, _IONBF, 0); }

std::size_t FileInput::read_at(std::uint64_t pos, void* dst, std::size_t size) {
  if (size == 0 || !seek_file(file_, pos)) return 0;
  return std::fread(dst, 1, size, file_);
}

std::size_t MemoryInput::read_at(std::uint64_t pos, void* dst, std::size_t size) {
  if (pos >= data_.size()) return 0;
  const std::size_t n = std::min<std::uint64_t>(size, data_.size() - pos);
  std::memcpy(dst, data_.data() + pos, n);
  return n;
}

bool check_res_head(ResInput& in, res_head* head) {
  *head = res_head{};
  const std::size_t got = in.read_at(0, head->bytes, kRecordSize);
  return got == kRecordSize && head->encoding() == kSupportedEncoding;
}

ResReader::ResReader(ResInput& in, std::uint16_t count)
    : in_(in), count_(count), window_(new std::uint8_t[kWindowSize]) {}

bool ResReader::load_entry(unsigned n, res_entry* entry) {
  const unsigned cached = static_cast<unsigned>(index_.size() / kRecordSize);
  const bool past_cache = n >= index_first_ + cached;
  // Once a piece of the index came up short, every later entry lies past the end as well.
  if (past_cache && index_at_end_) return false;
  if (n < index_first_ || past_cache) {
    // A short read leaves only the entries that arrived whole.
    const unsigned want = std::min<unsigned>(kIndexChunk, std::max<unsigned>(count_, n) - n + 1);
    index_.resize(std::size_t{want} * kRecordSize);
    const std::size_t got =
        in_.read_at(std::uint64_t{n} * kRecordSize, index_.data(), index_.size());
    index_.resize(got / kRecordSize * kRecordSize);
    index_first_ = n;
    index_at_end_ = got < std::size_t{want} * kRecordSize;
  }
  const std::size_t at = std::size_t{n - index_first_} * kRecordSize;
  if (at >= index_.size()) return false;
  *entry = res_entry::parse(index_.data() + at);
  return true;
}

std::size_t ResReader::fetch(std::uint64_t offset, std::size_t length, const std::uint8_t** data) {
  const std::uint64_t window_end = window_pos_ + window_len_;
  const bool inside = offset >= window_pos_ && offset <= window_end;
  if (inside && (offset + length <= window_end || window_at_end_)) {
    *data = window_.get() + (offset - window_pos_);
    return static_cast<std::size_t>(std::min<std::uint64_t>(length, window_end - offset));
  }
  // Read ahead only when the string continues roughly where the window stands; jumps elsewhere
  // read just the string, so scattered layouts cost no more than one read per string.
  const bool nearby = offset >= window_pos_ && offset <= window_end + kWindowSize;
  const std::size_t want = nearby ? kWindowSize : length;
  window_len_ = in_.read_at(offset, window_.get(), want);
  window_pos_ = offset;
  window_at_end_ = window_len_ < want;
  *data = window_.get();
  return std::min(length, window_len_);
}

StringRead ResReader::read(unsigned n) {
  StringRead result;
  res_entry entry;
  if (!load_entry(n, &entry)) {
    result.status = StringRead::Status::kMissingEntry;
    return result;
  }
  result.length = entry.length;
  if (entry.length == 0) return result;

  const std::uint8_t* data = nullptr;
  result.got = fetch(entry.offset, entry.length, &data);
  if (result.got == entry.length) {
    result.bytes = std::string_view(reinterpret_cast<const char*>(data), entry.length);
    return result;
  }
  result.status = StringRead::Status::kShortString;
  padded_.assign(entry.length, '\0');
  if (result.got > 0) std::memcpy(&padded_[0], data, result.got);
  result.bytes = padded_;
  return result;
}

int res_string_to_hex(ResInput& in, unsigned n, std::string* text, StringRead* read) {
  ResReader reader(in, static_cast<std::uint16_t>(std::min(n, 65535u)));
  const StringRead r = reader.read(n);
  if (read) {
    *read = r;
    read->bytes = {};  // points into the reader, which ends here
  }
  if (r.status == StringRead::Status::kMissingEntry) return -1;
  text->clear();
  append_hex(r.bytes, text);
  return 0;
}

}  // namespace strtab2c
