/* A library that exists only at build time: the module below imports from it, and it is never
 * put where the module is loaded, as happens when a dependency was not installed. */
__declspec(dllexport) int CorvalindeAbsentFunction(void) { return 7; }
