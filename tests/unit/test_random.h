#pragma once
// A small deterministic random source for the property tests (SplitMix64): the same seed
// gives the same cases on every machine.

#include <cstddef>
#include <cstdint>

struct Random {
    uint64_t state;
    uint32_t Next()
    {
        state += 0x9E3779B97F4A7C15ull;
        uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return (uint32_t)(z ^ (z >> 31));
    }
    int Below(int n) { return (int)(Next() % (uint32_t)n); }
    bool OneIn(int n) { return Below(n) == 0; }
    template <size_t N>
    const char* Pick(const char* const (&items)[N])
    {
        return items[Below((int)N)];
    }
};
