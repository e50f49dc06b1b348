#pragma once
// The debug trace: diagnostic lines for developers, on standard error in a debug build
// (NDEBUG not defined) and compiled away entirely in a release build.

#include <cstdio>

#ifdef NDEBUG
#define KEST_TRACE(...) \
  do {                  \
  } while (false)
#else
#define KEST_TRACE(...)                 \
  do {                                  \
    std::fprintf(stderr, __VA_ARGS__);  \
  } while (false)
#endif
