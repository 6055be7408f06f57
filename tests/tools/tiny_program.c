/* The smallest Windows program, built with MinGW-w64 by the native test build: the program the
   signing tests sign, as the setup program and as the payload's suite program. */
int main(void) { return 0; }
