/* What every generated string table needs: the fixed-width integer types. */
#ifndef RES_MANAGER_API_H
#define RES_MANAGER_API_H

#include <stdint.h>

#endif
