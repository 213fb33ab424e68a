/* Prints every string of both tables, reached through the generated declarations. */
#include <stdio.h>

#include "ui_strings.h"

static void print_table(const char* lang, const uint8_t* const* table, uint32_t count) {
  uint32_t i;
  for (i = 0; i < count; ++i) printf("%s %u: %s\n", lang, (unsigned)(i + 1), (const char*)table[i]);
}

int main(void) {
  print_table("en", RES_STRING_STRINGS_EN_BIN, RES_STRING_STRINGS_EN_BIN_CNT);
  print_table("de", RES_STRING_STRINGS_DE_BIN, RES_STRING_STRINGS_DE_BIN_CNT);
  return 0;
}
