/* A library whose installed version lacks a function its import library promises: built in
 * full (CORVALINDE_FULL) where only the linker sees it, and without that function beside the
 * tests, as happens when an older version of a DLL is found first. */
__declspec(dllexport) int CorvalindePartialPresent(void) {
  return 1;
}

#ifdef CORVALINDE_FULL
__declspec(dllexport) int CorvalindePartialMissing(void) {
  return 2;
}
#endif
