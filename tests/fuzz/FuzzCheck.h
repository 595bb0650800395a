#pragma once

#include <cstdio>
#include <cstdlib>

// Names the failed property, so that a finding says what went wrong, not only where.
#define CHECK(condition)                                                                           \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "property failed: %s (line %d)\n", #condition, __LINE__);         \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
