// Runs the built programs as a user would, and captures what they print.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ToolRun {
    int status = -1; // exit status, or -1 when the program did not exit normally
    std::string out; // everything written to standard output
    std::string err; // everything written to standard error
};

struct RunOptions {
    bool emptyArgv = false;     // start the program with no argument vector at all
    long uid = -1;              // run as this user (needs root), when not -1
    int64_t fileSizeLimit = -1; // RLIMIT_FSIZE in bytes, when not -1
    int64_t memoryLimit = -1;   // RLIMIT_AS in bytes, when not -1
    bool stdoutFull = false;    // standard output on /dev/full, where every write fails
};

enum class Tool { Skydump, Skyload };

// The path of a built program: $SKYDUMP / $SKYLOAD when set (the Windows builds under
// an emulator), otherwise the one built beside the tests.
std::string toolPath(Tool tool);

// The name `tool` finds as the first element of its argument vector when run by
// runTool: its path, which Wine hands to a Windows program in the DOS form
// ("Z:\\dir\\skydump.exe").
std::string invokedName(Tool tool);

// The DOS form of `path` as the emulator (Wine) shows it to a Windows program, or
// `path` itself when not under the emulator.
std::string windowsPath(const std::string& path);

// Runs `tool` with `args` after its name, under $SKY_EMULATOR when that is set.
ToolRun runTool(Tool tool, const std::vector<std::string>& args, const RunOptions& options = {});

// Runs the build of `tool` made beside the tests (the Linux one), never under the
// emulator: a reference for the Windows programs.
ToolRun runNativeTool(Tool tool, const std::vector<std::string>& args);

// The banner and "Compiled" line of the build made beside the tests.
std::string nativeBannerOf(Tool tool);

// Runs any program, found on PATH, with its own name as argument 0.
ToolRun runCommand(const std::vector<std::string>& argv);

// True when $SKY_EMULATOR is set: the programs are Windows builds.
bool underEmulator();

// Standard output as the program prints it: each "\n" becomes "\r\n" for Windows builds.
std::string screen(const std::string& text);

// The banner and "Compiled" line that every run of `tool` begins with.
std::string bannerOf(Tool tool);

// True when `program` is found on PATH.
bool haveProgram(const std::string& program);

// A fresh directory under the system's temporary directory, removed with everything in
// it when the object goes away.
class TempDir
{
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string path(const std::string& name) const { return root_ + "/" + name; }
    const std::string& root() const { return root_; }

  private:
    std::string root_;
};
