// SSE2, AVX2 and AVX-512BW sums of squared differences, each compiled for its own
// instruction set by function attribute so that one binary runs on any x86-64.
//
// All three work the same way: |a - b| as unsigned bytes (two saturating subtractions
// or-ed), widened to 16 bits, squared and summed in pairs by pmaddwd into 32-bit lanes.
// One step of the loop adds at most 4 squares of 255 (260100) to each 32-bit lane, so a
// lane is widened into 64-bit sums every LANE_FLUSH_STEPS steps, long before 2^32:
// 8192 x 260100 < 2^31. The tail shorter than one step goes through the reference.
#include "sqdiff_x86.h"

// GCC 12's AVX-512 intrinsics start from _mm512_undefined_epi32() and trip its
// uninitialised-value warnings; the lanes they leave undefined are never read.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#include "sqdiff.h"

namespace {

constexpr size_t LANE_FLUSH_STEPS = 8192;

}  // namespace

__attribute__((target("sse2"))) uint64_t sqdiff_sse2(const uint8_t* a, const uint8_t* b,
                                                     size_t n)
{
    constexpr size_t STEP = 32;
    const __m128i zero = _mm_setzero_si128();
    __m128i sum64 = zero;
    size_t i = 0;
    while (n - i >= STEP) {
        const size_t steps = (n - i) / STEP < LANE_FLUSH_STEPS ? (n - i) / STEP : LANE_FLUSH_STEPS;
        const size_t end = i + steps * STEP;
        __m128i acc0 = zero, acc1 = zero;
        for (; i < end; i += STEP) {
            const __m128i a0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
            const __m128i b0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
            const __m128i a1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i + 16));
            const __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i + 16));
            const __m128i d0 = _mm_or_si128(_mm_subs_epu8(a0, b0), _mm_subs_epu8(b0, a0));
            const __m128i d1 = _mm_or_si128(_mm_subs_epu8(a1, b1), _mm_subs_epu8(b1, a1));
            const __m128i d0l = _mm_unpacklo_epi8(d0, zero), d0h = _mm_unpackhi_epi8(d0, zero);
            const __m128i d1l = _mm_unpacklo_epi8(d1, zero), d1h = _mm_unpackhi_epi8(d1, zero);
            acc0 = _mm_add_epi32(acc0, _mm_madd_epi16(d0l, d0l));
            acc1 = _mm_add_epi32(acc1, _mm_madd_epi16(d0h, d0h));
            acc0 = _mm_add_epi32(acc0, _mm_madd_epi16(d1l, d1l));
            acc1 = _mm_add_epi32(acc1, _mm_madd_epi16(d1h, d1h));
        }
        sum64 = _mm_add_epi64(sum64, _mm_unpacklo_epi32(acc0, zero));
        sum64 = _mm_add_epi64(sum64, _mm_unpackhi_epi32(acc0, zero));
        sum64 = _mm_add_epi64(sum64, _mm_unpacklo_epi32(acc1, zero));
        sum64 = _mm_add_epi64(sum64, _mm_unpackhi_epi32(acc1, zero));
    }
    alignas(16) uint64_t lanes[2];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), sum64);
    return lanes[0] + lanes[1] + sqdiff_c(a + i, b + i, n - i);
}

__attribute__((target("avx2"))) uint64_t sqdiff_avx2(const uint8_t* a, const uint8_t* b,
                                                     size_t n)
{
    constexpr size_t STEP = 64;
    const __m256i zero = _mm256_setzero_si256();
    __m256i sum64 = zero;
    size_t i = 0;
    while (n - i >= STEP) {
        const size_t steps = (n - i) / STEP < LANE_FLUSH_STEPS ? (n - i) / STEP : LANE_FLUSH_STEPS;
        const size_t end = i + steps * STEP;
        __m256i acc0 = zero, acc1 = zero;
        for (; i < end; i += STEP) {
            const __m256i a0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + i));
            const __m256i b0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i));
            const __m256i a1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + i + 32));
            const __m256i b1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i + 32));
            const __m256i d0 = _mm256_or_si256(_mm256_subs_epu8(a0, b0), _mm256_subs_epu8(b0, a0));
            const __m256i d1 = _mm256_or_si256(_mm256_subs_epu8(a1, b1), _mm256_subs_epu8(b1, a1));
            const __m256i d0l = _mm256_unpacklo_epi8(d0, zero);
            const __m256i d0h = _mm256_unpackhi_epi8(d0, zero);
            const __m256i d1l = _mm256_unpacklo_epi8(d1, zero);
            const __m256i d1h = _mm256_unpackhi_epi8(d1, zero);
            acc0 = _mm256_add_epi32(acc0, _mm256_madd_epi16(d0l, d0l));
            acc1 = _mm256_add_epi32(acc1, _mm256_madd_epi16(d0h, d0h));
            acc0 = _mm256_add_epi32(acc0, _mm256_madd_epi16(d1l, d1l));
            acc1 = _mm256_add_epi32(acc1, _mm256_madd_epi16(d1h, d1h));
        }
        sum64 = _mm256_add_epi64(sum64, _mm256_unpacklo_epi32(acc0, zero));
        sum64 = _mm256_add_epi64(sum64, _mm256_unpackhi_epi32(acc0, zero));
        sum64 = _mm256_add_epi64(sum64, _mm256_unpacklo_epi32(acc1, zero));
        sum64 = _mm256_add_epi64(sum64, _mm256_unpackhi_epi32(acc1, zero));
    }
    alignas(32) uint64_t lanes[4];
    _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), sum64);
    return lanes[0] + lanes[1] + lanes[2] + lanes[3] + sqdiff_c(a + i, b + i, n - i);
}

__attribute__((target("avx512f,avx512bw"))) uint64_t sqdiff_avx512(const uint8_t* a,
                                                                   const uint8_t* b, size_t n)
{
    constexpr size_t STEP = 128;
    const __m512i zero = _mm512_setzero_si512();
    __m512i sum64 = zero;
    size_t i = 0;
    while (n - i >= STEP) {
        const size_t steps = (n - i) / STEP < LANE_FLUSH_STEPS ? (n - i) / STEP : LANE_FLUSH_STEPS;
        const size_t end = i + steps * STEP;
        __m512i acc0 = zero, acc1 = zero;
        for (; i < end; i += STEP) {
            const __m512i a0 = _mm512_loadu_si512(a + i);
            const __m512i b0 = _mm512_loadu_si512(b + i);
            const __m512i a1 = _mm512_loadu_si512(a + i + 64);
            const __m512i b1 = _mm512_loadu_si512(b + i + 64);
            const __m512i d0 = _mm512_or_si512(_mm512_subs_epu8(a0, b0), _mm512_subs_epu8(b0, a0));
            const __m512i d1 = _mm512_or_si512(_mm512_subs_epu8(a1, b1), _mm512_subs_epu8(b1, a1));
            const __m512i d0l = _mm512_unpacklo_epi8(d0, zero);
            const __m512i d0h = _mm512_unpackhi_epi8(d0, zero);
            const __m512i d1l = _mm512_unpacklo_epi8(d1, zero);
            const __m512i d1h = _mm512_unpackhi_epi8(d1, zero);
            acc0 = _mm512_add_epi32(acc0, _mm512_madd_epi16(d0l, d0l));
            acc1 = _mm512_add_epi32(acc1, _mm512_madd_epi16(d0h, d0h));
            acc0 = _mm512_add_epi32(acc0, _mm512_madd_epi16(d1l, d1l));
            acc1 = _mm512_add_epi32(acc1, _mm512_madd_epi16(d1h, d1h));
        }
        sum64 = _mm512_add_epi64(sum64, _mm512_unpacklo_epi32(acc0, zero));
        sum64 = _mm512_add_epi64(sum64, _mm512_unpackhi_epi32(acc0, zero));
        sum64 = _mm512_add_epi64(sum64, _mm512_unpacklo_epi32(acc1, zero));
        sum64 = _mm512_add_epi64(sum64, _mm512_unpackhi_epi32(acc1, zero));
    }
    return uint64_t(_mm512_reduce_add_epi64(sum64)) + sqdiff_c(a + i, b + i, n - i);
}
