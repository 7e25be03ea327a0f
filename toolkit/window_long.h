#pragma once
// Window longs that hold pointers or handles, pointer-sized in 32 and 64 bits.

#include <windows.h>

namespace ruko {

LONG_PTR get_window_long(HWND h, int index);
LONG_PTR set_window_long(HWND h, int index, LONG_PTR value);

}  // namespace ruko
