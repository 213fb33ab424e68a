// The generated C compiles warning-free with the real compiler, and its arrays hold the bytes.
#include <gtest/gtest.h>

#include <cstdlib>

#include "table_builder.hpp"
#include "tool_runner.hpp"

using namespace testing_support;

namespace {

// A C string literal of exactly these bytes, written independently of the tool.
std::string c_literal(const std::string& bytes) {
  std::string out = "\"";
  char esc[8];
  for (unsigned char b : bytes) {
    std::snprintf(esc, sizeof esc, "\\%03o", b);
    out += esc;
  }
  return out + "\"";
}

TEST(GeneratedC, CompilesLinksAndHoldsTheBytes) {
  Scratch s;
  s.mkdir("gen");
  std::vector<std::string> strings = {std::string("Hello\0", 6), "",
                                      std::string("\x00\x80\xff", 3)};
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  strings.push_back(all);
  strings.push_back(std::string(3000, 'w'));
  s.write("ui_en.bin", table(strings));
  ASSERT_EQ(s.run({"ui_en.bin", "gen/strings.h"}).status, 0);

  // check.c includes the generated file to see the static arrays and their sizes; decl.c reaches
  // the table only through the appended declarations, so the program links only if they match.
  std::string check =
      "#include <string.h>\n#include \"gen/ui_en_bin.c\"\nint decl_check(void);\n"
      "int main(void) {\n  int bad = 0;\n";
  for (std::size_t n = 1; n <= strings.size(); ++n) {
    const std::string id = "STR_" + std::to_string(n);
    const std::string len = std::to_string(strings[n - 1].size());
    if (strings[n - 1].empty()) {
      check += "  bad |= sizeof " + id + " != 0;\n";
    } else {
      check += "  bad |= sizeof " + id + " != " + len + " || memcmp(" + id + ", " +
               c_literal(strings[n - 1]) + ", " + len + ") != 0;\n";
    }
  }
  check += "  return bad ? 1 : decl_check();\n}\n";
  s.write("check.c", check);
  s.write("decl.c",
          "#include <res_manager_api.h>\n#include \"gen/strings.h\"\n"
          "int decl_check(void) {\n"
          "  return RES_STRING_UI_EN_BIN_CNT == " +
              std::to_string(strings.size()) +
              " && RES_STRING_UI_EN_BIN[0][0] == 'H' ? 0 : 2;\n}\n");
  const std::string cc = std::string(STRTAB2C_C_COMPILER) + " -std=c99 -Wall -Wextra -Werror -I " +
                         STRTAB2C_API_DIR + " -I '" + s.dir() + "' -o '" + s.path("check") + "' '" +
                         s.path("check.c") + "' '" + s.path("decl.c") + "'";
  ASSERT_EQ(std::system(cc.c_str()), 0) << cc;
  EXPECT_EQ(std::system(("'" + s.path("check") + "'").c_str()), 0);
}

}  // namespace
