// Child-process runner and scratch files for the end-to-end tests.
#include "tool_runner.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

const char* const HELP =
    "frmcmp - calc SNR raw 420 files\n"
    "usage: frmcmp [option] ref.420 trg.420 [more.420 pair.420 ..]\n"
    "option:\n"
    "  -w width  (default: 720)\n"
    "  -h height (default: 480)\n";

namespace {

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

ScratchDir::ScratchDir()
{
    std::string tmpl = testing::TempDir() + "frmcmp-XXXXXX";
    if (!mkdtemp(tmpl.data()))
        ADD_FAILURE() << "mkdtemp failed";
    path = tmpl;
}

ScratchDir::~ScratchDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
}

std::string ScratchDir::file(const std::string& name, const std::vector<uint8_t>& bytes) const
{
    const std::string p = *this / name;
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                             std::streamsize(bytes.size()));
    return p;
}

std::vector<uint8_t> make_frames(int w, int h, int n, uint8_t (*fill)(int, int, int))
{
    const int luma = w * h, chroma = (w / 2) * (h / 2);
    std::vector<uint8_t> bytes;
    for (int k = 0; k < n; k++) {
        for (int i = 0; i < luma; i++)
            bytes.push_back(fill(k, 0, i));
        for (int p = 1; p <= 2; p++)
            for (int i = 0; i < chroma; i++)
                bytes.push_back(fill(k, p, i));
    }
    return bytes;
}

std::string nan_text()
{
    volatile double zero = 0.0, inf = INFINITY;
    char text[32];
    snprintf(text, sizeof text, "%.4f", zero * inf);
    return text;
}

RunningTool start_tool(const std::vector<std::string>& args, const ToolOptions& options)
{
    RunningTool tool;
    char out_tmpl[] = "/tmp/frmcmp-out-XXXXXX";
    char err_tmpl[] = "/tmp/frmcmp-err-XXXXXX";
    const int out_fd = mkstemp(out_tmpl);
    const int err_fd = mkstemp(err_tmpl);
    tool.out_path = out_tmpl;
    tool.err_path = err_tmpl;

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(FRMCMP_PATH));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    tool.pid = fork();
    if (tool.pid == 0) {
        const int in_fd = options.stdin_fd >= 0 ? options.stdin_fd : open("/dev/null", O_RDONLY);
        dup2(in_fd, 0);
        if (options.stdout_fd == -2)
            close(1);
        else
            dup2(options.stdout_fd >= 0 ? options.stdout_fd : out_fd, 1);
        dup2(err_fd, 2);
        // Leave the child nothing open but its standard streams.
        for (int fd = 3; fd < 1024; fd++)
            close(fd);
        if (options.max_open_files > 0) {
            const rlimit limit{rlim_t(options.max_open_files), rlim_t(options.max_open_files)};
            setrlimit(RLIMIT_NOFILE, &limit);
        }
        if (options.max_address_space > 0) {
            const rlimit limit{rlim_t(options.max_address_space), rlim_t(options.max_address_space)};
            setrlimit(RLIMIT_AS, &limit);
        }
        execv(FRMCMP_PATH, argv.data());
        _exit(127);
    }
    close(out_fd);
    close(err_fd);
    return tool;
}

ToolResult finish_tool(const RunningTool& tool)
{
    int wstatus = 0;
    rusage usage{};
    wait4(tool.pid, &wstatus, 0, &usage);
    ToolResult r;
    r.out = slurp(tool.out_path);
    r.err = slurp(tool.err_path);
    r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    r.max_rss_kib = usage.ru_maxrss;
    unlink(tool.out_path.c_str());
    unlink(tool.err_path.c_str());
    return r;
}

ToolResult run_tool(const std::vector<std::string>& args, const ToolOptions& options)
{
    return finish_tool(start_tool(args, options));
}
