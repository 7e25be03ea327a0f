#pragma once
// The pace at which the progress dialog is brought up to date: at most once per
// frame of about 33 ms. Every new text or bar position is painted at once, and a
// run of small files would otherwise spend more time painting than copying, for
// changes no eye can follow.

#include <cstdint>

// Milliseconds from a monotonic clock.
using Cclock = std::uint64_t (*)();

// The system's tick count (GetTickCount64).
std::uint64_t system_clock_ms();

// The clock every new pacer reads; tests put a fake one in. Returns the one it
// replaces; null puts the system's clock back.
Cclock replace_progress_clock(Cclock clock);

class Cprogress_pacer {
public:
    static constexpr std::uint64_t frame_ms = 33;

    Cprogress_pacer();
    explicit Cprogress_pacer(Cclock clock) : clock_(clock) {}
    // A pace of its own: at most once per `interval_ms`.
    explicit Cprogress_pacer(std::uint64_t interval_ms);

    // True when the dialog has not been brought up to date for a frame (or ever).
    bool due() const;
    // The dialog was brought up to date just now.
    void shown();

private:
    Cclock clock_;
    std::uint64_t interval_ms_ = frame_ms;
    bool ever_shown_ = false;
    std::uint64_t last_shown_ = 0;
};
