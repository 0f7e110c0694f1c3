// File input: open with a sequential hint, read whole frames.
#include "input.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// Largest request handed to one read(); Linux returns at most about 2 GiB per call anyway.
constexpr uint64_t MAX_READ_REQUEST = uint64_t(1) << 30;

constexpr uint64_t HUGE_PAGE = uint64_t(2) << 20;

}  // namespace

uint8_t* alloc_frame_buffer(uint64_t bytes)
{
    if (bytes == 0 || bytes > SIZE_MAX - HUGE_PAGE)
        return nullptr;
    if (bytes < HUGE_PAGE)
        return static_cast<uint8_t*>(malloc(size_t(bytes)));
    const size_t rounded = size_t((bytes + HUGE_PAGE - 1) / HUGE_PAGE * HUGE_PAGE);
    void* p = aligned_alloc(size_t(HUGE_PAGE), rounded);
#ifdef MADV_HUGEPAGE
    if (p)
        (void)madvise(p, rounded, MADV_HUGEPAGE);
#endif
    return static_cast<uint8_t*>(p);
}

int open_input(const char* path)
{
    const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd >= 0)
        (void)posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return fd;
}

int64_t read_frame(int fd, uint8_t* dst, uint64_t n)
{
    uint64_t got = 0;
    while (got < n) {
        const uint64_t want = n - got < MAX_READ_REQUEST ? n - got : MAX_READ_REQUEST;
        const ssize_t r = read(fd, dst + got, size_t(want));
        if (r > 0)
            got += uint64_t(r);
        else if (r == 0)
            break;
        else if (errno != EINTR)
            return -1;
    }
    return int64_t(got);
}
