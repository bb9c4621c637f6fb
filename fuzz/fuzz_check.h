// Property checks inside fuzz targets. A broken property aborts, which libFuzzer reports as a
// crash with the input that caused it, and the corpus replay reports as a failed test.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                      \
    ((condition)                                                                                   \
         ? void()                                                                                  \
         : (std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition),  \
            std::abort()))
