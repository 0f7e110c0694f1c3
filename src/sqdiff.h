// Sum of squared differences of two byte ranges: the one hot loop of the tool.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// Returns the exact sum of (a[i] - b[i])^2 over n bytes; every variant returns the same
// integer. Each square is below 2^16, so the sum fits in 64 bits for any n below 2^48.
using SqdiffFn = uint64_t (*)(const uint8_t* a, const uint8_t* b, size_t n);

uint64_t sqdiff_c(const uint8_t* a, const uint8_t* b, size_t n);

// CPU features that decide which variant runs; each bit means the CPU has the
// instructions and the operating system saves the registers they use.
enum CpuFlag : unsigned {
    CPU_SSE2 = 1u << 0,
    CPU_AVX2 = 1u << 1,
    CPU_AVX512BW = 1u << 2,
};

struct SqdiffVariant {
    const char* name;
    SqdiffFn fn;
    unsigned needs;  // CpuFlag bits the variant needs; 0 for the portable one
};

// What this CPU offers, read once with cpuid and xgetbv; 0 off x86.
unsigned cpu_flags();

// The fastest variant whose needs are within flags; always at least sqdiff_c.
SqdiffFn select_sqdiff(unsigned flags);

// Every variant compiled into this build, the portable reference first.
std::span<const SqdiffVariant> sqdiff_variants();
