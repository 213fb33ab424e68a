// The --portable-c file compiles as C++ too.
#include "pc_bin.c"
