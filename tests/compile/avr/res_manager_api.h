/* An AVR project's res_manager_api.h: the strings, the table and the lengths in flash, read back
 * with pgm_read_*; the count stays in RAM. */
#ifndef RES_MANAGER_API_H
#define RES_MANAGER_API_H

#include <avr/pgmspace.h>
#include <stdint.h>

#define STRTAB2C_STRING_ATTRIBUTE PROGMEM
#define STRTAB2C_TABLE_ATTRIBUTE PROGMEM
#define STRTAB2C_LENGTHS_ATTRIBUTE PROGMEM

#endif
