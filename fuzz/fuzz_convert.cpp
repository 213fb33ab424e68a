// Fuzz target: the fuzzer's bytes as a string resource file, through the tool's own conversion
// path (header check, reader, writer), with the output parsed back and checked against the bytes
// taken straight from the input.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "convert.hpp"
#include "res_file.hpp"

namespace {

using namespace strtab2c;

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

void check(bool ok, const char* what) {
  if (!ok) fail(what);
}

// Fails writes beyond a budget: keeps each run small and exercises the stop-on-failure path.
class BudgetSink final : public OutputSink {
 public:
  bool write(const char* data, std::size_t size, std::string* err) override {
    check(!failed, "write after a failed write");
    if (text.size() + size > kBudget) {
      failed = true;
      *err = "budget";
      return false;
    }
    text.append(data, size);
    return true;
  }
  static constexpr std::size_t kBudget = 256 << 10;
  std::string text;
  bool failed = false;
};

class CountingDiagnostics final : public Diagnostics {
 public:
  void missing_entry(unsigned) override { ++missing; }
  void unfit_length(std::size_t got, unsigned length) override {
    check(got < length, "unfit length reported for a whole string");
  }
  void text_len(std::size_t) override { ++strings; }
  unsigned missing = 0;
  unsigned strings = 0;
};

std::uint32_t le(std::string_view d, std::size_t at, std::size_t bytes) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < bytes; ++i)
    v |= static_cast<std::uint32_t>(static_cast<unsigned char>(d[at + i])) << (8 * i);
  return v;
}

// String n as the file defines it, independently of the reader: missing bytes are 0.
std::string expected_string(std::string_view d, unsigned n, bool* missing) {
  // The format in its own numbers: entry n at 16 * n, offset at 0 (4 bytes), length at 4 (2).
  const std::size_t slot = std::size_t{16} * n;
  *missing = slot + 16 > d.size();
  if (*missing) return "";
  const std::uint64_t offset = le(d, slot, 4);
  const std::size_t length = le(d, slot + 4, 2);
  std::string s(length, '\0');
  for (std::size_t i = 0; i < length && offset + i < d.size(); ++i) s[i] = d[offset + i];
  return s;
}

bool expect(std::string_view* text, std::string_view prefix) {
  if (text->substr(0, prefix.size()) != prefix) return false;
  text->remove_prefix(prefix.size());
  return true;
}

// Parses "0x41, 0x0, ..." up to the closing brace back into bytes.
std::string parse_items(std::string_view* text) {
  std::string bytes;
  while (!text->empty() && text->front() != '}') {
    check(expect(text, "0x"), "item prefix");
    unsigned value = 0;
    int digits = 0;
    while (!text->empty() && std::isxdigit(static_cast<unsigned char>(text->front())) &&
           digits < 3) {
      const char c = text->front();
      value = value * 16 + static_cast<unsigned>(c <= '9' ? c - '0' : c - 'a' + 10);
      check(c <= '9' || (c >= 'a' && c <= 'f'), "lower-case digits");
      text->remove_prefix(1);
      ++digits;
    }
    check(digits == 1 || digits == 2, "item digits");
    check(digits == 1 || value >= 16, "no leading zero");
    bytes.push_back(static_cast<char>(value));
    if (!text->empty() && text->front() == ',') check(expect(text, ", "), "separator");
  }
  return bytes;
}

// Parses a literal's pieces, after its array's " =", through its closing "; \n\n" back into
// bytes: one piece on the array's line, or pieces of 64 bytes on lines of their own; printable
// ASCII as itself, escapes only for '"', '\\', '?' and the bytes that are not printable.
std::string parse_literal(std::string_view* text, std::size_t length) {
  check(expect(text, length > 64 ? " \n" : " "), "literal start");
  std::string bytes;
  for (;;) {
    check(expect(text, "\""), "piece open");
    const std::size_t start = bytes.size();
    while (!text->empty() && text->front() != '"') {
      const char c = text->front();
      text->remove_prefix(1);
      check(c >= 0x20 && c < 0x7f && c != '?', "printable source, '?' escaped");
      if (c != '\\') {
        bytes.push_back(c);
        continue;
      }
      check(!text->empty(), "escape");
      const char e = text->front();
      if (e == '"' || e == '\\' || e == '?') {
        bytes.push_back(e);
        text->remove_prefix(1);
        continue;
      }
      check(text->size() >= 3, "octal escape");
      unsigned value = 0;
      for (int i = 0; i < 3; ++i) {
        check((*text)[i] >= '0' && (*text)[i] <= '7', "three octal digits");
        value = value * 8 + static_cast<unsigned>((*text)[i] - '0');
      }
      check(value < 0x20 || value >= 0x7f, "escaped only where not printable");
      bytes.push_back(static_cast<char>(value));
      text->remove_prefix(3);
    }
    check(expect(text, "\""), "piece close");
    if (expect(text, "; \n\n")) break;
    check(bytes.size() - start == 64, "pieces of 64 bytes");
    check(expect(text, " \n"), "piece break");
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view file(reinterpret_cast<const char*>(data), size);
  res_head head;
  if (!check_res_head(file, &head)) {
    check(size < 16 || static_cast<unsigned char>(file[9]) != 2, "header refused");
    return 0;
  }
  const unsigned count = le(file, 4, 2);  // the count as the format defines it
  check(head.count() == count, "count read at bytes 4-5");
  // Header bytes 0-3 are not interpreted: bit 0 picks the form of the arrays.
  SourceOptions options;
  options.string_literals = (data[0] & 1) != 0;
  BudgetSink sink;
  CountingDiagnostics diag;
  BlockWriter blocks(sink, 4096);
  SourceWriter writer(blocks, "FUZZ", options);
  std::string err;
  const bool ok = write_source({file, head.count()}, writer, diag, &err);
  check(ok == !sink.failed, "result matches the sink");
  check(ok == err.empty(), "a failure tells its reason");
  if (!ok) return 0;
  check(diag.strings == count, "one text len per string");

  std::string_view text = sink.text;
  check(expect(&text, "#include <res_manager_api.h> \n"), "preamble");
  // The literals' guards, which hold no empty line, then the empty line.
  const bool guards = !text.empty() && text.front() != '\n';
  check(guards == options.string_literals, "guards with the literals only");
  const std::size_t empty_line = guards ? text.find("\n\n") + 1 : 0;
  check(empty_line < text.size() && text[empty_line] == '\n', "preamble's empty line");
  text.remove_prefix(empty_line + 1);
  unsigned missing = 0;
  for (unsigned n = 1; n <= count; ++n) {
    bool is_missing = false;
    const std::string want = expected_string(file, n, &is_missing);
    missing += is_missing;
    const std::string head = "static const uint8_t STR_" + std::to_string(n);
    if (options.string_literals && !want.empty() && want.size() <= 4095) {
      check(expect(&text, head + "[" + std::to_string(want.size()) + "] STRTAB2C_NONSTRING ="),
            "literal head");
      check(parse_literal(&text, want.size()) == want, "literal holds the entry's bytes");
      continue;
    }
    check(expect(&text, head + "[] = {"), "array head");
    check(parse_items(&text) == want, "array holds the entry's bytes");
    check(expect(&text, "}; \n\n"), "array close");
  }
  check(missing == diag.missing, "missing entries reported");
  std::string names;
  for (unsigned n = 1; n <= count; ++n) names += (n > 1 ? ", STR_" : "STR_") + std::to_string(n);
  const std::string tail =
      "const uint8_t* RES_STRING_FUZZ[" + std::to_string(count) + "] = {" + names +
      "}; \nconst uint32_t RES_STRING_FUZZ_CNT = " + std::to_string(count) + "; \n";
  check(text == tail, "table and count");
  return 0;
}
