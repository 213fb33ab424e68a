/* make_table <text file> <table file>
 * One string per line of the text file (UTF-8, line end not included); each string is stored
 * with a terminating 0 byte so the program can print it directly. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define MAX_STRINGS 1024
#define MAX_TEXT 65534

static void put_le(unsigned char* at, uint32_t value, int bytes) {
  int i;
  for (i = 0; i < bytes; ++i) at[i] = (unsigned char)(value >> (8 * i));
}

int main(int argc, char** argv) {
  static char lines[MAX_STRINGS][1024];
  unsigned char record[16];
  unsigned count = 0, n;
  uint32_t offset;
  FILE *in, *out;
  if (argc != 3) {
    fprintf(stderr, "usage: make_table <text file> <table file>\n");
    return 1;
  }
  in = fopen(argv[1], "r");
  if (!in) {
    fprintf(stderr, "make_table: cannot read %s\n", argv[1]);
    return 1;
  }
  while (count < MAX_STRINGS && fgets(lines[count], sizeof lines[count], in)) {
    lines[count][strcspn(lines[count], "\r\n")] = '\0';
    ++count;
  }
  fclose(in);

  out = fopen(argv[2], "wb");
  if (!out) {
    fprintf(stderr, "make_table: cannot write %s\n", argv[2]);
    return 1;
  }
  memset(record, 0, sizeof record);
  put_le(record + 4, count, 2);
  record[9] = 2; /* encoding: bytes as they stand (UTF-8 here) */
  fwrite(record, 1, sizeof record, out);
  offset = 16u * (count + 1);
  for (n = 0; n < count; ++n) {
    const uint32_t length = (uint32_t)strlen(lines[n]) + 1;
    memset(record, 0, sizeof record);
    put_le(record, offset, 4);
    put_le(record + 4, length, 2);
    fwrite(record, 1, sizeof record, out);
    offset += length;
  }
  for (n = 0; n < count; ++n) fwrite(lines[n], 1, strlen(lines[n]) + 1, out);
  return fclose(out) == 0 ? 0 : 1;
}
