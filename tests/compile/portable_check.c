/* The --portable-c forms under -std=c99 -pedantic-errors: an empty string is one zero byte, an
 * empty table one null pointer with the count 0. */
#include "pc_bin.c"
#include "pe_bin.c"

int main(void) {
  return sizeof STR_2 == 1 && STR_2[0] == 0 && RES_STRING_PC_BIN_CNT == 2 &&
                 RES_STRING_PE_BIN_CNT == 0 && RES_STRING_PE_BIN[0] == 0
             ? 0
             : 1;
}
