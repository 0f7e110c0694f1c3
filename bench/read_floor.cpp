// The read floor: the same open, hint and read() calls as frmcmp, into the same buffer of two
// frames, with no arithmetic and no report. frmcmp's wall time divided by this one's is the
// cost of everything but the reading.
// usage: read_floor width height ref.yuv trg.yuv
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "frame_size.h"
#include "input.h"

int main(int argc, char** argv)
{
    if (argc != 5) {
        fputs("usage: read_floor width height ref.yuv trg.yuv\n", stderr);
        return 1;
    }
    const FrameSize size{atoi(argv[1]), atoi(argv[2])};
    const uint64_t frame = frame_bytes(size);
    if (frame == 0)
        return 1;
    uint8_t* buffer = alloc_frame_buffer(frame * 2);
    const int ref = open_input(argv[3]);
    const int trg = open_input(argv[4]);
    if (!buffer || ref < 0 || trg < 0)
        return 1;
    long frames = 0;
    while (read_frame(ref, buffer, frame) == int64_t(frame) &&
           read_frame(trg, buffer + frame, frame) == int64_t(frame))
        frames++;
    printf("%ld\n", frames);
    close(ref);
    close(trg);
    free(buffer);
    return 0;
}
