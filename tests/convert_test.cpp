#include "convert.hpp"

#include <gtest/gtest.h>

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

// Under every mix of the other options, the attribute macros add their guards and a macro before
// each definition, and nothing else.
TEST(WriteSource, AttributeMacrosAddOnlyThemselves) {
  const std::regex guard("#ifndef (STRTAB2C_[A-Z]+_ATTRIBUTE)\n#define \\1\n#endif\n");
  const std::regex macro("STRTAB2C_(STRING|TABLE|COUNT|LENGTHS)_ATTRIBUTE ");
  const std::string file = findings_table();
  for (unsigned mix = 0; mix < 8; ++mix) {
    SourceOptions plain;
    plain.portable_c = mix & 1;
    plain.const_table = mix & 2;
    plain.lengths = mix & 4;
    SourceOptions placed = plain;
    placed.attribute_macros = true;
    StringSink a, b;
    RecordingDiagnostics diag_a, diag_b;
    ASSERT_TRUE(generate(file, "P", a, diag_a, plain));
    ASSERT_TRUE(generate(file, "P", b, diag_b, placed));
    EXPECT_EQ(std::regex_replace(std::regex_replace(b.text, guard, ""), macro, ""), a.text) << mix;
    EXPECT_EQ(diag_b.lines, diag_a.lines) << mix;
    EXPECT_EQ(declarations("P", placed), declarations("P", plain)) << mix;
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
  for (std::size_t size : {1, 64, 65, 71, 100, 1000, 4096, 1 << 20}) {
    StringSink out;
    RecordingDiagnostics diag;
    ASSERT_TRUE(generate(file, std::string(300, 'S'), out, diag, {}, size));
    ASSERT_EQ(out.text, expect) << "buffer " << size;
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
