/* Includes the generated file to see its static arrays and their sizes, and checks the bytes. */
#include <string.h>

#include "expected.h"
#include "ui_en_bin.c"

int decl_check(void);

int main(void) {
  int bad = 0;
  CHECK_STRINGS(bad);
  return bad ? 1 : decl_check();
}
