#pragma once
// glibc gives every block above its mmap threshold fresh pages, and hands freed memory at
// the top of the heap back to the kernel, which zeroes it again on the next call. On some
// virtual machines a fresh page costs more than the work done on it, so the large cases
// would measure page faults rather than the code. Keeping freed memory in the process
// makes each run reuse the same pages, as a long-running editor does.

#ifdef __GLIBC__
#include <malloc.h>
#endif

inline void BenchKeepFreedMemory()
{
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
}
