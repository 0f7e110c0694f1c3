// Frame layout, per-plane mean squared errors and their conversion to decibels.
#pragma once

#include <cstdint>

#include "frame_size.h"
#include "sqdiff.h"

// Mean squared error of each plane of one frame pair.
struct PlaneErrors {
    double y;
    double cb;
    double cr;
};

constexpr double PEAK_POWER = 65025.0;             // 255^2, the squared peak of an 8-bit sample
constexpr double SNR_CEILING = 99.99;              // reported when the error is below MSE_FLOOR
constexpr double MSE_FLOOR = 2.220446049250313e-16; // 2^-52, the double machine epsilon
constexpr double DECIBEL_FACTOR = 10.0;

// Compares one whole frame of ref with one of trg (planar 4:2:0: Y, then Cb, then Cr,
// rows packed with no stride). The luma mean is a division by the sample count, the
// chroma means a multiplication by its rounded reciprocal; sqdiff gives the exact sums.
PlaneErrors measure_plane_errors(const uint8_t* ref, const uint8_t* trg, const FrameSize& size,
                                 SqdiffFn sqdiff);

// 10 log10(PEAK_POWER / mse), or SNR_CEILING when mse is below MSE_FLOOR.
double snr_from_mse(double mse);
