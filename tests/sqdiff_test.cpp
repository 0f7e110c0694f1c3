// Every sum-of-squared-differences variant this CPU can run, bit-exact against the reference.
#include <gtest/gtest.h>
#include <random>
#include <vector>

#include "sqdiff.h"

// A few sums worked out by hand keep the reference itself honest.
TEST(SqdiffReference, HandComputedSums)
{
    const uint8_t a[] = {0, 255, 10, 200, 7};
    const uint8_t b[] = {255, 0, 13, 190, 7};
    EXPECT_EQ(sqdiff_c(a, b, 0), 0u);
    EXPECT_EQ(sqdiff_c(a, b, 1), 65025u);
    EXPECT_EQ(sqdiff_c(a, b, 2), 130050u);
    EXPECT_EQ(sqdiff_c(a, b, 5), 130050u + 9u + 100u);
    EXPECT_EQ(sqdiff_c(b, a, 5), 130050u + 9u + 100u);
}

// The best variant for this CPU is one of the compiled ones and never needs a missing feature.
TEST(SqdiffDispatch, SelectsASupportedVariant)
{
    const unsigned flags = cpu_flags();
    const SqdiffFn chosen = select_sqdiff(flags);
    bool found = false;
    for (const SqdiffVariant& v : sqdiff_variants()) {
        if (v.fn == chosen) {
            found = true;
            EXPECT_EQ(v.needs & flags, v.needs) << v.name;
        }
    }
    EXPECT_TRUE(found);
    EXPECT_EQ(select_sqdiff(0), sqdiff_c);
}

void PrintTo(const SqdiffVariant& v, std::ostream* os)
{
    *os << v.name;
}

class SqdiffVariants : public testing::TestWithParam<SqdiffVariant> {
protected:
    void SetUp() override
    {
        const SqdiffVariant& v = GetParam();
        if ((v.needs & cpu_flags()) != v.needs)
            GTEST_SKIP() << "this CPU (or its OS) lacks the instructions of variant " << v.name;
    }
};

// Lengths on every vector width, unroll and accumulator-flush boundary, at every alignment
// of the two inputs, with random bytes from a fixed seed.
TEST_P(SqdiffVariants, MatchesReferenceOnRandomData)
{
    const SqdiffFn fn = GetParam().fn;
    const size_t lengths[] = {0,   1,   2,   7,   8,   15,  16,  17,  31,  32,   33,   47,
                              48,  63,  64,  65,  95,  96,  127, 128, 129, 191,  192,  255,
                              256, 257, 511, 512, 513, 1023, 1024, 1025, 4095, 4096, 4097,
                              65535, 65536, 65537, 131071, 131072, 131073, 262143, 262144,
                              262145, 524288 + 63, 1048576 + 129};
    std::mt19937 rng(20261211);
    std::vector<uint8_t> a(1048576 + 256), b(a.size());
    for (size_t i = 0; i < a.size(); i++) {
        a[i] = uint8_t(rng());
        b[i] = uint8_t(rng());
    }
    for (size_t n : lengths) {
        for (size_t offset_a : {0, 1, 13}) {
            const size_t offset_b = (offset_a * 7) % 64;
            EXPECT_EQ(fn(a.data() + offset_a, b.data() + offset_b, n),
                      sqdiff_c(a.data() + offset_a, b.data() + offset_b, n))
                << "n=" << n << " offsets " << offset_a << "," << offset_b;
        }
    }
}

// Equal inputs sum to zero; inputs differing in one byte at any position give that square.
TEST_P(SqdiffVariants, EqualInputsAndSingleDifferences)
{
    const SqdiffFn fn = GetParam().fn;
    std::vector<uint8_t> a(300), b;
    for (size_t i = 0; i < a.size(); i++)
        a[i] = uint8_t(i * 37);
    EXPECT_EQ(fn(a.data(), a.data(), a.size()), 0u);
    for (size_t pos = 0; pos < a.size(); pos++) {
        b = a;
        b[pos] = uint8_t(a[pos] ^ 0x80);
        EXPECT_EQ(fn(a.data(), b.data(), a.size()), 128u * 128u) << "pos=" << pos;
    }
}

// 0 against 255 over 4 MiB: each 32-bit lane of even the widest variant would see far more
// than 2^32 / 65025 squares, so any lane sum kept in 32 bits too long overflows here.
TEST_P(SqdiffVariants, FullRangeOverLargePlaneDoesNotOverflow)
{
    const SqdiffFn fn = GetParam().fn;
    const size_t n = (size_t(1) << 22) + 3;
    std::vector<uint8_t> zero(n, 0), full(n, 255);
    EXPECT_EQ(fn(zero.data(), full.data(), n), uint64_t(n) * 65025u);
    EXPECT_EQ(fn(full.data(), zero.data(), n), uint64_t(n) * 65025u);
}

INSTANTIATE_TEST_SUITE_P(All, SqdiffVariants, testing::ValuesIn(sqdiff_variants().begin(),
                                                                sqdiff_variants().end()),
                         [](const testing::TestParamInfo<SqdiffVariant>& param) {
                             return std::string(param.param.name);
                         });
