#include "convert.hpp"

#include <gtest/gtest.h>

#include "string_sink.hpp"
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

TEST(WriteSource, TwoStringsOneOfThemEmpty) {
  const std::string file = table({"Hi", ""});
  StringSink out;
  RecordingDiagnostics diag;
  ASSERT_TRUE(write_source(file, 2, "STRINGS_EN_BIN", out, diag));
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
  StringSink out;
  RecordingDiagnostics diag;
  ASSERT_TRUE(write_source(file, 0, "E", out, diag));
  EXPECT_EQ(out.text,
            "#include <res_manager_api.h> \n\n"
            "const uint8_t* RES_STRING_E[0] = {}; \n"
            "const uint32_t RES_STRING_E_CNT = 0; \n");
  EXPECT_TRUE(diag.lines.empty());
}

// Each option adds its lines; every other line stays as in the plain form.
TEST(WriteSource, OptionsAddTheirLinesAndChangeNoOther) {
  const std::string include = "#include <res_manager_api.h> \n\n";
  const std::string arrays = include +
                             "static const uint8_t STR_1[] = {0x48, 0x69}; \n\n"
                             "static const uint8_t STR_2[] = {}; \n\n";
  const std::string portable_arrays = include +
                                      "static const uint8_t STR_1[] = {0x48, 0x69}; \n\n"
                                      "static const uint8_t STR_2[] = {0x0}; \n\n";
  const std::string open = "#ifdef __cplusplus\nextern \"C\" {\n#endif\n";
  const std::string close = "#ifdef __cplusplus\n}\n#endif\n";
  const std::string decl_table = "extern const uint8_t* RES_STRING_P[];\n";
  const std::string decl_count = "extern const uint32_t RES_STRING_P_CNT;\n";
  const std::string table = "const uint8_t* RES_STRING_P[2] = {STR_1, STR_2}; \n";
  const std::string count = "const uint32_t RES_STRING_P_CNT = 2; \n";
  const struct {
    SourceOptions options;
    std::string two;   // of {"Hi", ""}
    std::string none;  // of no strings
    std::string declarations;
  } cases[] = {
      {{},
       arrays + table + count,
       include + "const uint8_t* RES_STRING_P[0] = {}; \nconst uint32_t RES_STRING_P_CNT = 0; \n",
       "\n" + decl_table + decl_count},
      {{true, false, false},
       portable_arrays + open + decl_table + decl_count + close + table + count,
       include + open + decl_table + decl_count + close +
           "const uint8_t* RES_STRING_P[1] = {0}; \nconst uint32_t RES_STRING_P_CNT = 0; \n",
       "\n" + open + decl_table + decl_count + close},
      {{false, true, false},
       arrays + "const uint8_t* const RES_STRING_P[2] = {STR_1, STR_2}; \n" + count,
       include +
           "const uint8_t* const RES_STRING_P[0] = {}; \nconst uint32_t RES_STRING_P_CNT = 0; \n",
       "\nextern const uint8_t* const RES_STRING_P[];\n" + decl_count},
      {{false, false, true},
       arrays + table + count + "const uint16_t RES_STRING_P_LEN[2] = {2, 0}; \n",
       include + "const uint8_t* RES_STRING_P[0] = {}; \nconst uint32_t RES_STRING_P_CNT = 0; \n" +
           "const uint16_t RES_STRING_P_LEN[0] = {}; \n",
       "\n" + decl_table + decl_count + "extern const uint16_t RES_STRING_P_LEN[];\n"},
      {{true, true, true},
       portable_arrays + open + "extern const uint8_t* const RES_STRING_P[];\n" + decl_count +
           "extern const uint16_t RES_STRING_P_LEN[];\n" + close +
           "const uint8_t* const RES_STRING_P[2] = {STR_1, STR_2}; \n" + count +
           "const uint16_t RES_STRING_P_LEN[2] = {2, 0}; \n",
       include + open + "extern const uint8_t* const RES_STRING_P[];\n" + decl_count +
           "extern const uint16_t RES_STRING_P_LEN[];\n" + close +
           "const uint8_t* const RES_STRING_P[1] = {0}; \nconst uint32_t RES_STRING_P_CNT = 0; \n" +
           "const uint16_t RES_STRING_P_LEN[1] = {0}; \n",
       "\n" + open + "extern const uint8_t* const RES_STRING_P[];\n" + decl_count +
           "extern const uint16_t RES_STRING_P_LEN[];\n" + close},
  };
  for (const auto& c : cases) {
    const SourceOptions& o = c.options;
    const std::string what =
        std::to_string(o.portable_c) + std::to_string(o.const_table) + std::to_string(o.lengths);
    StringSink two, none;
    RecordingDiagnostics diag;
    ASSERT_TRUE(write_source(testing_support::table({"Hi", ""}), 2, "P", two, diag, o));
    ASSERT_TRUE(write_source(header(0), 0, "P", none, diag, o));
    EXPECT_EQ(two.text, c.two) << what;
    EXPECT_EQ(none.text, c.none) << what;
    EXPECT_EQ(declarations("P", o), c.declarations) << what;
    EXPECT_EQ(diag.lines, (std::vector<std::string>{"len 10", o.portable_c ? "len 3" : "len 0"}));
  }
  // Lengths count the bytes the entry gives, missing bytes included; a missing entry has none.
  StringSink out;
  RecordingDiagnostics diag;
  ASSERT_TRUE(write_source(header(3) + entry(64, 300) + entry(0, 0) + entry(0, 65535) + "xy", 4,
                           "L", out, diag, SourceOptions{false, false, true}));
  EXPECT_NE(out.text.find("const uint16_t RES_STRING_L_LEN[4] = {300, 0, 65535, 0}; \n"),
            std::string::npos);
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
    ASSERT_TRUE(write_source(file, static_cast<std::uint16_t>(strings.size()),
                             std::string(300, 'S'), out, diag, {}, nullptr, size));
    ASSERT_EQ(out.text, expect) << "buffer " << size;
  }
}

TEST(WriteSource, ReportsReaderFindingsInOrder) {
  // count 4: string 1 fine, string 2 runs past the end, 3 and 4 have no entry.
  const std::string file = header(4) + entry(48, 1) + entry(49, 5) + "Zab";
  StringSink out;
  RecordingDiagnostics diag;
  ASSERT_TRUE(write_source(file, 4, "T", out, diag));
  EXPECT_EQ(diag.lines, (std::vector<std::string>{"len 4", "unfit 2 5", "len 25", "missing 3",
                                                  "len 0", "missing 4", "len 0"}));
  EXPECT_EQ(out.text, reference_source("T", {"Z", std::string("ab\0\0\0", 5), "", ""}));
}

class FailingSink final : public OutputSink {
 public:
  explicit FailingSink(std::size_t budget) : budget_(budget) {}
  bool write(const char*, std::size_t size) override {
    ++calls;
    if (size > budget_) {
      failed_at = calls;
      return false;
    }
    budget_ -= size;
    return true;
  }
  int calls = 0;
  int failed_at = 0;

 private:
  std::size_t budget_;
};

TEST(WriteSource, StopsAtTheFirstFailedWrite) {
  // Claims 65535 strings of 65535 bytes, all pointing at the same few bytes.
  std::string file = header(65535);
  for (unsigned n = 1; n <= 65535; ++n) file += entry(0, 65535);
  FailingSink out(3 << 20);
  RecordingDiagnostics diag;
  EXPECT_FALSE(write_source(file, 65535, "BIG", out, diag));
  EXPECT_GT(out.failed_at, 1);
  EXPECT_EQ(out.calls, out.failed_at);  // nothing written after the failed write
  EXPECT_LT(diag.lines.size(), 20u);    // and the run stopped soon after it
}

}  // namespace
