/* ATmega328P: reads every string of the table back from flash and writes it to the UART, one
 * line each, then sleeps with interrupts off (which ends the simulation). */
#include <avr/interrupt.h>
#include <avr/io.h>
#include <avr/sleep.h>
#include <res_manager_api.h>

#include "avr.h"

static void put(uint8_t c) {
  while (!(UCSR0A & (1 << UDRE0))) {
  }
  UDR0 = c;
}

int main(void) {
  UCSR0B = 1 << TXEN0;
  for (uint16_t i = 0; i < RES_STRING_AVR_BIN_CNT; ++i) {
    const uint8_t* s = (const uint8_t*)pgm_read_word(&RES_STRING_AVR_BIN[i]);
    const uint16_t n = pgm_read_word(&RES_STRING_AVR_BIN_LEN[i]);
    for (uint16_t k = 0; k < n; ++k) put(pgm_read_byte(s + k));
    put('\n');
  }
  cli();
  sleep_cpu();
  return 0;
}
