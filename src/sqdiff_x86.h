// x86 variants of the sum of squared differences; see sqdiff.h for the contract.
#pragma once

#include <cstddef>
#include <cstdint>

uint64_t sqdiff_sse2(const uint8_t* a, const uint8_t* b, size_t n);
uint64_t sqdiff_avx2(const uint8_t* a, const uint8_t* b, size_t n);
uint64_t sqdiff_avx512(const uint8_t* a, const uint8_t* b, size_t n);
