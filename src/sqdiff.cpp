// The portable reference kernel and the one place that picks a variant for this CPU.
#include "sqdiff.h"

#if FRMCMP_X86_KERNELS
#include "sqdiff_x86.h"

#include <cpuid.h>
#endif

uint64_t sqdiff_c(const uint8_t* a, const uint8_t* b, size_t n)
{
    uint64_t sum = 0;
    for (size_t i = 0; i < n; i++) {
        const int d = int(b[i]) - int(a[i]);
        sum += uint64_t(d * d);
    }
    return sum;
}

#if FRMCMP_X86_KERNELS

static uint64_t read_xcr0()
{
    uint32_t lo, hi;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    return (uint64_t(hi) << 32) | lo;
}

unsigned cpu_flags()
{
    unsigned eax, ebx, ecx, edx;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx))
        return 0;
    unsigned flags = 0;
    if (edx & bit_SSE2)
        flags |= CPU_SSE2;
    // The wide registers are only usable when the OS saves them on a context switch.
    if (!(ecx & bit_OSXSAVE))
        return flags;
    const uint64_t xcr0 = read_xcr0();
    const bool os_ymm = (xcr0 & 0x6) == 0x6;     // XMM and YMM state
    const bool os_zmm = (xcr0 & 0xe6) == 0xe6;   // and opmask, ZMM0-15 high halves, ZMM16-31
    if (!__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx))
        return flags;
    if (os_ymm && (ebx & bit_AVX2))
        flags |= CPU_AVX2;
    if (os_zmm && (ebx & bit_AVX512F) && (ebx & bit_AVX512BW))
        flags |= CPU_AVX512BW;
    return flags;
}

static const SqdiffVariant VARIANTS[] = {
    {"c", sqdiff_c, 0},
    {"sse2", sqdiff_sse2, CPU_SSE2},
    {"avx2", sqdiff_avx2, CPU_AVX2},
    {"avx512", sqdiff_avx512, CPU_AVX512BW},
};

#else

unsigned cpu_flags()
{
    return 0;
}

static const SqdiffVariant VARIANTS[] = {
    {"c", sqdiff_c, 0},
};

#endif

SqdiffFn select_sqdiff(unsigned flags)
{
    // Variants are listed in ascending order of the instruction sets they need;
    // the first one the CPU lacks ends the upgrade.
    SqdiffFn fn = sqdiff_c;
    for (const SqdiffVariant& v : VARIANTS) {
        if ((v.needs & flags) != v.needs)
            break;
        fn = v.fn;
    }
    return fn;
}

std::span<const SqdiffVariant> sqdiff_variants()
{
    return VARIANTS;
}
