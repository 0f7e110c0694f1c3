// Random command lines through the whole driver: never a crash, never a hang, always a
// status of 0 or 1, and parse_options keeps its contract whenever it accepts the line.
//
// The input is split at NUL bytes into at most 16 arguments. The run happens in an empty
// scratch directory holding only the small files "a" and "b", and inputs containing '/' are
// skipped, so a command line can name nothing but those files and the directories "." and
// "..": no input reaches a real file or an endless one such as /dev/zero. Give libFuzzer
// absolute paths for its corpus and artifacts, since the working directory changes.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "driver.h"

namespace {

void write_small_file(const char* name, size_t bytes, uint8_t value)
{
    const int fd = open(name, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<uint8_t> data(bytes, value);
    if (fd < 0 || write(fd, data.data(), data.size()) != ssize_t(data.size()))
        abort();
    close(fd);
}

void fail(const char* what)
{
    fprintf(stderr, "fuzz_options: %s\n", what);
    abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char dir[] = "/tmp/frmcmp-fuzz-options-XXXXXX";
    if (!mkdtemp(dir) || chdir(dir) != 0)
        abort();
    write_small_file("a", 6 * 5, 1);  // five 2 x 2 frames
    write_small_file("b", 6 * 3, 9);  // three
    // The reports go nowhere; run with -close_fd_mask=2 to silence the messages as well.
    const int null = open("/dev/null", O_WRONLY);
    if (null < 0 || dup2(null, 1) < 0)
        abort();
    close(null);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (memchr(data, '/', size))
        return 0;
    std::vector<std::string> words;
    std::string word;
    for (size_t i = 0; i < size && words.size() < 16; i++) {
        if (data[i] == 0) {
            words.push_back(word);
            word.clear();
        } else {
            word += char(data[i]);
        }
    }
    if (size > 0 && words.size() < 16)
        words.push_back(word);

    std::vector<char*> argv;
    std::string program = "frmcmp";
    argv.push_back(program.data());
    for (std::string& w : words)
        argv.push_back(w.data());
    const int argc = int(argv.size());
    argv.push_back(nullptr);

    FrameSize fs{-1, -1};
    const int first = parse_options(fs, argc, argv.data());
    if (first != OPTIONS_FAILED) {
        if (first < 1 || first > argc)
            fail("first file index out of range");
        if (fs.width < 2 || fs.width > MAX_DIMENSION || fs.width % 2 || fs.height < 2 ||
            fs.height > MAX_DIMENSION || fs.height % 2)
            fail("invalid dimensions accepted");
        if (first < argc - 1 && argv[size_t(first)][0] == '-')
            fail("stopped on an option");
    }

    const int status = frmcmp_main(argc, argv.data());
    if (status != 0 && status != 1)
        fail("status other than 0 or 1");
    if ((first == OPTIONS_FAILED || first + 1 >= argc) != (status == 1))
        fail("status disagrees with the command line");
    return 0;
}
