// Clearing the upper halves of the x86 vector registers before long work.
#pragma once

namespace volcatra {

// Code that uses 256- or 512-bit vector instructions (Qt's drawing, for one)
// may leave the upper halves of the vector registers marked in use, and a
// new thread starts with the state of the one that made it. On x86-64 each
// later 128-bit SSE instruction then pays for that state: opening a large
// catalogue on such a thread took twice as long. Cheap and harmless where
// the state is clean already; does nothing on other processors.
inline void ClearUpperVectorState() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    if (__builtin_cpu_supports("avx")) __asm__ volatile("vzeroupper" ::: "memory");
#endif
}

}  // namespace volcatra
