// Resource identifiers shared by the resource script and the Win32 views.
#pragma once

#define IDI_CORVALINDE 1
