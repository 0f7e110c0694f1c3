// Frame dimensions in luma samples, shared by the driver, the measurement and the pair comparison.
#pragma once

#include <cstdint>

struct FrameSize {
    int32_t width;
    int32_t height;
};

// Bytes of one planar 4:2:0 frame. Taken in 64 bits: 32768 x 32768 x 3 does not fit in 32.
inline uint64_t frame_bytes(const FrameSize& size)
{
    return uint64_t(uint32_t(size.width)) * uint32_t(size.height) * 3 / 2;
}
