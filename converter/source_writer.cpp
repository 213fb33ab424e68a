#include "source_writer.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

namespace strtab2c {

namespace {

constexpr char kPreamble[] = "#include <res_manager_api.h> \n\n";
constexpr char kArrayOpen[] = "static const uint8_t STR_";  // n, then kArrayMiddle
constexpr char kArrayMiddle[] = "[] = {";
constexpr char kArrayClose[] = "}; \n\n";
constexpr char kTableOpen[] = "const uint8_t* RES_STRING_";  // STEM [N] = {names}; \n
constexpr char kCountOpen[] = "const uint32_t RES_STRING_";  // STEM _CNT = N; \n
constexpr char kDeclTable[] = "extern const uint8_t* RES_STRING_";
constexpr char kDeclCount[] = "extern const uint32_t RES_STRING_";

// One item per byte value, "0x%x, " padded to kItemWidth bytes so the hot loop copies a fixed
// width and advances by the real length.
constexpr std::size_t kItemWidth = 8;
constexpr std::size_t kItemMax = 6;  // "0xff, "
constexpr std::size_t kSeparator = 2;

struct HexItems {
  std::array<std::array<char, kItemWidth>, 256> text{};
  std::array<unsigned char, 256> size{};
  HexItems() {
    const char* digits = "0123456789abcdef";
    for (unsigned b = 0; b < 256; ++b) {
      auto& t = text[b];
      std::size_t i = 0;
      t[i++] = '0';
      t[i++] = 'x';
      if (b >= 16) t[i++] = digits[b >> 4];
      t[i++] = digits[b & 15];
      t[i++] = ',';
      t[i++] = ' ';
      size[b] = static_cast<unsigned char>(i);
    }
  }
};

const HexItems& hex_items() {
  static const HexItems items;
  return items;
}

// Renders all bytes with a trailing ", " each into out, which has room for size * 6 + 2 bytes.
char* render_items(const unsigned char* bytes, std::size_t size, char* out) {
  const HexItems& items = hex_items();
  for (std::size_t i = 0; i < size; ++i) {
    std::memcpy(out, items.text[bytes[i]].data(), kItemWidth);
    out += items.size[bytes[i]];
  }
  return out;
}

}  // namespace

FileSink::FileSink(std::FILE* file) : file_(file) { std::setvbuf(file_, nullptr, _IONBF, 0); }

bool FileSink::write(const char* data, std::size_t size) {
  return std::fwrite(data, 1, size, file_) == size;
}

std::size_t hex_length(std::string_view bytes) {
  if (bytes.empty()) return 0;
  const HexItems& items = hex_items();
  std::size_t total = 0;
  for (unsigned char b : bytes) total += items.size[b];
  return total - kSeparator;
}

std::string declarations(const std::string& upper_stem) {
  std::string text = "\n";
  text.append(kDeclTable).append(upper_stem).append("[];\n");
  text.append(kDeclCount).append(upper_stem).append("_CNT;\n");
  return text;
}

SourceWriter::SourceWriter(OutputSink& sink, std::size_t buffer_size)
    : sink_(sink), capacity_(std::max<std::size_t>(buffer_size, 64)) {
  buffer_.reset(new char[capacity_]);
}

bool SourceWriter::flush() {
  if (ok_ && used_ > 0) ok_ = sink_.write(buffer_.get(), used_);
  used_ = 0;
  return ok_;
}

bool SourceWriter::append_slow(std::string_view text) {
  while (ok_ && !text.empty()) {
    if (used_ == capacity_) flush();
    const std::size_t n = std::min(text.size(), capacity_ - used_);
    std::memcpy(buffer_.get() + used_, text.data(), n);
    used_ += n;
    text.remove_prefix(n);
  }
  return ok_;
}

void SourceWriter::put_number(unsigned value) {
  // Called several times per string; printf's parsing would dominate small tables.
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  append(std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

bool SourceWriter::preamble() { return append(kPreamble); }

bool SourceWriter::array(unsigned n, std::string_view bytes) {
  append(kArrayOpen);
  put_number(n);
  append(kArrayMiddle);
  auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t left = bytes.size();
  while (ok_ && left > 0) {
    // Render as many items as fit; the last one goes with the closing so its ", " can be cut.
    // kItemWidth: the last item's copy may write that far past its text.
    if (capacity_ - used_ < kItemMax + kItemWidth) flush();
    if (!ok_) break;
    const std::size_t fit = (capacity_ - used_ - kItemWidth) / kItemMax;
    const std::size_t take = std::min(left, fit);
    char* end = render_items(data, take, buffer_.get() + used_);
    used_ = static_cast<std::size_t>(end - buffer_.get());
    data += take;
    left -= take;
    if (left == 0) used_ -= kSeparator;
  }
  return append(kArrayClose);
}

bool SourceWriter::table(const std::string& upper_stem, unsigned count, bool portable_c) {
  append(kTableOpen);
  append(upper_stem);
  append("[");
  if (portable_c && count == 0) {
    append("1] = {0");
  } else {
    put_number(count);
    append("] = {");
  }
  for (unsigned n = 1; ok_ && n <= count; ++n) {
    if (n > 1) append(", ");
    append("STR_");
    put_number(n);
  }
  append("}; \n");
  append(kCountOpen);
  append(upper_stem);
  append("_CNT = ");
  put_number(count);
  return append("; \n");
}

}  // namespace strtab2c
