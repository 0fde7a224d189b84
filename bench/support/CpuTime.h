#pragma once

#include <ctime>

// CPU time in seconds: on a shared machine the wall clock mostly measures the neighbours.
inline double cpuSeconds(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// The whole process: the GUI thread and the pool's workers.
inline double processCpuSeconds()
{
    return cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
}

// The calling thread alone.
inline double threadCpuSeconds()
{
    return cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
}
