#include "source_writer.hpp"

#include <gtest/gtest.h>

#include "convert.hpp"
#include "naming.hpp"
#include "table_builder.hpp"

using namespace strtab2c;
using namespace testing_support;

namespace {

TEST(Hex, RendersEveryByteValueLikePrintf) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::string cases[] = {"",  std::string(1, '\0'),      "A", std::string("Hello\0", 6),
                               all, std::string(65535, '\xff')};
  for (const auto& bytes : cases) {
    std::string text = "prefix:";
    append_hex(bytes, &text);
    EXPECT_EQ(text, "prefix:" + reference_hex(bytes));
    EXPECT_EQ(hex_length(bytes), reference_hex(bytes).size());
  }
  std::string text;
  append_hex(std::string("\x48\x65\x6c\x6c\x6f\x00", 6), &text);
  EXPECT_EQ(text, "0x48, 0x65, 0x6c, 0x6c, 0x6f, 0x0");
}

TEST(Stem, UpperCasesOnlyAsciiLetters) {
  const std::pair<std::string, std::string> cases[] = {
      {"strings_en_bin", "STRINGS_EN_BIN"},
      {"strings.en_bin", "STRINGS.EN_BIN"},
      {"MENU_9-x y", "MENU_9-X Y"},
      {"\xe4z\x80", "\xe4Z\x80"},
      {"", ""},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(upper_stem(in), out);
}

TEST(Declarations, ExactText) {
  EXPECT_EQ(declarations("STRINGS_EN_BIN"),
            "\nextern const uint8_t* RES_STRING_STRINGS_EN_BIN[];\n"
            "extern const uint32_t RES_STRING_STRINGS_EN_BIN_CNT;\n");
}

class RecordingDiagnostics final : public Diagnostics {
 public:
  void missing_entry(unsigned n) override { lines.push_back("missing " + std::to_string(n)); }
  void unfit_length(std::size_t got, unsigned length) override {
    lines.push_back("unfit " + std::to_string(got) + " " + std::to_string(length));
  }
  void text_len(std::size_t length) override { lines.push_back("len " + std::to_string(length)); }
  std::vector<std::string> lines;
};

TEST(WriteSource, ExampleFromTheManual) {
  const std::string file = table({"Hi", ""});
  MemoryInput in(file);
  StringSink out;
  RecordingDiagnostics diag;
  ASSERT_TRUE(write_source(in, 2, "strings_en_bin", out, diag));
  EXPECT_EQ(out.text,
            "#include <res_manager_api.h> \n\n"
            "static const uint8_t STR_1[] = {0x48, 0x69}; \n\n"
            "static const uint8_t STR_2[] = {}; \n\n"
            "const uint8_t* RES_STRING_STRINGS_EN_BIN[2] = {STR_1, STR_2}; \n"
            "const uint32_t RES_STRING_STRINGS_EN_BIN_CNT = 2; \n");
  EXPECT_EQ(diag.lines, (std::vector<std::string>{"len 10", "len 0"}));
}

TEST(WriteSource, EmptyTable) {
  const std::string file = header(0);
  MemoryInput in(file);
  StringSink out;
  RecordingDiagnostics diag;
  ASSERT_TRUE(write_source(in, 0, "e", out, diag));
  EXPECT_EQ(out.text,
            "#include <res_manager_api.h> \n\n"
            "const uint8_t* RES_STRING_E[0] = {}; \n"
            "const uint32_t RES_STRING_E_CNT = 0; \n");
  EXPECT_TRUE(diag.lines.empty());
}

// Output must not depend on where the buffer happens to be flushed.
TEST(WriteSource, SameBytesForEveryBufferSize) {
  std::vector<std::string> strings;
  for (int n = 0; n < 40; ++n)
    strings.push_back(std::string(n * 37 % 300, static_cast<char>(n * 11)));
  strings.push_back(std::string(65535, '\x01'));
  const std::string file = table(strings);
  const std::string expect = reference_source(std::string(300, 'S'), strings);
  for (std::size_t size : {1, 64, 65, 71, 100, 1000, 4096, 1 << 20}) {
    MemoryInput in(file);
    StringSink out;
    RecordingDiagnostics diag;
    ASSERT_TRUE(write_source(in, static_cast<std::uint16_t>(strings.size()), std::string(300, 's'),
                             out, diag, size));
    ASSERT_EQ(out.text, expect) << "buffer " << size;
  }
}

TEST(WriteSource, ReportsReaderFindingsInOrder) {
  // count 4: string 1 fine, string 2 runs past the end, 3 and 4 have no entry.
  const std::string file = header(4) + entry(48, 1) + entry(49, 5) + "Zab";
  MemoryInput in(file);
  StringSink out;
  RecordingDiagnostics diag;
  ASSERT_TRUE(write_source(in, 4, "t", out, diag));
  EXPECT_EQ(diag.lines, (std::vector<std::string>{"len 4", "unfit 2 5", "len 25", "missing 3",
                                                  "len 0", "missing 4", "len 0"}));
  EXPECT_EQ(out.text, reference_source("T", {"Z", std::string("ab\0\0\0", 5), "", ""}));
}

class FailingSink final : public OutputSink {
 public:
  explicit FailingSink(std::size_t budget) : budget_(budget) {}
  bool write(const char*, std::size_t size) override {
    ++calls;
    if (size > budget_) return false;
    budget_ -= size;
    return true;
  }
  int calls = 0;

 private:
  std::size_t budget_;
};

TEST(WriteSource, StopsAtTheFirstFailedWrite) {
  // Claims 65535 strings of 65535 bytes, all pointing at the same few bytes.
  std::string file = header(65535);
  for (unsigned n = 1; n <= 65535; ++n) file += entry(0, 65535);
  MemoryInput in(file);
  FailingSink out(3 << 20);
  RecordingDiagnostics diag;
  EXPECT_FALSE(write_source(in, 65535, "big", out, diag));
  EXPECT_EQ(out.calls, 4);  // three full 1 MiB blocks, then the one that failed; nothing after
  EXPECT_LT(diag.lines.size(), 20u);
}

struct NamingCase {
  const char* input;
  const char* include;
  const char* out_path;
  const char* vname;
  std::size_t separator;
};

TEST(Naming, DerivesOutputPathAndStem) {
  constexpr std::size_t none = OutputNames::kNoSeparator;
  const NamingCase cases[] = {
      {"data/strings_en.bin", "gen/res_strings.h", "gen/strings_en_bin.c", "strings_en_bin", 4},
      {"C:\\res\\menu.str", "C:\\out\\inc\\res_str.h", "C:\\out\\inc/menu_str.c", "menu_str", 6},
      {"strings.en.bin", "gen/res_strings.h", "gen/strings.en_bin.c", "strings.en_bin", none},
      {"menu.str", "res_str.h", "menu_str.c", "menu_str", none},
      {"menu.str", "/res.h", "/menu_str.c", "menu_str", none},
      {"a.bin", "x/y\\z/res.h", "x/y\\z/a_bin.c", "a_bin", none},
      {"C:\\res/menu.str", "o\\r.h", "o/menu_str.c", "menu_str", 6},
      {"data/strings", "g.d/res.h", "g.d/strings.c", "strings", 4},
      {"d.x/y\\noext", "i.h", "noext.c", "noext", 5},
  };
  for (const auto& c : cases) {
    const OutputNames names = derive_output_names(c.input, c.include);
    EXPECT_EQ(names.out_path, c.out_path) << c.input << " " << c.include;
    EXPECT_EQ(names.vname, c.vname) << c.input;
    EXPECT_EQ(names.name_separator, c.separator) << c.input;
  }
  const std::string long_name(5000, 'n');
  EXPECT_EQ(derive_output_names(std::string(3000, 'd') + "/" + long_name + ".b", "i/h").out_path,
            "i/" + long_name + "_b.c");
}

}  // namespace
