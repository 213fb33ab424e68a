/* Reaches the table only through the appended declarations: links only if they match. */
#include <res_manager_api.h>

#include "expected.h"
#include "strings.h"

int decl_check(void) {
  return RES_STRING_UI_EN_BIN_CNT == EXPECTED_COUNT && RES_STRING_UI_EN_BIN[0][0] == 'H' ? 0 : 2;
}
