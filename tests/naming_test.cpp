#include "naming.hpp"

#include <gtest/gtest.h>

#include <vector>

using namespace strtab2c;

namespace {

struct NamingCase {
  const char* input;
  const char* include;
  const char* out_path;
  const char* vname;
  const char* upper_stem;
  std::size_t separator;
};

void check(const std::vector<NamingCase>& cases, PathStyle style) {
  for (const auto& c : cases) {
    const OutputNames names = derive_output_names(c.input, c.include, style);
    EXPECT_EQ(names.out_path, c.out_path) << c.input << " " << c.include;
    EXPECT_EQ(names.vname, c.vname) << c.input;
    EXPECT_EQ(upper_stem(names.vname), c.upper_stem) << c.input;
    EXPECT_EQ(names.name_separator, c.separator) << c.input;
  }
}

TEST(Naming, DerivesOutputPathAndStems) {
  constexpr std::size_t none = OutputNames::kNoSeparator;
  check(
      {
          {"data/strings_en.bin", "gen/res_strings.h", "gen/strings_en_bin.c", "strings_en_bin",
           "STRINGS_EN_BIN", 4},
          {"C:\\res\\menu.str", "C:\\out\\inc\\res_str.h", "C:\\out\\inc/menu_str.c", "menu_str",
           "MENU_STR", 6},
          {"strings.en.bin", "gen/res_strings.h", "gen/strings.en_bin.c", "strings.en_bin",
           "STRINGS.EN_BIN", none},
          {"menu.str", "res_str.h", "menu_str.c", "menu_str", "MENU_STR", none},
          {"menu.str", "/res.h", "/menu_str.c", "menu_str", "MENU_STR", none},
          {"a.bin", "x/y\\z/res.h", "x/y\\z/a_bin.c", "a_bin", "A_BIN", none},
          {"C:\\res/menu.str", "o\\r.h", "o/menu_str.c", "menu_str", "MENU_STR", 6},
          {"data/strings", "g.d/res.h", "g.d/strings.c", "strings", "STRINGS", 4},
          {"d.x/y\\noext", "i.h", "noext.c", "noext", "NOEXT", 5},
          {"Mixed-9 x.Str", "i.h", "Mixed-9 x_Str.c", "Mixed-9 x_Str", "MIXED-9 X_STR", none},
          {"\xe4z\x80.b", "i.h", "\xe4z\x80_b.c", "\xe4z\x80_b", "\xe4Z\x80_B", none},
      },
      PathStyle::kPosix);
  const std::string long_name(5000, 'n');
  EXPECT_EQ(derive_output_names(std::string(3000, 'd') + "/" + long_name + ".b", "i/h").out_path,
            "i/" + long_name + "_b.c");
}

// Windows style: a drive prefix is part of the directory, the name is the file Windows opens
// (no trailing dots or blanks), a \\?\ path is joined with its own separator.
TEST(Naming, WindowsPathsAsWindowsReadsThem) {
  check(
      {
          {"C:strings.bin", "..\\gen\\res.h", "..\\gen/strings_bin.c", "strings_bin", "STRINGS_BIN",
           1},
          {"C:strings.bin", "C:res.h", "C:strings_bin.c", "strings_bin", "STRINGS_BIN", 1},
          {"d\\strings.bin.", "C:\\res.h", "C:/strings_bin.c", "strings_bin", "STRINGS_BIN", 1},
          {"strings.bin ", "g/r.h", "g/strings_bin.c", "strings_bin", "STRINGS_BIN",
           OutputNames::kNoSeparator},
          {"\\\\?\\Z:\\t\\s.bin", "\\\\?\\Z:\\r3\\r.h", "\\\\?\\Z:\\r3\\s_bin.c", "s_bin", "S_BIN",
           8},
          {"C:\\res\\menu.str", "C:\\out\\inc\\res_str.h", "C:\\out\\inc/menu_str.c", "menu_str",
           "MENU_STR", 6},
      },
      PathStyle::kWindows);
}

// Cut at a character's boundary, counted as the system counts: bytes, or UTF-16 units.
TEST(Naming, TemporaryNamesFitWhereTheFinalNameDoes) {
  const struct {
    const char* path;
    std::size_t name_max;
    PathStyle style;
    const char* expect;
  } cases[] = {
      {"gen/t_bin.c", 255, PathStyle::kPosix, "gen/t_bin.c.42.tmp"},
      {"gen/abcdefgh.c", 12, PathStyle::kPosix, "gen/abcde.42.tmp"},
      {"d\abcdefgh.c", 12, PathStyle::kWindows, "d\abcd.42.tmp"},
      {"C:abcdefgh.c", 12, PathStyle::kWindows, "C:abcde.42.tmp"},
      {"g/\xc3\xa9\xc3\xa9\xc3\xa9.c", 12, PathStyle::kPosix, "g/\xc3\xa9\xc3\xa9.42.tmp"},
      {"g/\xc3\xa9\xc3\xa9\xc3\xa9.c", 12, PathStyle::kWindows,
       "g/\xc3\xa9\xc3\xa9\xc3\xa9.c.42.tmp"},
      {"g/\xc3\xa9\xc3\xa9\xc3\xa9.c", 10, PathStyle::kWindows,
       "g/\xc3\xa9\xc3\xa9\xc3\xa9.42.tmp"},
      {"g/\xf0\x9f\x98\x80\xf0\x9f\x98\x80.c", 12, PathStyle::kWindows,
       "g/\xf0\x9f\x98\x80\xf0\x9f\x98\x80..42.tmp"},
      {"g/\xf0\x9f\x98\x80\xf0\x9f\x98\x80.c", 10, PathStyle::kWindows,
       "g/\xf0\x9f\x98\x80.42.tmp"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(temporary_path(c.path, ".42.tmp", c.name_max, c.style), c.expect) << c.path;
  }
}

// One rule for both: what has_control_character() refuses, printable() escapes.
TEST(Naming, ControlCharactersAreToldAndEscaped) {
  const struct {
    std::string text;
    bool control;
    std::string printed;
  } cases[] = {
      {"a-b.c d\x80\xff~", false, "a-b.c d\x80\xff~"},
      {"a\nb", true, "a\\x0ab"},
      {"\t", true, "\\x09"},
      {"x\x1f", true, "x\\x1f"},
      {"x\x7f", true, "x\\x7f"},
      {std::string("n\0l", 3), true, "n\\x00l"},
      {" ", false, " "},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(has_control_character(c.text), c.control) << c.printed;
    EXPECT_EQ(printable(c.text), c.printed);
  }
}

}  // namespace
