#include "toolkit/geometry.h"

namespace ruko {

void sizing_step(Cwindow_base&, WPARAM, RECT*) {}
void moving_step(Cwindow_base&, RECT*) {}
void reset_snap_drag() {}
void anchor_window(Cwindow_base&, int, int) {}

}  // namespace ruko
