/* A library built for this build's processor where only the linker sees it, and for the other
 * one beside the tests: a dependency of the wrong architecture. */
__declspec(dllexport) int CorvalindeArchFunction(void) {
  return 3;
}
