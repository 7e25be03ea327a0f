#include "toolkit/splitter.h"

namespace ruko {

void Csplitter_manager::add(Csplitter* splitter)
{
    splitters.push_back(splitter);
}

void Csplitter_manager::reset()
{
    splitters.clear();
    dragging = nullptr;
}

void Csplitter_manager::relayout() {}
bool Csplitter_manager::set_cursor(HWND) { return false; }
bool Csplitter_manager::button_down(HWND) { return false; }
bool Csplitter_manager::mouse_move() { return false; }

}  // namespace ruko
