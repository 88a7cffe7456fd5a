#pragma once
// Invariants the code relies on, stated where they hold and checked at run time unless the
// build turns the checks off (CLASHWICK_ASSERTIONS=0: the release build of the benchmarks).
// A broken invariant is a fault of the program, never of its input: the program says where
// and stops at once, so the test or sanitizer run that met it fails on the spot.

#ifndef CLASHWICK_ASSERTIONS
#define CLASHWICK_ASSERTIONS 1
#endif

[[noreturn]] void gsAssertionFailed(const char* condition, const char* file, int line);

#if CLASHWICK_ASSERTIONS
#define CLASHWICK_ASSERT(condition) \
    ((condition) ? static_cast<void>(0) : gsAssertionFailed(#condition, __FILE__, __LINE__))
#else
#define CLASHWICK_ASSERT(condition) static_cast<void>(0)
#endif
