// What the benchmark's own programs share: the bench setup's model and port, and the clock.
#pragma once

#include <windows.h>

namespace bench {

const char kModel[] = "Zelmox J71 Bench";
const char kPort[] = "LPT1:";

// Seconds on the performance counter.
inline double Seconds() {
    static LARGE_INTEGER frequency = {};
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart / (double)frequency.QuadPart;
}

} // namespace bench
