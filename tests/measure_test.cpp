// Per-plane errors and the decibel conversion, checked against values worked out by hand.
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

#include "measure.h"

namespace {

struct Frames {
    std::vector<uint8_t> ref, trg;
};

// A pair of w x h frames, both filled with base, then changed by the caller.
Frames flat_pair(int w, int h, uint8_t base)
{
    const size_t n = size_t(w) * h * 3 / 2;
    return {std::vector<uint8_t>(n, base), std::vector<uint8_t>(n, base)};
}

PlaneErrors measure(const Frames& f, int w, int h)
{
    return measure_plane_errors(f.ref.data(), f.trg.data(), FrameSize{w, h}, sqdiff_c);
}

const double SNR_OF_ONE = 10.0 * std::log10(65025.0);  // 48.1308...

}  // namespace

// Equal frames have no error and every plane sits at the ceiling.
TEST(MeasurePlaneErrors, IdenticalFramesAreAtTheCeiling)
{
    Frames f = flat_pair(16, 8, 77);
    f.trg[3] = f.ref[3] = 200;
    const PlaneErrors e = measure(f, 16, 8);
    EXPECT_EQ(e.y, 0.0);
    EXPECT_EQ(e.cb, 0.0);
    EXPECT_EQ(e.cr, 0.0);
    EXPECT_EQ(snr_from_mse(e.y), SNR_CEILING);
}

// Every luma sample off by the full range: mse 65025, ratio 0.
TEST(MeasurePlaneErrors, FullRangeLumaDifference)
{
    Frames f = flat_pair(8, 4, 0);
    std::fill(f.trg.begin(), f.trg.begin() + 32, 255);
    const PlaneErrors e = measure(f, 8, 4);
    EXPECT_EQ(e.y, 65025.0);
    EXPECT_EQ(snr_from_mse(e.y), 0.0);
    EXPECT_EQ(e.cb, 0.0);
    EXPECT_EQ(e.cr, 0.0);
}

// The luma mean divides, so a difference of 1 everywhere is exactly 1; the chroma means
// multiply by the rounded reciprocal, which for 49 samples (14 x 14) lands one step below 1.
TEST(MeasurePlaneErrors, LumaDividesChromaMultipliesByReciprocal)
{
    Frames f = flat_pair(14, 14, 100);
    for (uint8_t& s : f.trg)
        s = 101;
    const PlaneErrors e = measure(f, 14, 14);
    EXPECT_EQ(e.y, 1.0);
    EXPECT_EQ(snr_from_mse(e.y), SNR_OF_ONE);
    EXPECT_EQ(e.cb, 49.0 * (1.0 / 49.0));
    EXPECT_LT(e.cb, 1.0);
    EXPECT_EQ(e.cr, e.cb);
}

// Which frame is the reference does not matter, and planes are kept apart: a change in
// Cr only leaves Y and Cb untouched.
TEST(MeasurePlaneErrors, SymmetricAndPlanesSeparate)
{
    Frames f = flat_pair(6, 4, 128);
    f.trg[6 * 4 + 6 + 1] = 118;  // second Cr sample (Cb has 6 samples)
    f.trg[6 * 4 + 6 + 5] = 140;  // last Cr sample
    const PlaneErrors ab = measure(f, 6, 4);
    std::swap(f.ref, f.trg);
    const PlaneErrors ba = measure(f, 6, 4);
    EXPECT_EQ(ab.y, 0.0);
    EXPECT_EQ(ab.cb, 0.0);
    EXPECT_EQ(ab.cr, (100.0 + 144.0) * (1.0 / 6.0));
    EXPECT_EQ(ba.y, ab.y);
    EXPECT_EQ(ba.cb, ab.cb);
    EXPECT_EQ(ba.cr, ab.cr);
}

// The smallest frame: 2 x 2 luma, one sample per chroma plane, q = 1.
TEST(MeasurePlaneErrors, TwoByTwoFrame)
{
    const uint8_t ref[6] = {0, 0, 0, 0, 10, 20};
    const uint8_t trg[6] = {2, 0, 0, 0, 13, 16};
    const PlaneErrors e = measure_plane_errors(ref, trg, FrameSize{2, 2}, sqdiff_c);
    EXPECT_EQ(e.y, 1.0);
    EXPECT_EQ(e.cb, 9.0);
    EXPECT_EQ(e.cr, 16.0);
}

// The ceiling applies strictly below the floor; a NaN is not below it.
TEST(SnrFromMse, FloorAndCeiling)
{
    EXPECT_EQ(snr_from_mse(0.0), 99.99);
    EXPECT_EQ(snr_from_mse(std::nextafter(MSE_FLOOR, 0.0)), 99.99);
    EXPECT_EQ(snr_from_mse(MSE_FLOOR), 10.0 * std::log10(65025.0 / MSE_FLOOR));
    EXPECT_GT(snr_from_mse(MSE_FLOOR), 99.99);
    EXPECT_TRUE(std::isnan(snr_from_mse(NAN)));
    EXPECT_EQ(snr_from_mse(1.0), SNR_OF_ONE);
    EXPECT_EQ(snr_from_mse(65025.0), 0.0);
}
