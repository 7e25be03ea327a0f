#include "copy/progress_pacer.h"

#include <windows.h>

namespace {

Cclock current_clock = system_clock_ms;

}  // namespace

std::uint64_t system_clock_ms()
{
    return GetTickCount64();
}

Cclock replace_progress_clock(Cclock clock)
{
    const Cclock previous = current_clock;
    current_clock = clock ? clock : system_clock_ms;
    return previous;
}

Cprogress_pacer::Cprogress_pacer() : clock_(current_clock) {}

Cprogress_pacer::Cprogress_pacer(std::uint64_t interval_ms)
    : clock_(current_clock), interval_ms_(interval_ms)
{
}

bool Cprogress_pacer::due() const
{
    return !ever_shown_ || clock_() - last_shown_ >= interval_ms_;
}

void Cprogress_pacer::shown()
{
    ever_shown_ = true;
    last_shown_ = clock_();
}
