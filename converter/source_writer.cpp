#include "source_writer.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace strtab2c {

namespace {

constexpr char kInclude[] = "#include <res_manager_api.h> \n";  // then an empty line
constexpr char kStringAttribute[] = "STRTAB2C_STRING_ATTRIBUTE";
constexpr char kTableAttribute[] = "STRTAB2C_TABLE_ATTRIBUTE";
constexpr char kCountAttribute[] = "STRTAB2C_COUNT_ATTRIBUTE";
constexpr char kLengthsAttribute[] = "STRTAB2C_LENGTHS_ATTRIBUTE";
// A literal fills its array exactly: GCC 15 and the newest Clang warn of it under -Wextra unless
// the array is marked nonstring; sdcc warns "excess elements" (147) and MSVC of no room for the
// terminator (C4295). Each is told, guarded for the compilers that know nothing of it.
constexpr char kLiteralGuards[] =
    "#if defined(__has_attribute)\n"
    "#if __has_attribute(__nonstring__)\n"
    "#define STRTAB2C_NONSTRING __attribute__((__nonstring__))\n"
    "#endif\n"
    "#endif\n"
    "#ifndef STRTAB2C_NONSTRING\n"
    "#define STRTAB2C_NONSTRING\n"
    "#endif\n"
    "#ifdef __SDCC\n"
    "#pragma disable_warning 147\n"
    "#endif\n"
    "#if defined(_MSC_VER) && !defined(__clang__)\n"
    "#pragma warning(disable : 4295)\n"
    "#endif\n";
constexpr char kLiteralMiddle[] = "] STRTAB2C_NONSTRING =";
constexpr char kLiteralClose[] = "; \n\n";
constexpr std::size_t kPieceBytes = 64;  // string bytes per piece of a long literal

// How each byte stands in a literal: printable ASCII as itself, but '"', '\\' and '?' (gcc
// -std=c99 reads trigraphs) escaped; every other byte as three octal digits, which no following
// character can join. The text, and its size in the last byte.
struct LiteralItems {
  std::array<std::array<char, 8>, 256> text{};
  LiteralItems() {
    for (unsigned b = 0; b < 256; ++b) {
      auto& t = text[b];
      std::size_t i = 0;
      if (b == '"' || b == '\\' || b == '?') {
        t[i++] = '\\';
        t[i++] = static_cast<char>(b);
      } else if (b >= 0x20 && b < 0x7f) {
        t[i++] = static_cast<char>(b);
      } else {
        t[i++] = '\\';
        t[i++] = static_cast<char>('0' + (b >> 6));
        t[i++] = static_cast<char>('0' + ((b >> 3) & 7));
        t[i++] = static_cast<char>('0' + (b & 7));
      }
      t[7] = static_cast<char>(i);
    }
  }
};

const LiteralItems& literal_items() {
  static const LiteralItems items;
  return items;
}
constexpr char kArrayOpen[] = "static const uint8_t STR_";  // n, then kArrayMiddle
constexpr char kArrayMiddle[] = "[] = {";
constexpr char kArrayClose[] = "}; \n\n";
constexpr char kTablePointer[] = "const uint8_t* ";  // [const] table [N] = {names};
constexpr char kConstPointer[] = "const ";
constexpr char kCountType[] = "const uint32_t ";    // count = N; \n
constexpr char kLengthsType[] = "const uint16_t ";  // lengths [N] = {lengths}; \n
constexpr char kExtern[] = "extern ";
// C linkage for C++, around declarations and definitions alike.
constexpr char kLinkageOpen[] = "#ifdef __cplusplus\nextern \"C\" {\n#endif\n";
constexpr char kLinkageClose[] = "#ifdef __cplusplus\n}\n#endif\n";

// The declarations, without the line feed that comes before them in the include file.
std::string declaration_lines(const Identifiers& ids, const SourceOptions& options) {
  std::string text;
  if (options.portable_c) text += kLinkageOpen;
  text.append(kExtern).append(kTablePointer);
  if (options.const_table) text += kConstPointer;
  text.append(ids.table).append("[];\n");
  text.append(kExtern).append(kCountType).append(ids.count).append(";\n");
  if (options.lengths)
    text.append(kExtern).append(kLengthsType).append(ids.lengths).append("[];\n");
  if (options.portable_c) text += kLinkageClose;
  return text;
}

// One item per byte value, "0x%x, " padded to kItemWidth bytes so the hot loop copies a fixed
// width and advances by the real length, which the item's last byte holds (one load for both).
constexpr std::size_t kItemWidth = 8;
constexpr std::size_t kItemMax = 6;  // "0xff, "
constexpr std::size_t kSeparator = 2;
constexpr std::size_t kSizeAt = kItemWidth - 1;
static_assert(kItemWidth == sizeof(std::uint64_t), "an item loads as one 64-bit number");

struct HexItems {
  std::array<std::array<char, kItemWidth>, 256> text{};
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
      t[kSizeAt] = static_cast<char>(i);
    }
  }
};

const HexItems& hex_items() {
  static const HexItems items;
  return items;
}

// The item's size (its last byte) read from the item loaded as a number: the top byte on
// little-endian machines, the lowest on big-endian ones.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
constexpr unsigned kSizeShift = 0;
#else
constexpr unsigned kSizeShift = 8 * kSizeAt;
#endif

// Renders all bytes with a trailing ", " each into out, which has room for size * 6 + 2 bytes.
char* render_items(const unsigned char* bytes, std::size_t size, char* out) {
  const HexItems& items = hex_items();
  // Each item loaded once, as one number that gives both its text and its size.
  const auto put = [&items, &out](unsigned char byte) {
    std::uint64_t item;
    std::memcpy(&item, items.text[byte].data(), kItemWidth);
    std::memcpy(out, &item, kItemWidth);
    out += (item >> kSizeShift) & 0xff;
  };
  std::size_t i = 0;
  for (; i + 4 <= size; i += 4) {  // unrolled: the loads of four items overlap
    put(bytes[i]);
    put(bytes[i + 1]);
    put(bytes[i + 2]);
    put(bytes[i + 3]);
  }
  for (; i < size; ++i) put(bytes[i]);
  return out;
}

// Length of the items of size bytes with their trailing ", ", without rendering them.
std::size_t rest_length(const unsigned char* bytes, std::size_t size) {
  const HexItems& items = hex_items();
  std::size_t total = 0;
  for (std::size_t i = 0; i < size; ++i)
    total += static_cast<std::size_t>(items.text[bytes[i]][kSizeAt]);
  return total;
}

}  // namespace

std::string declarations(const std::string& upper_stem, const SourceOptions& options) {
  return "\n" + declaration_lines(identifiers(upper_stem), options);
}

SourceWriter::SourceWriter(BlockWriter& out, const std::string& upper_stem,
                           const SourceOptions& options)
    : out_(out),
      options_(options),
      ids_(identifiers(upper_stem)),
      buffer_(out.buffer()),
      capacity_(out.capacity()),
      ok_(out.ok()) {}

void SourceWriter::flush() {
  if (ok_ && used_ > 0) {
    ok_ = out_.hand_over(used_);
    buffer_ = out_.buffer();
    capacity_ = out_.capacity();
  }
  used_ = 0;
}

bool SourceWriter::finish(std::string* err) {
  flush();
  ok_ = out_.finish(err) && ok_;
  return ok_;
}

bool SourceWriter::append_slow(std::string_view text) {
  while (ok_ && !text.empty()) {
    if (used_ == capacity_) flush();
    const std::size_t n = std::min(text.size(), capacity_ - used_);
    std::memcpy(buffer_ + used_, text.data(), n);
    used_ += n;
    text.remove_prefix(n);
  }
  return ok_;
}

std::string_view DecimalCount::of(unsigned n) {
  if (valid_ && n == last_ + 1 && n != 0) {
    std::size_t i = kDigitsMax;
    while (i > start_ && text_[i - 1] == '9') text_[--i] = '0';
    if (i > start_) {
      ++text_[i - 1];
    } else {
      text_[--start_] = '1';
    }
  } else {
    char digits[kDigitsMax];
    const std::size_t size =
        static_cast<std::size_t>(std::to_chars(digits, digits + kDigitsMax, n).ptr - digits);
    start_ = kDigitsMax - size;
    std::memcpy(text_ + start_, digits, size);
  }
  last_ = n;
  valid_ = true;
  return std::string_view(text_ + start_, kDigitsMax - start_);
}

void SourceWriter::put_number(unsigned value) {
  const std::string_view digits = count_.of(value);
  if (capacity_ - used_ < DecimalCount::kDigitsMax) flush();
  if (!ok_) return;
  std::memcpy(buffer_ + used_, digits.data(), DecimalCount::kDigitsMax);  // one fixed-size move
  used_ += digits.size();
}

void SourceWriter::preamble() {
  append(kInclude);
  if (options_.attribute_macros) {
    // Defined empty unless the project defined them (in res_manager_api.h or with -D).
    for (const char* macro : {kStringAttribute, kTableAttribute, kCountAttribute,
                              options_.lengths ? kLengthsAttribute : nullptr}) {
      if (!macro) continue;
      append("#ifndef ");
      append(macro);
      append("\n#define ");
      append(macro);
      append("\n#endif\n");
    }
  }
  if (options_.string_literals) append(kLiteralGuards);
  append("\n");
}

void SourceWriter::attribute(std::string_view macro) {
  if (!options_.attribute_macros) return;
  append(macro);
  append(" ");
}

std::size_t SourceWriter::array(unsigned n, std::string_view bytes) {
  if (options_.lengths) lengths_.push_back(static_cast<std::uint16_t>(bytes.size()));
  attribute(kStringAttribute);
  // The empty string keeps its form (with portable_c one zero byte), as do the longest.
  if (options_.string_literals && !bytes.empty() && bytes.size() <= kLiteralMax) {
    return literal(n, bytes);
  }
  if (options_.portable_c && bytes.empty()) bytes = std::string_view("", 1);
  append(kArrayOpen);
  put_number(n);
  append(kArrayMiddle);
  auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t left = bytes.size();
  std::size_t text = 0;
  while (ok_ && left > 0) {
    // Render as many items as fit; the last one goes with the closing so its ", " can be cut.
    // kItemWidth: the last item's copy may write that far past its text.
    if (capacity_ - used_ < kItemMax + kItemWidth) flush();
    if (!ok_) break;
    const std::size_t fit = (capacity_ - used_ - kItemWidth) / kItemMax;
    const std::size_t take = std::min(left, fit);
    char* end = render_items(data, take, buffer_ + used_);
    text += static_cast<std::size_t>(end - buffer_) - used_;
    used_ = static_cast<std::size_t>(end - buffer_);
    data += take;
    left -= take;
    if (left == 0) used_ -= kSeparator;
  }
  append(kArrayClose);
  // Rendered items end in ", "; the last one's is cut. With the writes failed, the text is what
  // the items would have been: the item sizes tell it without rendering.
  if (left > 0) text += rest_length(data, left);
  return text >= kSeparator ? text - kSeparator : 0;
}

std::size_t SourceWriter::literal(unsigned n, std::string_view bytes) {
  append(kArrayOpen);
  put_number(n);
  append("[");
  const std::string_view size = sizes_.of(static_cast<unsigned>(bytes.size()));
  append(size);
  append(kLiteralMiddle);
  // Short strings on the array's line; longer ones in pieces, each on a line of its own.
  const bool pieces = bytes.size() > kPieceBytes;
  append(pieces ? " \n" : " ");
  const LiteralItems& items = literal_items();
  std::size_t text = 0;
  char piece[kPieceBytes * 4 + 8];
  for (std::size_t at = 0; at < bytes.size(); at += kPieceBytes) {  // whole: text len counts it
    const std::string_view part = bytes.substr(at, kPieceBytes);
    std::size_t used = 0;
    piece[used++] = '"';
    for (unsigned char b : part) {
      const auto& item = items.text[b];
      std::memcpy(piece + used, item.data(), 4);
      used += static_cast<std::size_t>(item[7]);
    }
    text += used - 1;
    piece[used++] = '"';
    if (pieces && at + kPieceBytes < bytes.size()) {
      piece[used++] = ' ';
      piece[used++] = '\n';
    }
    append(std::string_view(piece, used));
  }
  append(kLiteralClose);
  return text;
}

void SourceWriter::array_size(unsigned count, bool one_null) {
  if (one_null) {
    append("[1] = {0");
    return;
  }
  append("[");
  put_number(count);
  append("] = {");
}

void SourceWriter::tables(unsigned count) {
  // Declared before defined: silent under -Wmissing-variable-declarations (MISRA C rule 8.4),
  // and in C++ the definitions take the declarations' external C linkage.
  if (options_.portable_c) append(declaration_lines(ids_, options_));
  // An empty table as one null pointer (or length): a zero-size array is no ISO C or C++.
  const bool one_null = options_.portable_c && count == 0;
  attribute(kTableAttribute);
  append(kTablePointer);
  if (options_.const_table) append(kConstPointer);
  append(ids_.table);
  array_size(count, one_null);
  for (unsigned n = 1; ok_ && n <= count; ++n) {
    if (n > 1) append(", ");
    append("STR_");
    put_number(n);
  }
  append("}; \n");
  attribute(kCountAttribute);
  append(kCountType);
  append(ids_.count);
  append(" = ");
  put_number(count);
  append("; \n");
  if (options_.lengths) {
    attribute(kLengthsAttribute);
    append(kLengthsType);
    append(ids_.lengths);
    array_size(count, one_null);
    for (std::size_t i = 0; ok_ && i < lengths_.size(); ++i) {
      if (i > 0) append(", ");
      put_number(lengths_[i]);
    }
    append("}; \n");
  }
}

}  // namespace strtab2c
