#pragma once
// Window geometry steps that the toolkit's window procedures call: anchoring of a
// dialog's controls, minimum size, and edge snapping while a window is moved or
// sized.

#include <windows.h>

namespace ruko {

class Cwindow_base;

// WM_SIZING: snaps the dragged edges when `snap` is set, then keeps the minimum
// size when `keep_min_size` is set.
void sizing_step(Cwindow_base& window, WPARAM edge, RECT* proposed);

// WM_MOVING of a window whose `snap` is set.
void moving_step(Cwindow_base& window, RECT* proposed);

// WM_SYSCOMMAND: the next move or size begins a new drag.
void reset_snap_drag();

// WM_SIZE of a dialog: moves one bound control by its anchor for the change of the
// dialog's client size since it was created.
void anchor_window(Cwindow_base& window, int dx, int dy);

}  // namespace ruko
