// The --portable-c file compiles as C++ too.
#include "pe_bin.c"
