#pragma once

#include <cstdio>
#include <cstdlib>

// A fuzz entry point checks what must hold for any input: a broken invariant aborts,
// which libFuzzer and the corpus replay report.
inline void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
        std::abort();
    }
}
