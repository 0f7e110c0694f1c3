// The command line, end to end: option forms, validation messages, help text, exit status.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "tool_runner.h"

namespace {

// What standard output should hold for the run.
enum class Report {
    none,         // nothing: the command line was refused
    one_frame,    // pair (A, B) read as 4 x 2 frames: one frame line
    no_frames,    // pair (A, B) read with a frame larger than the files: no frame line
};

struct OptionCase {
    const char* what;
    std::vector<std::string> args;  // "A", "B", "C" stand for the scratch files
    Report report;
    std::string err;  // standard error before any help text
    bool help;        // whether the help text follows
    int status;
};

const std::string ONE_FRAME_LINE = "    1\t99.9900\t99.9900\t99.9900\n";

std::string pair_report(const std::string& a, const std::string& b, const std::string& lines,
                        const std::string& avg)
{
    return "SNR(" + a + ", " + b + ")\nfrm\tY SNR\tCb SNR\tCr SNR\n----\n" + lines + "----\n" +
           "avg\t" + avg + "\t" + avg + "\t" + avg + "\ntotal\t99.9900\t99.9900\t99.9900\n----\n\n";
}

const std::vector<OptionCase> OPTION_CASES = {
    {"no arguments", {}, Report::none, "", true, 1},
    {"a single file", {"A"}, Report::none, "", true, 1},
    {"a lone -w is the last argument, not an option", {"-w"}, Report::none, "", true, 1},
    {"attached value needs a following argument", {"-w351"}, Report::none, "", true, 1},
    {"separate value is read as an option", {"-w", "351"}, Report::none,
     "error - invalid width=351\n", true, 1},
    {"attached values", {"-w4", "-h2", "A", "B"}, Report::one_frame, "", false, 0},
    {"separate values", {"-w", "4", "-h", "2", "A", "B"}, Report::one_frame, "", false, 0},
    {"an odd last file is ignored", {"-w", "4", "-h", "2", "A", "B", "C"}, Report::one_frame, "",
     false, 0},
    {"the last repeated option counts", {"-w", "8", "-h2", "-w", "4", "A", "B"},
     Report::one_frame, "", false, 0},
    {"leading blanks, a plus sign and trailing text", {"-w", " \t+4px", "-h", "\n2", "A", "B"},
     Report::one_frame, "", false, 0},
    {"values wrap modulo 2^32", {"-w", "4294967300", "-h", "2", "A", "B"}, Report::one_frame, "",
     false, 0},
    {"defaults are 720 x 480", {"A", "B"}, Report::no_frames, "", false, 0},
    {"largest dimensions", {"-w", "32768", "-h", "32768", "A", "B"}, Report::no_frames, "", false,
     0},
    {"unknown letter", {"-x", "A", "B"}, Report::none, "error - unknown option '-x' is specified\n",
     true, 1},
    {"options are lower case", {"-W", "4", "A", "B"}, Report::none,
     "error - unknown option '-W' is specified\n", true, 1},
    {"a double hyphen", {"--w", "A", "B"}, Report::none,
     "error - unknown option '--' is specified\n", true, 1},
    {"a lone hyphen names its terminating NUL", {"-", "A", "B"}, Report::none,
     std::string("error - unknown option '-") + '\0' + "' is specified\n", true, 1},
    {"an unknown last argument is never read", {"-x"}, Report::none, "", true, 1},
    {"an unknown option after a value is the last argument", {"-w", "352", "-x"}, Report::none,
     "", true, 1},
    {"nothing after an unknown option is validated", {"-w", "3", "-x", "A", "B"}, Report::none,
     "error - unknown option '-x' is specified\n", true, 1},
    {"both dimensions invalid, width first", {"-w", "351", "-h", "289", "A", "B"}, Report::none,
     "error - invalid width=351\nerror - invalid height=289\n", true, 1},
    {"above the largest width", {"-w", "32770", "A", "B"}, Report::none,
     "error - invalid width=32770\n", true, 1},
    {"negative height", {"-h", "-2", "A", "B"}, Report::none, "error - invalid height=-2\n", true,
     1},
    {"zero width", {"-w", "0", "A", "B"}, Report::none, "error - invalid width=0\n", true, 1},
    {"zero height", {"-h0", "A", "B"}, Report::none, "error - invalid height=0\n", true, 1},
    {"text without digits reads as 0", {"-w", "abc", "A", "B"}, Report::none,
     "error - invalid width=0\n", true, 1},
    {"a following option is read as a value", {"-h", "-w", "A", "B"}, Report::none,
     "error - invalid height=0\n", true, 1},
    {"wrapping into the negative range", {"-w", "2147483648", "A", "B"}, Report::none,
     "error - invalid width=-2147483648\n", true, 1},
    {"options without any file", {"-w", "4", "-h", "2"},
     Report::none, "", true, 1},
};

// Names the case in failure messages instead of dumping its bytes.
void PrintTo(const OptionCase& c, std::ostream* os)
{
    *os << c.what;
}

class OptionTable : public testing::TestWithParam<OptionCase> {};

TEST_P(OptionTable, OutputErrorsAndStatus)
{
    const OptionCase& c = GetParam();
    ScratchDir dir;
    const std::vector<uint8_t> frame(12, 9);  // one 4 x 2 frame
    const std::string a = dir.file("a.yuv", frame), b = dir.file("b.yuv", frame),
                      cpath = dir.file("c.yuv", frame);
    std::vector<std::string> args;
    for (const std::string& arg : c.args)
        args.push_back(arg == "A" ? a : arg == "B" ? b : arg == "C" ? cpath : arg);

    const ToolResult r = run_tool(args);

    std::string out;
    if (c.report == Report::one_frame)
        out = pair_report(a, b, ONE_FRAME_LINE, "99.9900");
    else if (c.report == Report::no_frames)
        out = pair_report(a, b, "", nan_text());
    EXPECT_EQ(r.out, out);
    EXPECT_EQ(r.err, c.err + (c.help ? HELP : ""));
    EXPECT_EQ(r.status, c.status);
}

INSTANTIATE_TEST_SUITE_P(Cases, OptionTable, testing::ValuesIn(OPTION_CASES),
                         [](const testing::TestParamInfo<OptionCase>& param) {
                             return "case" + std::to_string(param.index);
                         });

// Arguments after the first file path are file paths, whatever they look like: here the
// second pair is (-w, 352), whose reference cannot be opened. The walk still succeeds.
TEST(Driver, OptionsAfterTheFirstFileAreFiles)
{
    ScratchDir dir;
    const std::string a = dir.file("a.yuv", {}), b = dir.file("b.yuv", {});
    const ToolResult r = run_tool({"-w", "4", "-h", "2", a, b, "-w", "352"});
    EXPECT_EQ(r.out, pair_report(a, b, "", nan_text()));
    EXPECT_EQ(r.err, "error - failed on _open(-w) [ref]\n");
    EXPECT_EQ(r.status, 0);
}

}  // namespace

namespace {

// A report that cannot be written is a failure, never a silent success: the message comes
// once, no further pair is compared, and the status is 1.
TEST(Driver, ReportThatCannotBeWritten)
{
    ScratchDir dir;
    // 400 frames of 2 x 2 make a table far larger than the output buffer, so the failure
    // shows during the first pair and the second pair (with its missing file) is never tried.
    const std::string big = dir.file("big.yuv", std::vector<uint8_t>(6 * 400, 5));
    const std::string missing = dir / "missing.yuv";
    const int full = open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    const std::string message = "error - failed on writing to standard output\n";

    ToolResult r = run_tool({"-w2", "-h2", big, big, missing, big}, {.stdout_fd = full});
    EXPECT_EQ(r.err, message);
    EXPECT_EQ(r.status, 1);

    // A small report fails only at the final flush: still reported.
    const std::string small = dir.file("small.yuv", std::vector<uint8_t>(6, 5));
    r = run_tool({"-w2", "-h2", small, small}, {.stdout_fd = full});
    EXPECT_EQ(r.err, message);
    EXPECT_EQ(r.status, 1);
    close(full);

    // A closed standard output.
    r = run_tool({"-w2", "-h2", big, big, missing, big}, {.stdout_fd = -2});
    EXPECT_EQ(r.err, message);
    EXPECT_EQ(r.status, 1);

    // Nothing to write but the help text: standard output is not involved.
    r = run_tool({"-w2"}, {.stdout_fd = -2});
    EXPECT_EQ(r.err, HELP);
    EXPECT_EQ(r.status, 1);
}

}  // namespace
