// Pair comparison end to end: the report of tiny generated sequences, byte for byte.
#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "tool_runner.h"

namespace {

const std::string HEAD = "frm\tY SNR\tCb SNR\tCr SNR\n----\n";
const std::string CEIL3 = "99.9900\t99.9900\t99.9900";

std::string heading(const std::string& ref, const std::string& trg)
{
    return "SNR(" + ref + ", " + trg + ")\n" + HEAD;
}

std::string summary(const std::string& avg, const std::string& total)
{
    return "----\navg\t" + avg + "\ntotal\t" + total + "\n----\n\n";
}

std::string empty_report(const std::string& ref, const std::string& trg)
{
    const std::string nan = nan_text();
    return heading(ref, trg) + summary(nan + "\t" + nan + "\t" + nan, CEIL3);
}

// Frames of 4 x 2: 8 luma samples, 2 per chroma plane, 12 bytes.
constexpr int W = 4, H = 2, FRAME = 12;

uint8_t flat(int, int, int)
{
    return 128;
}

// Frame k differs from flat by k + 1 in every luma sample, by 16 in one Cb sample.
uint8_t distorted(int k, int plane, int i)
{
    if (plane == 0)
        return uint8_t(128 + k + 1);
    return uint8_t(plane == 1 && i == 0 ? 144 : 128);
}

// Lines of the first n frames of distorted against flat, computed by hand:
// luma mse (k+1)^2, Cb mse 16^2 / 2 = 128, Cr untouched.
const char* const DISTORTED_LINES[] = {
    "    1\t48.1308\t27.0587\t99.9900\n",
    "    2\t42.1102\t27.0587\t99.9900\n",
    "    3\t38.5884\t27.0587\t99.9900\n",
    "    4\t36.0896\t27.0587\t99.9900\n",
    "    5\t34.1514\t27.0587\t99.9900\n",
};

std::string distorted_lines(int n)
{
    std::string s;
    for (int k = 0; k < n; k++)
        s += DISTORTED_LINES[k];
    return s;
}

// Summary of the first three distorted frames: the average of the ratios, and the ratio of
// the mean errors (luma (1 + 4 + 9) / 3, Cb 128), which differ.
const std::string THREE_SUMMARY =
    summary("42.9431\t27.0587\t99.9900", "41.4407\t27.0587\t99.9900");

}  // namespace

// Files shorter than a frame compare no frame: the average is 0 x infinity, printed as the
// platform prints a NaN, and the totals sit at the ceiling.
TEST(ComparePair, EmptyAndShortFiles)
{
    ScratchDir dir;
    const std::string empty = dir.file("empty.yuv", {});
    const std::string short_file = dir.file("short.yuv", std::vector<uint8_t>(FRAME - 1, 7));
    const ToolResult r = run_tool({"-w4", "-h2", empty, empty, short_file, short_file});
    EXPECT_EQ(r.out, empty_report(empty, empty) + empty_report(short_file, short_file));
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
}

// Identical content, or one file given as both, is at the ceiling everywhere.
TEST(ComparePair, IdenticalFiles)
{
    ScratchDir dir;
    const std::vector<uint8_t> seq = make_frames(W, H, 3, distorted);
    const std::string a = dir.file("a.yuv", seq), b = dir.file("b.yuv", seq);
    const std::string lines = "    1\t" + CEIL3 + "\n    2\t" + CEIL3 + "\n    3\t" + CEIL3 + "\n";
    const ToolResult r = run_tool({"-w4", "-h2", a, b, a, a});
    EXPECT_EQ(r.out, heading(a, b) + lines + summary(CEIL3, CEIL3) + heading(a, a) + lines +
                         summary(CEIL3, CEIL3));
    EXPECT_EQ(r.status, 0);
}

// The number of frames compared is the smaller whole-frame count; the frames beyond it and a
// trailing partial frame are ignored without a message, whichever side is longer.
TEST(ComparePair, DifferentLengthsAndPartialFrames)
{
    ScratchDir dir;
    const std::string ref3 = dir.file("ref3.yuv", make_frames(W, H, 3, flat));
    const std::string ref5 = dir.file("ref5.yuv", make_frames(W, H, 5, flat));
    const std::string trg3 = dir.file("trg3.yuv", make_frames(W, H, 3, distorted));
    const std::string trg5 = dir.file("trg5.yuv", make_frames(W, H, 5, distorted));
    std::vector<uint8_t> partial = make_frames(W, H, 4, distorted);
    partial.resize(partial.size() - 1);  // three whole frames and 11 bytes of a fourth
    const std::string trg_partial = dir.file("partial.yuv", partial);

    const ToolResult r = run_tool({"-w4", "-h2", ref3, trg5, ref5, trg3, ref5, trg_partial});
    const std::string three = distorted_lines(3) + THREE_SUMMARY;
    EXPECT_EQ(r.out, heading(ref3, trg5) + three + heading(ref5, trg3) + three +
                         heading(ref5, trg_partial) + three);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
}

// A pair that cannot be opened reports on standard error, writes nothing on standard output,
// and the walk goes on with the next pair; the status stays 0.
TEST(ComparePair, MissingFilesAmongSeveralPairs)
{
    ScratchDir dir;
    const std::string ref = dir.file("ref.yuv", make_frames(W, H, 3, flat));
    const std::string trg = dir.file("trg.yuv", make_frames(W, H, 3, distorted));
    const std::string missing = dir / "missing.yuv";
    const ToolResult r =
        run_tool({"-w4", "-h2", ref, trg, missing, trg, ref, missing, ref, trg});
    const std::string one = heading(ref, trg) + distorted_lines(3) + THREE_SUMMARY;
    EXPECT_EQ(r.out, one + one);
    EXPECT_EQ(r.err, "error - failed on _open(" + missing + ") [ref]\n" +
                         "error - failed on _open(" + missing + ") [trg]\n");
    EXPECT_EQ(r.status, 0);
}

// A directory opens but cannot be read: that is an error, not an empty sequence, so it is
// reported; the pair's summary is still written and the status stays 0.
TEST(ComparePair, DirectoryIsAReadError)
{
    ScratchDir dir;
    const std::string ref = dir.file("ref.yuv", make_frames(W, H, 2, flat));
    const ToolResult r = run_tool({"-w4", "-h2", dir.path, ref, ref, dir.path});
    EXPECT_EQ(r.out, empty_report(dir.path, ref) + empty_report(ref, dir.path));
    EXPECT_EQ(r.err, "error - failed on _read(" + dir.path + ") [ref]\n" +
                         "error - failed on _read(" + dir.path + ") [trg]\n");
    EXPECT_EQ(r.status, 0);
}

// Paths reach the report and the messages verbatim, never as a format.
TEST(ComparePair, PathsWithPercentSignsArePrintedVerbatim)
{
    ScratchDir dir;
    const std::string odd = dir.file("%s%n%d %x\xff.yuv", make_frames(W, H, 1, flat));
    const std::string missing = dir / "%n%n%n%s";
    const ToolResult r = run_tool({"-w4", "-h2", odd, odd, missing, odd, odd, missing});
    EXPECT_EQ(r.out, heading(odd, odd) + "    1\t" + CEIL3 + "\n" + summary(CEIL3, CEIL3));
    EXPECT_EQ(r.err, "error - failed on _open(" + missing + ") [ref]\n" +
                         "error - failed on _open(" + missing + ") [trg]\n");
    EXPECT_EQ(r.status, 0);
}

// A target fed through a pipe a few bytes at a time gives the same report as a regular file:
// short reads are completed, not taken for the end of the input.
TEST(ComparePair, TargetThroughAPipeInSmallPieces)
{
    ScratchDir dir;
    const std::string ref = dir.file("ref.yuv", make_frames(W, H, 3, flat));
    const std::vector<uint8_t> trg = make_frames(W, H, 3, distorted);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const RunningTool tool = start_tool({"-w4", "-h2", ref, "/dev/stdin"}, {.stdin_fd = fds[0]});
    close(fds[0]);
    for (size_t i = 0; i < trg.size(); i += 5) {
        const size_t n = std::min<size_t>(5, trg.size() - i);
        ASSERT_EQ(write(fds[1], trg.data() + i, n), ssize_t(n));
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    close(fds[1]);
    const ToolResult r = finish_tool(tool);
    EXPECT_EQ(r.out, heading(ref, "/dev/stdin") + distorted_lines(3) + THREE_SUMMARY);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
}

// /dev/null reads as an empty file on either side.
TEST(ComparePair, DevNullOnEitherSide)
{
    ScratchDir dir;
    const std::string ref = dir.file("ref.yuv", make_frames(W, H, 2, flat));
    const ToolResult r = run_tool({"-w4", "-h2", "/dev/null", ref, ref, "/dev/null"});
    EXPECT_EQ(r.out, empty_report("/dev/null", ref) + empty_report(ref, "/dev/null"));
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
}

// A FIFO whose writer stops in the middle of the third frame: two frames are compared and
// the partial one is dropped, as at the end of a regular file.
TEST(ComparePair, FifoWriterStopsMidFrame)
{
    ScratchDir dir;
    const std::string ref = dir.file("ref.yuv", make_frames(W, H, 3, flat));
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const RunningTool tool = start_tool({"-w4", "-h2", ref, fifo});
    const int fd = open(fifo.c_str(), O_WRONLY);  // waits for the tool to open its end
    ASSERT_GE(fd, 0);
    const std::vector<uint8_t> trg = make_frames(W, H, 3, distorted);
    ASSERT_EQ(write(fd, trg.data(), 2 * FRAME + 5), 2 * FRAME + 5);
    close(fd);
    const ToolResult r = finish_tool(tool);
    EXPECT_EQ(r.out, heading(ref, fifo) + distorted_lines(2) +
                         summary("45.1205\t27.0587\t99.9900", "44.1514\t27.0587\t99.9900"));
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
}

// The largest frame (32768 x 32768, a 3 GiB buffer) with small files answers at once with the
// empty-pair report: the buffer's pages are never touched, so memory stays small.
TEST(ComparePair, LargestFrameWithSmallFiles)
{
    ScratchDir dir;
    const std::string ref = dir.file("ref.yuv", std::vector<uint8_t>(1000, 1));
    const std::string trg = dir.file("trg.yuv", std::vector<uint8_t>(1000, 2));
    const ToolResult r = run_tool({"-w", "32768", "-h", "32768", ref, trg, ref, trg});
    EXPECT_EQ(r.out, empty_report(ref, trg) + empty_report(ref, trg));
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
    if (!FRMCMP_SANITIZED) {  // the sanitizers' shadow memory is not the tool's
        EXPECT_LT(r.max_rss_kib, 32 * 1024);
    }
}

// A buffer that cannot be allocated fails only its pair, before any file is opened.
TEST(ComparePair, NoMemoryForTheBuffer)
{
    if (FRMCMP_SANITIZED)
        GTEST_SKIP() << "the sanitizers need more address space than the limit leaves";
    ScratchDir dir;
    const std::string ref = dir.file("ref.yuv", std::vector<uint8_t>(1000, 1));
    const std::string missing = dir / "missing.yuv";
    const ToolResult r = run_tool({"-w", "32768", "-h", "32768", ref, ref, missing, missing},
                                  {.max_address_space = 1L << 30});
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "error - no enough memory\nerror - no enough memory\n");
    EXPECT_EQ(r.status, 0);
}

// Hundreds of pairs in one run with room for only two files beside the standard streams:
// any descriptor kept past its pair would make a later open fail.
TEST(ComparePair, ManyPairsKeepAtMostTwoFilesOpen)
{
    ScratchDir dir;
    const std::string ref = dir.file("ref.yuv", make_frames(W, H, 3, flat));
    const std::string trg = dir.file("trg.yuv", make_frames(W, H, 3, distorted));
    const std::string missing = dir / "missing.yuv";
    std::vector<std::string> args = {"-w4", "-h2"};
    std::string expected, expected_err;
    const std::string one = heading(ref, trg) + distorted_lines(3) + THREE_SUMMARY;
    for (int k = 0; k < 300; k++) {
        // Every tenth pair fails on its target, after the reference was opened.
        args.push_back(ref);
        args.push_back(k % 10 == 9 ? missing : trg);
        if (k % 10 == 9)
            expected_err += "error - failed on _open(" + missing + ") [trg]\n";
        else
            expected += one;
    }
    const ToolResult r = run_tool(args, {.max_open_files = FRMCMP_SANITIZED ? 16 : 5});
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(r.err, expected_err);
    EXPECT_EQ(r.status, 0);
}
