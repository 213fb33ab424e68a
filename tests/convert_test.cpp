#include "convert.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <regex>

#include "sinks.hpp"
#include "table_builder.hpp"

using namespace strtab2c;
using namespace testing_support;

namespace {

class RecordingDiagnostics final : public Diagnostics {
 public:
  void missing_entry(unsigned n) override { lines.push_back("missing " + std::to_string(n)); }
  void unfit_length(std::size_t got, unsigned length) override {
    lines.push_back("unfit " + std::to_string(got) + " " + std::to_string(length));
  }
  void text_len(std::size_t length) override { lines.push_back("len " + std::to_string(length)); }
  std::vector<std::string> lines;
};

// The whole text for each mix of options, of two strings ("Hi" and an empty one) and of none.
TEST(WriteSource, EachOptionAddsItsLinesAndChangesNoOther) {
  const struct {
    SourceOptions options;
    const char* two;
    const char* none;
    const char* declarations;
  } cases[] = {
      {{},
       "#include <res_manager_api.h> \n\n"
       "static const uint8_t STR_1[] = {0x48, 0x69}; \n\n"
       "static const uint8_t STR_2[] = {}; \n\n"
       "const uint8_t* RES_STRING_P[2] = {STR_1, STR_2}; \n"
       "const uint32_t RES_STRING_P_CNT = 2; \n",
       "#include <res_manager_api.h> \n\n"
       "const uint8_t* RES_STRING_P[0] = {}; \n"
       "const uint32_t RES_STRING_P_CNT = 0; \n",
       "\nextern const uint8_t* RES_STRING_P[];\n"
       "extern const uint32_t RES_STRING_P_CNT;\n"},
      {{true, false, false},
       "#include <res_manager_api.h> \n\n"
       "static const uint8_t STR_1[] = {0x48, 0x69}; \n\n"
       "static const uint8_t STR_2[] = {0x0}; \n\n"
       "#ifdef __cplusplus\nextern \"C\" {\n#endif\n"
       "extern const uint8_t* RES_STRING_P[];\n"
       "extern const uint32_t RES_STRING_P_CNT;\n"
       "#ifdef __cplusplus\n}\n#endif\n"
       "const uint8_t* RES_STRING_P[2] = {STR_1, STR_2}; \n"
       "const uint32_t RES_STRING_P_CNT = 2; \n",
       "#include <res_manager_api.h> \n\n"
       "#ifdef __cplusplus\nextern \"C\" {\n#endif\n"
       "extern const uint8_t* RES_STRING_P[];\n"
       "extern const uint32_t RES_STRING_P_CNT;\n"
       "#ifdef __cplusplus\n}\n#endif\n"
       "const uint8_t* RES_STRING_P[1] = {0}; \n"
       "const uint32_t RES_STRING_P_CNT = 0; \n",
       "\n#ifdef __cplusplus\nextern \"C\" {\n#endif\n"
       "extern const uint8_t* RES_STRING_P[];\n"
       "extern const uint32_t RES_STRING_P_CNT;\n"
       "#ifdef __cplusplus\n}\n#endif\n"},
      {{false, true, false},
       "#include <res_manager_api.h> \n\n"
       "static const uint8_t STR_1[] = {0x48, 0x69}; \n\n"
       "static const uint8_t STR_2[] = {}; \n\n"
       "const uint8_t* const RES_STRING_P[2] = {STR_1, STR_2}; \n"
       "const uint32_t RES_STRING_P_CNT = 2; \n",
       "#include <res_manager_api.h> \n\n"
       "const uint8_t* const RES_STRING_P[0] = {}; \n"
       "const uint32_t RES_STRING_P_CNT = 0; \n",
       "\nextern const uint8_t* const RES_STRING_P[];\n"
       "extern const uint32_t RES_STRING_P_CNT;\n"},
      {{false, false, true},
       "#include <res_manager_api.h> \n\n"
       "static const uint8_t STR_1[] = {0x48, 0x69}; \n\n"
       "static const uint8_t STR_2[] = {}; \n\n"
       "const uint8_t* RES_STRING_P[2] = {STR_1, STR_2}; \n"
       "const uint32_t RES_STRING_P_CNT = 2; \n"
       "const uint16_t RES_STRING_P_LEN[2] = {2, 0}; \n",
       "#include <res_manager_api.h> \n\n"
       "const uint8_t* RES_STRING_P[0] = {}; \n"
       "const uint32_t RES_STRING_P_CNT = 0; \n"
       "const uint16_t RES_STRING_P_LEN[0] = {}; \n",
       "\nextern const uint8_t* RES_STRING_P[];\n"
       "extern const uint32_t RES_STRING_P_CNT;\n"
       "extern const uint16_t RES_STRING_P_LEN[];\n"},
      {{true, true, true},
       "#include <res_manager_api.h> \n\n"
       "static const uint8_t STR_1[] = {0x48, 0x69}; \n\n"
       "static const uint8_t STR_2[] = {0x0}; \n\n"
       "#ifdef __cplusplus\nextern \"C\" {\n#endif\n"
       "extern const uint8_t* const RES_STRING_P[];\n"
       "extern const uint32_t RES_STRING_P_CNT;\n"
       "extern const uint16_t RES_STRING_P_LEN[];\n"
       "#ifdef __cplusplus\n}\n#endif\n"
       "const uint8_t* const RES_STRING_P[2] = {STR_1, STR_2}; \n"
       "const uint32_t RES_STRING_P_CNT = 2; \n"
       "const uint16_t RES_STRING_P_LEN[2] = {2, 0}; \n",
       "#include <res_manager_api.h> \n\n"
       "#ifdef __cplusplus\nextern \"C\" {\n#endif\n"
       "extern const uint8_t* const RES_STRING_P[];\n"
       "extern const uint32_t RES_STRING_P_CNT;\n"
       "extern const uint16_t RES_STRING_P_LEN[];\n"
       "#ifdef __cplusplus\n}\n#endif\n"
       "const uint8_t* const RES_STRING_P[1] = {0}; \n"
       "const uint32_t RES_STRING_P_CNT = 0; \n"
       "const uint16_t RES_STRING_P_LEN[1] = {0}; \n",
       "\n#ifdef __cplusplus\nextern \"C\" {\n#endif\n"
       "extern const uint8_t* const RES_STRING_P[];\n"
       "extern const uint32_t RES_STRING_P_CNT;\n"
       "extern const uint16_t RES_STRING_P_LEN[];\n"
       "#ifdef __cplusplus\n}\n#endif\n"},
      {{true, true, true, true},
       "#include <res_manager_api.h> \n"
       "#ifndef STRTAB2C_STRING_ATTRIBUTE\n#define STRTAB2C_STRING_ATTRIBUTE\n#endif\n"
       "#ifndef STRTAB2C_TABLE_ATTRIBUTE\n#define STRTAB2C_TABLE_ATTRIBUTE\n#endif\n"
       "#ifndef STRTAB2C_COUNT_ATTRIBUTE\n#define STRTAB2C_COUNT_ATTRIBUTE\n#endif\n"
       "#ifndef STRTAB2C_LENGTHS_ATTRIBUTE\n#define STRTAB2C_LENGTHS_ATTRIBUTE\n#endif\n"
       "\n"
       "STRTAB2C_STRING_ATTRIBUTE static const uint8_t STR_1[] = {0x48, 0x69}; \n\n"
       "STRTAB2C_STRING_ATTRIBUTE static const uint8_t STR_2[] = {0x0}; \n\n"
       "#ifdef __cplusplus\nextern \"C\" {\n#endif\n"
       "extern const uint8_t* const RES_STRING_P[];\n"
       "extern const uint32_t RES_STRING_P_CNT;\n"
       "extern const uint16_t RES_STRING_P_LEN[];\n"
       "#ifdef __cplusplus\n}\n#endif\n"
       "STRTAB2C_TABLE_ATTRIBUTE const uint8_t* const RES_STRING_P[2] = {STR_1, STR_2}; \n"
       "STRTAB2C_COUNT_ATTRIBUTE const uint32_t RES_STRING_P_CNT = 2; \n"
       "STRTAB2C_LENGTHS_ATTRIBUTE const uint16_t RES_STRING_P_LEN[2] = {2, 0}; \n",
       "#include <res_manager_api.h> \n"
       "#ifndef STRTAB2C_STRING_ATTRIBUTE\n#define STRTAB2C_STRING_ATTRIBUTE\n#endif\n"
       "#ifndef STRTAB2C_TABLE_ATTRIBUTE\n#define STRTAB2C_TABLE_ATTRIBUTE\n#endif\n"
       "#ifndef STRTAB2C_COUNT_ATTRIBUTE\n#define STRTAB2C_COUNT_ATTRIBUTE\n#endif\n"
       "#ifndef STRTAB2C_LENGTHS_ATTRIBUTE\n#define STRTAB2C_LENGTHS_ATTRIBUTE\n#endif\n"
       "\n"
       "#ifdef __cplusplus\nextern \"C\" {\n#endif\n"
       "extern const uint8_t* const RES_STRING_P[];\n"
       "extern const uint32_t RES_STRING_P_CNT;\n"
       "extern const uint16_t RES_STRING_P_LEN[];\n"
       "#ifdef __cplusplus\n}\n#endif\n"
       "STRTAB2C_TABLE_ATTRIBUTE const uint8_t* const RES_STRING_P[1] = {0}; \n"
       "STRTAB2C_COUNT_ATTRIBUTE const uint32_t RES_STRING_P_CNT = 0; \n"
       "STRTAB2C_LENGTHS_ATTRIBUTE const uint16_t RES_STRING_P_LEN[1] = {0}; \n",
       "\n#ifdef __cplusplus\nextern \"C\" {\n#endif\n"
       "extern const uint8_t* const RES_STRING_P[];\n"
       "extern const uint32_t RES_STRING_P_CNT;\n"
       "extern const uint16_t RES_STRING_P_LEN[];\n"
       "#ifdef __cplusplus\n}\n#endif\n"},
  };
  for (const auto& c : cases) {
    const SourceOptions& o = c.options;
    const std::string what = std::to_string(o.portable_c) + std::to_string(o.const_table) +
                             std::to_string(o.lengths) + std::to_string(o.attribute_macros);
    StringSink two, none;
    RecordingDiagnostics diag;
    ASSERT_TRUE(generate(table({"Hi", ""}), "P", two, diag, o));
    ASSERT_TRUE(generate(header(0), "P", none, diag, o));
    EXPECT_EQ(two.text, c.two) << what;
    EXPECT_EQ(none.text, c.none) << what;
    EXPECT_EQ(declarations("P", o), c.declarations) << what;
    EXPECT_EQ(diag.lines, (std::vector<std::string>{"len 10", o.portable_c ? "len 3" : "len 0"}));
  }
  // Lengths count the bytes the entry gives, missing bytes included; a missing entry has none.
  StringSink out;
  RecordingDiagnostics diag;
  ASSERT_TRUE(generate(header(4) + entry(64, 300) + entry(0, 0) + entry(0, 65535) + "xy", "L", out,
                       diag, SourceOptions{false, false, true}));
  EXPECT_NE(out.text.find("const uint16_t RES_STRING_L_LEN[4] = {300, 0, 65535, 0}; \n"),
            std::string::npos);
}

// What the generated file needs for its literals, after the include line.
const std::string kLiteralGuards =
    "#if defined(__has_attribute)\n#if __has_attribute(__nonstring__)\n"
    "#define STRTAB2C_NONSTRING __attribute__((__nonstring__))\n#endif\n#endif\n"
    "#ifndef STRTAB2C_NONSTRING\n#define STRTAB2C_NONSTRING\n#endif\n"
    "#ifdef __SDCC\n#pragma disable_warning 147\n#endif\n"
    "#if defined(_MSC_VER) && !defined(__clang__)\n#pragma warning(disable : 4295)\n#endif\n";

// String literals: printable ASCII as itself, '"', '\\' and '?' escaped, every other byte in
// three octal digits; long strings in pieces of 64 bytes on lines of their own; the empty string
// and strings past 4095 bytes in the brace form.
TEST(WriteSource, StringLiteralsHoldExactlyTheBytes) {
  std::string seventy;
  for (int i = 0; i < 70; ++i) seventy.push_back(static_cast<char>('A' + i % 26));
  const std::vector<std::string> strings = {"Open file",
                                            "",
                                            "say \"hi\" \\ ?\?=",
                                            std::string("\x01"
                                                        "7\x00"
                                                        "0\x80\xff\n",
                                                        7),
                                            seventy,
                                            std::string(4095, '?'),
                                            std::string(4096, 'x')};
  StringSink out;
  RecordingDiagnostics diag;
  SourceOptions o;
  o.string_literals = true;
  ASSERT_TRUE(generate(table(strings), "L", out, diag, o));
  const std::string head =
      "#include <res_manager_api.h> \n" + kLiteralGuards + "\n" +
      "static const uint8_t STR_1[9] STRTAB2C_NONSTRING = \"Open file\"; \n\n"
      "static const uint8_t STR_2[] = {}; \n\n"
      "static const uint8_t STR_3[14] STRTAB2C_NONSTRING = \"say \\\"hi\\\" \\\\ \\?\\?=\"; \n\n"
      "static const uint8_t STR_4[7] STRTAB2C_NONSTRING = \"\\0017\\0000\\200\\377\\012\"; \n\n"
      "static const uint8_t STR_5[70] STRTAB2C_NONSTRING = \n"
      "\"" +
      seventy.substr(0, 64) +
      "\" \n"
      "\"" +
      seventy.substr(64) +
      "\"; \n\n"
      "static const uint8_t STR_6[4095] STRTAB2C_NONSTRING = \n";
  ASSERT_EQ(out.text.substr(0, head.size()), head);
  std::string question_piece = "\"";
  for (int i = 0; i < 64; ++i) question_piece += "\\?";
  EXPECT_EQ(out.text.substr(head.size(), question_piece.size() + 3), question_piece + "\" \n");
  const std::size_t braces = out.text.find("static const uint8_t STR_7[] = {0x78, 0x78, ");
  ASSERT_NE(braces, std::string::npos);
  EXPECT_EQ(out.text.substr(braces - 5, 5), "\"; \n\n");  // the 4095 bytes' last piece
  EXPECT_EQ(diag.lines, (std::vector<std::string>{"len 9", "len 0", "len 19", "len 22", "len 70",
                                                  "len 8190", "len 24574"}));
  const std::string tail =
      "}; \n\nconst uint8_t* RES_STRING_L[7] = {STR_1, STR_2, STR_3, STR_4, STR_5, STR_6, STR_7}; "
      "\n"
      "const uint32_t RES_STRING_L_CNT = 7; \n";
  EXPECT_TRUE(out.text.size() > tail.size() &&
              out.text.compare(out.text.size() - tail.size(), tail.size(), tail) == 0);
}

// The text without the lines of strings 1 and 4 (those literals hold), and without the pieces of
// long literals.
std::string without_short_strings(const std::string& text) {
  std::string kept;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find('\n', at) + 1;
    const std::string line = text.substr(at, end - at);
    at = end;
    const bool array =
        line.find("STR_1[") != std::string::npos || line.find("STR_4[") != std::string::npos;
    if (!array && line[0] != '"') kept += line;
  }
  return kept;
}

// Under every mix of the other options, the attribute macros add their guards and a macro before
// each definition, and literals their guards and the arrays of the strings they hold: nothing
// else changes, the declarations included.
TEST(WriteSource, AnOptionChangesOnlyItsOwnLines) {
  const std::regex guard("#ifndef (STRTAB2C_[A-Z]+_ATTRIBUTE)\n#define \\1\n#endif\n");
  const std::regex macro("STRTAB2C_(STRING|TABLE|COUNT|LENGTHS)_ATTRIBUTE ");
  const struct {
    bool SourceOptions::*option;
    std::function<std::string(const std::string&)> with, without;  // the lines left to compare
  } cases[] = {
      {&SourceOptions::attribute_macros,
       [&](const std::string& text) {
         return std::regex_replace(std::regex_replace(text, guard, ""), macro, "");
       },
       [](const std::string& text) { return text; }},
      {&SourceOptions::string_literals,
       [](std::string text) {
         const std::size_t at = text.find(kLiteralGuards);
         if (at != std::string::npos) text.erase(at, kLiteralGuards.size());
         return without_short_strings(text);
       },
       without_short_strings},
  };
  const std::string file = table({"ab", "", std::string(4096, 'z'), "c"});
  bool SourceOptions::*const all[] = {&SourceOptions::portable_c, &SourceOptions::const_table,
                                      &SourceOptions::lengths, &SourceOptions::attribute_macros,
                                      &SourceOptions::string_literals};
  for (const auto& c : cases) {
    for (unsigned mix = 0; mix < 32; ++mix) {
      SourceOptions without;
      for (unsigned k = 0; k < 5; ++k) without.*all[k] = (mix >> k) & 1;
      without.*c.option = false;
      SourceOptions with = without;
      with.*c.option = true;
      StringSink a, b;
      RecordingDiagnostics diag;
      ASSERT_TRUE(generate(file, "P", a, diag, without));
      ASSERT_TRUE(generate(file, "P", b, diag, with));
      EXPECT_TRUE(c.with(b.text) == c.without(a.text)) << mix;
      EXPECT_EQ(declarations("P", with), declarations("P", without)) << mix;
    }
  }
}

// Output must not depend on where the buffer happens to be flushed.
TEST(WriteSource, SameBytesForEveryBufferSize) {
  std::vector<std::string> strings;
  for (int n = 0; n < 40; ++n)
    strings.push_back(std::string(n * 37 % 300, static_cast<char>(n * 11)));
  strings.push_back(std::string(65535, '\x01'));
  const std::string file = table(strings);
  const std::string expect = reference_source(std::string(300, 'S'), strings);
  SourceOptions literals;
  literals.string_literals = true;
  StringSink whole;
  RecordingDiagnostics diag;
  ASSERT_TRUE(generate(file, std::string(300, 'S'), whole, diag, literals));
  for (std::size_t size : {1, 64, 65, 71, 100, 1000, 4096, 1 << 20}) {
    StringSink out, literal_out;
    ASSERT_TRUE(generate(file, std::string(300, 'S'), out, diag, {}, size));
    ASSERT_EQ(out.text, expect) << "buffer " << size;
    ASSERT_TRUE(generate(file, std::string(300, 'S'), literal_out, diag, literals, size));
    ASSERT_TRUE(literal_out.text == whole.text) << "literals, buffer " << size;
  }
}

TEST(WriteSource, ReportsReaderFindingsInOrder) {
  StringSink out;
  RecordingDiagnostics diag;
  ASSERT_TRUE(generate(findings_table(), "T", out, diag));
  EXPECT_EQ(diag.lines, (std::vector<std::string>{"len 4", "unfit 2 5", "len 25", "missing 3",
                                                  "len 0", "missing 4", "len 0"}));
  EXPECT_EQ(out.text, reference_source("T", findings_strings()));
}

TEST(WriteSource, StopsAtTheFirstFailedWrite) {
  // Claims 65535 strings of 65535 bytes, all pointing at the same few bytes.
  std::string file = header(65535);
  for (unsigned n = 1; n <= 65535; ++n) file += entry(0, 65535);
  BudgetSink out(3 << 20);
  RecordingDiagnostics diag;
  std::string err;
  EXPECT_FALSE(generate(file, "BIG", out, diag, {}, BlockWriter::kDefaultBuffer, &err));
  EXPECT_EQ(err, "sink: No space left on device");
  EXPECT_GT(out.failed_at, 1);
  EXPECT_EQ(out.calls, out.failed_at);  // nothing written after the failed write
  EXPECT_LT(diag.lines.size(), 20u);    // and the run stopped soon after it
}

}  // namespace
