#include "editors.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <unistd.h>

namespace
{

bool isCompiledProgram(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    char magic[4] = {};
    size_t got = std::fread(magic, 1, sizeof magic, file);
    std::fclose(file);
    return got == 4 && magic[0] == 0x7F && magic[1] == 'E' && magic[2] == 'L' && magic[3] == 'F';
}

bool isImageMagick(const std::string& path)
{
    if (access(path.c_str(), X_OK) != 0 || !isCompiledProgram(path))
        return false;
    ToolRun version = runCommand({path, "-version"});
    return version.status == 0 && version.out.find("ImageMagick") != std::string::npos;
}

} // namespace

std::string imageMagick(const std::string& program)
{
    std::vector<std::string> candidates = {"/usr/bin/" + program};
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path != nullptr ? path : "");
    for (std::string dir; std::getline(dirs, dir, ':');)
        if (!dir.empty())
            candidates.push_back(dir + "/" + program);
    for (const std::string& candidate : candidates)
        if (isImageMagick(candidate))
            return candidate;
    return "";
}

std::string pythonWithPillow()
{
    const std::string python = "/usr/bin/python3";
    if (access(python.c_str(), X_OK) != 0)
        return "";
    return runCommand({python, "-c", "import PIL.Image"}).status == 0 ? python : "";
}

ToolRun runShell(const std::string& line)
{
    return runCommand({"/bin/sh", "-c", line});
}

std::string shellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

bool imageMagickPixels(const std::string& convert, const std::string& path,
                       std::vector<Pixel>& black)
{
    // White made transparent, sparse-color lists only the pixels left: "x,y,colour"
    // separated by spaces.
    ToolRun run =
        runCommand({convert, path, "-alpha", "set", "-transparent", "white", "sparse-color:-"});
    if (run.status != 0)
        return false;
    black.clear();
    std::istringstream entries(run.out);
    for (std::string entry; entries >> entry;) {
        unsigned column = 0;
        unsigned row = 0;
        char colour[32] = {};
        if (std::sscanf(entry.c_str(), "%u,%u,%31s", &column, &row, colour) != 3 ||
            std::string(colour).rfind("graya(0,", 0) != 0)
            return false;
        black.push_back({column, row});
    }
    std::sort(black.begin(), black.end());
    return true;
}
