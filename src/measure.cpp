// Per-plane errors of one frame pair and the decibel conversion.
#include "measure.h"

#include <cmath>

PlaneErrors measure_plane_errors(const uint8_t* ref, const uint8_t* trg, const FrameSize& size,
                                 SqdiffFn sqdiff)
{
    const uint64_t luma = uint64_t(uint32_t(size.width)) * uint32_t(size.height);
    const uint64_t chroma = uint64_t(uint32_t(size.width / 2)) * uint32_t(size.height / 2);

    // The sums are exact integers below 2^53 (65025 x 2^30 at most), so converting them
    // once gives the same doubles as adding every square as a double in scan order.
    const double sum_y = double(sqdiff(ref, trg, luma));
    const double sum_cb = double(sqdiff(ref + luma, trg + luma, chroma));
    const double sum_cr = double(sqdiff(ref + luma + chroma, trg + luma + chroma, chroma));

    const double q = 1.0 / double(chroma);
    return PlaneErrors{sum_y / double(luma), sum_cb * q, sum_cr * q};
}

double snr_from_mse(double mse)
{
    if (mse < MSE_FLOOR)
        return SNR_CEILING;
    return DECIBEL_FACTOR * std::log10(PEAK_POWER / mse);
}
