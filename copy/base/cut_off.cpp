#include "copy/base/cut_off.h"

namespace {

Ccut_off_seam cut_off_seam = nullptr;

}  // namespace

Ccut_off_seam replace_cut_off_seam(Ccut_off_seam seam)
{
    const Ccut_off_seam previous = cut_off_seam;
    cut_off_seam = seam;
    return previous;
}

void cut_off_point()
{
    if (cut_off_seam && cut_off_seam())
        throw Crun_cut_off();
}
