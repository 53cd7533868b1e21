#include "tool_runner.h"

#include "tool_frame.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#ifndef SKYDUMP_BUILT
#error "SKYDUMP_BUILT must name the built skydump"
#endif

namespace
{

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string envOr(const char* name, const std::string& fallback)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : fallback;
}

ToolRun runArgv(std::vector<std::string> argv, const RunOptions& options)
{
    TempDir capture;
    std::string outPath = capture.path("stdout");
    std::string errPath = capture.path("stderr");
    // A file-size limit would cut the captured output short too, so standard output then
    // goes through a pipe, which no limit applies to. Not always: a Windows build under
    // the emulator can leave a server process holding the pipe open after it exits.
    int outPipe[2] = {-1, -1};
    if (options.fileSizeLimit >= 0 && pipe(outPipe) != 0)
        return ToolRun{};
    pid_t child = fork();
    if (child == 0) {
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int nothing = open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || nothing < 0)
            _exit(126);
        dup2(nothing, 0);
        if (options.stdoutFull) {
            int full = open("/dev/full", O_WRONLY);
            if (full < 0)
                _exit(126);
            dup2(full, 1);
        } else if (outPipe[1] >= 0) {
            dup2(outPipe[1], 1);
            close(outPipe[0]);
            close(outPipe[1]);
        } else {
            dup2(out, 1);
        }
        dup2(err, 2);
        if (options.fileSizeLimit >= 0) {
            // Ignored, SIGXFSZ stays ignored across exec: the write fails with EFBIG.
            signal(SIGXFSZ, SIG_IGN);
            struct rlimit limit = {rlim_t(options.fileSizeLimit), rlim_t(options.fileSizeLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (options.memoryLimit >= 0) {
            struct rlimit limit = {rlim_t(options.memoryLimit), rlim_t(options.memoryLimit)};
            setrlimit(RLIMIT_AS, &limit);
        }
        if (options.uid >= 0 &&
            (setgid(gid_t(options.uid)) != 0 || setuid(uid_t(options.uid)) != 0))
            _exit(125);
        std::vector<char*> raw;
        for (std::string& arg : argv)
            raw.push_back(arg.data());
        raw.push_back(nullptr);
        std::string file = argv[0];
        if (options.emptyArgv) {
            char* none[] = {nullptr};
            execve(file.c_str(), none, environ);
        } else {
            execvp(file.c_str(), raw.data());
        }
        _exit(127);
    }
    ToolRun run;
    if (outPipe[0] >= 0) {
        // Read to the end before waiting, so that a long output cannot fill the pipe.
        close(outPipe[1]);
        char buffer[4096];
        ssize_t got = 0;
        while ((got = read(outPipe[0], buffer, sizeof buffer)) != 0) {
            if (got > 0)
                run.out.append(buffer, size_t(got));
            else if (errno != EINTR)
                break;
        }
        close(outPipe[0]);
    }
    int wstatus = 0;
    if (child > 0 && waitpid(child, &wstatus, 0) == child && WIFEXITED(wstatus))
        run.status = WEXITSTATUS(wstatus);
    if (outPipe[0] < 0)
        run.out = slurp(outPath);
    run.err = slurp(errPath);
    return run;
}

} // namespace

std::string toolPath(Tool tool)
{
    return tool == Tool::Skydump ? envOr("SKYDUMP", SKYDUMP_BUILT)
                                 : envOr("SKYLOAD", SKYLOAD_BUILT);
}

std::string windowsPath(const std::string& path)
{
    if (!underEmulator())
        return path;
    ToolRun run = runCommand({"winepath", "-w", path});
    std::string name = run.out.substr(0, run.out.find_first_of("\r\n"));
    return run.status == 0 && !name.empty() ? name : path;
}

std::string invokedName(Tool tool)
{
    return windowsPath(toolPath(tool));
}

bool underEmulator()
{
    return !envOr("SKY_EMULATOR", "").empty();
}

ToolRun runTool(Tool tool, const std::vector<std::string>& args, const RunOptions& options)
{
    std::vector<std::string> argv;
    if (underEmulator())
        argv.push_back(envOr("SKY_EMULATOR", ""));
    argv.push_back(toolPath(tool));
    argv.insert(argv.end(), args.begin(), args.end());
    return runArgv(argv, options);
}

ToolRun runNativeTool(Tool tool, const std::vector<std::string>& args)
{
    std::vector<std::string> argv = {tool == Tool::Skydump ? SKYDUMP_BUILT : SKYLOAD_BUILT};
    argv.insert(argv.end(), args.begin(), args.end());
    return runArgv(argv, {});
}

ToolRun runCommand(const std::vector<std::string>& argv)
{
    return runArgv(argv, {});
}

std::string screen(const std::string& text)
{
    if (!underEmulator())
        return text;
    std::string crlf;
    for (char c : text) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    return crlf;
}

namespace
{

std::string bannerText(Tool tool, const std::string& stamp)
{
    std::string name = tool == Tool::Skydump ? "skydump" : "skyload";
    return name + " - v1.01\nCompiled " + stamp + "\n";
}

} // namespace

std::string bannerOf(Tool tool)
{
    // Programs built elsewhere (the Windows ones) carry their own build's stamp.
    return screen(bannerText(tool, envOr("SKY_EXPECTED_STAMP", BUILD_TIMESTAMP)));
}

std::string nativeBannerOf(Tool tool)
{
    return bannerText(tool, BUILD_TIMESTAMP);
}

bool haveProgram(const std::string& program)
{
    std::string path = envOr("PATH", "/usr/bin:/bin");
    std::stringstream dirs(path);
    std::string dir;
    while (std::getline(dirs, dir, ':'))
        if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0)
            return true;
    return false;
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "skytest-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::abort();
    }
    root_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}
