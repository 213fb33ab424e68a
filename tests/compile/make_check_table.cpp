// make_check_table <dir>: writes <dir>/ui_en.bin, a table with the byte values that can break a
// rendering (0, 0x80, 0xff, every value, an empty string, a long string), and <dir>/expected.h,
// which checks the generated arrays against those bytes, written independently of the tool;
// also pc.bin and pe.bin for the --portable-c forms, fw.bin for the options and other compilers,
// avr.bin and the lines its program prints, avr.txt.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "table_builder.hpp"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string dir = argv[1];
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  // And what a string literal must escape: quotes, backslashes, runs of '?' (trigraphs), escapes
  // followed by digits; the longest literal, and one byte more (which keeps the brace form).
  std::string longest(4095, '\0'), longer(4096, '\0');
  for (std::size_t i = 0; i < longer.size(); ++i) {
    longer[i] = static_cast<char>(i * 7 + 3);
    if (i < longest.size()) longest[i] = static_cast<char>(255 - i % 256);
  }
  const std::vector<std::string> strings = {std::string("Hello\0", 6),
                                            "",
                                            std::string("\x00\x80\xff", 3),
                                            all,
                                            std::string(3000, 'w'),
                                            "say \"hi\" \\ \\\" ?\?= ?\?/ ?\?' ?\?\?\? ?",
                                            std::string("\x01"
                                                        "7\x00"
                                                        "0\x80"
                                                        "9\n1\xff"
                                                        "8",
                                                        10),
                                            longest,
                                            longer};
  std::ofstream(dir + "/ui_en.bin", std::ios::binary) << testing_support::table(strings);
  // For --portable-c: an empty string among others, and a table without strings.
  std::ofstream(dir + "/pc.bin", std::ios::binary) << testing_support::table({"ab", ""});
  std::ofstream(dir + "/pe.bin", std::ios::binary) << testing_support::table({});
  // For the options and the firmware compilers: "s0" ... "s99", then an empty string.
  std::vector<std::string> fw;
  for (int n = 0; n < 100; ++n) fw.push_back("s" + std::to_string(n));
  fw.push_back("");
  std::ofstream(dir + "/fw.bin", std::ios::binary) << testing_support::table(fw);
  // For AVR: more than the ATmega328P's 2 KiB of RAM, and the lines its program prints.
  std::vector<std::string> avr;
  std::string lines;
  for (int n = 0; n < 300; ++n) {
    avr.push_back("string " + std::to_string(n) +
                  std::string(n % 23, static_cast<char>('a' + n % 26)));
    lines += avr.back() + "\n";
  }
  std::ofstream(dir + "/avr.bin", std::ios::binary) << testing_support::table(avr);
  std::ofstream(dir + "/avr.txt", std::ios::binary) << lines;

  std::string checks = "#define EXPECTED_COUNT " + std::to_string(strings.size()) + "\n";
  checks += "#define CHECK_STRINGS(bad) do { \\\n";
  for (std::size_t n = 1; n <= strings.size(); ++n) {
    const std::string id = "STR_" + std::to_string(n);
    const std::string& s = strings[n - 1];
    if (s.empty()) {
      checks += "  bad |= sizeof " + id + " != 0; \\\n";
      continue;
    }
    std::string literal = "\"";
    char escape[8];
    for (unsigned char b : s) {
      std::snprintf(escape, sizeof escape, "\\%03o", b);
      literal += escape;
    }
    literal += "\"";
    const std::string len = std::to_string(s.size());
    checks += "  bad |= sizeof " + id + " != " + len + " || memcmp(" + id + ", " + literal + ", " +
              len + ") != 0; \\\n";
  }
  checks += "} while (0)\n";
  std::ofstream(dir + "/expected.h", std::ios::binary) << checks;
  return 0;
}
