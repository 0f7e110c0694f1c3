// Runs the built frmcmp executable as a child process and collects what it wrote.
#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

struct ToolResult {
    std::string out;      // everything written on standard output
    std::string err;      // everything written on standard error
    int status;           // exit status, or 128 + signal number
    long max_rss_kib;     // peak resident memory of the child
};

struct ToolOptions {
    int stdin_fd = -1;        // -1: /dev/null
    int stdout_fd = -1;       // -1: captured; -2: closed; otherwise that descriptor
    long max_open_files = 0;  // RLIMIT_NOFILE for the child; 0 leaves it alone
    long max_address_space = 0;  // RLIMIT_AS in bytes; 0 leaves it alone
};

struct RunningTool {
    pid_t pid;
    std::string out_path;
    std::string err_path;
};

RunningTool start_tool(const std::vector<std::string>& args, const ToolOptions& options = {});
ToolResult finish_tool(const RunningTool& tool);
ToolResult run_tool(const std::vector<std::string>& args, const ToolOptions& options = {});

// The help text exactly as the tool prints it.
extern const char* const HELP;

// A fresh directory for one test's files, removed with everything in it by the destructor.
struct ScratchDir {
    std::string path;
    ScratchDir();
    ~ScratchDir();
    std::string file(const std::string& name, const std::vector<uint8_t>& bytes) const;
    std::string operator/(const std::string& name) const { return path + "/" + name; }
};

// n frames of w x h in planar 4:2:0, every sample of frame k at plane p set by fill(k, p, i).
std::vector<uint8_t> make_frames(int w, int h, int n, uint8_t (*fill)(int frame, int plane, int i));

// "%.4f" of the platform's NaN from 0 x infinity, as the average line of an empty pair shows.
std::string nan_text();
