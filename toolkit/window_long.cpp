#include "toolkit/window_long.h"

namespace ruko {

LONG_PTR get_window_long(HWND h, int index)
{
    return GetWindowLongPtrW(h, index);
}

LONG_PTR set_window_long(HWND h, int index, LONG_PTR value)
{
    return SetWindowLongPtrW(h, index, value);
}

}  // namespace ruko
