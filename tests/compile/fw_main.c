/* The program around fw_check.c, where the target has a C library to start it. */
int fw_check(void);

int main(void) { return fw_check(); }
