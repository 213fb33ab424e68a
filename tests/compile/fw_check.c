/* Reaches a table through the appended declarations alone, compiled as C or as C++: links only
 * when the linkage and the types agree. fw.bin holds "s0" ... "s99", then an empty string. */
#include <res_manager_api.h>

#include "fw.h"

#ifdef __cplusplus
extern "C"
#endif
    int fw_check(void);

int fw_check(void) {
  return RES_STRING_FW_BIN_CNT == 101 && RES_STRING_FW_BIN_LEN[0] == 2 &&
                 RES_STRING_FW_BIN_LEN[99] == 3 && RES_STRING_FW_BIN_LEN[100] == 0 &&
                 RES_STRING_FW_BIN[42][0] == 's' && RES_STRING_FW_BIN[42][1] == '4' &&
                 RES_STRING_FW_BIN[42][2] == '2' && RES_STRING_FW_BIN[100][0] == 0 &&
                 RES_STRING_FW_BIN[100] != RES_STRING_FW_BIN[99]
             ? 0
             : 1;
}
