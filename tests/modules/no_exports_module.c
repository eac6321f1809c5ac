/* An ordinary library: it loads, but offers no self-registration. */
#include "test_module.h"

MODULE_EXPORT int CorvalindeTestNothing(void) { return 42; }
