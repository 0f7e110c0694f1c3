// Throughput of every squared-difference variant this CPU runs, on one-frame 1080p buffers.
// Bytes per second count both inputs.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <unistd.h>
#include <vector>

#include "frame_size.h"
#include "input.h"
#include "sqdiff.h"

namespace {

void bench_variant(benchmark::State& state, SqdiffFn fn)
{
    const size_t n = size_t(state.range(0));
    std::vector<uint8_t> a(n), b(n);
    std::mt19937 rng(1);
    for (size_t i = 0; i < n; i++) {
        a[i] = uint8_t(rng());
        b[i] = uint8_t(a[i] + rng() % 9 - 4);
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(fn(a.data(), b.data(), n));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(2 * n));
}

// One 1080p frame pair read from a page-cached file into the tool's buffer, with and without
// the measuring pass: the difference is what the arithmetic costs on data that the read()
// copy has just written (and mostly pushed out of L2), the situation inside the tool.
void bench_after_read(benchmark::State& state, SqdiffFn fn)
{
    const uint64_t frame = frame_bytes(FrameSize{1920, 1080});
    char path[] = "/tmp/frmcmp-bench-XXXXXX";
    const int fd = mkstemp(path);
    std::vector<uint8_t> bytes(frame * 2);
    std::mt19937 rng(2);
    for (uint8_t& b : bytes)
        b = uint8_t(rng());
    if (fd < 0 || write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size())) {
        state.SkipWithError("cannot write the temporary file");
        return;
    }
    uint8_t* buffer = alloc_frame_buffer(frame * 2);
    for (auto _ : state) {
        lseek(fd, 0, SEEK_SET);
        read_frame(fd, buffer, frame);
        read_frame(fd, buffer + frame, frame);
        if (fn)
            benchmark::DoNotOptimize(fn(buffer, buffer + frame, frame));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(2 * frame));
    free(buffer);
    close(fd);
    unlink(path);
}

const int REGISTERED = [] {
    benchmark::RegisterBenchmark("read_only_1080p", bench_after_read, nullptr);
    benchmark::RegisterBenchmark("read_then_sqdiff_1080p", bench_after_read,
                                 select_sqdiff(cpu_flags()));
    const unsigned flags = cpu_flags();
    for (const SqdiffVariant& v : sqdiff_variants()) {
        if ((v.needs & flags) != v.needs)
            continue;
        benchmark::RegisterBenchmark((std::string("sqdiff_") + v.name).c_str(), bench_variant,
                                     v.fn)
            ->Arg(1920 * 1080 * 3 / 2)   // one 1080p frame: mostly from L3
            ->Arg(352 * 288 * 3 / 2);    // one CIF frame: from L2
    }
    return 0;
}();

}  // namespace

BENCHMARK_MAIN();
