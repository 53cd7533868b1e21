// What a user gets: `cmake --install` and the Debian package built by CPack carry the
// two programs and their manual pages, and nothing meant for developers.
#include "xy_fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>

namespace
{

const std::string SOURCE_DIR = SKY_SOURCE_DIR;
const std::string BINARY_DIR = SKY_BINARY_DIR;

// Every regular file under `root`, as a path relative to it, sorted.
std::vector<std::string> filesUnder(const std::string& root)
{
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files.push_back(entry.path().lexically_relative(root).string());
    std::sort(files.begin(), files.end());
    return files;
}

TEST(Install, PutsTheProgramsAndTheirManualPagesUnderThePrefix)
{
    TempDir prefix;
    ToolRun install =
        runCommand({SKY_CMAKE_COMMAND, "--install", BINARY_DIR, "--prefix", prefix.root()});
    ASSERT_EQ(install.status, 0) << install.out << install.err;
    const std::vector<std::string> expected = {
        "bin/skydump", "bin/skyload", "share/man/man1/skydump.1", "share/man/man1/skyload.1"};
    EXPECT_EQ(filesUnder(prefix.root()), expected);
    for (const char* page : {"skydump.1", "skyload.1"})
        EXPECT_EQ(fileBytes(prefix.path("share/man/man1/") + page),
                  fileBytes(SOURCE_DIR + "/docs/" + page))
            << page;
    // The installed programs are the ones built here, and they run.
    for (const char* program : {"skydump", "skyload"}) {
        std::string path = prefix.path("bin/") + program;
        struct stat info {
        };
        ASSERT_EQ(stat(path.c_str(), &info), 0) << path;
        EXPECT_TRUE(info.st_mode & S_IXUSR) << path;
        ToolRun run = runCommand({path});
        EXPECT_EQ(run.status, 1) << path;
        EXPECT_EQ(run.out.rfind(std::string(program) + " - v1.01\n", 0), 0u) << run.out;
    }
}

// The "./usr/..." paths of the files in a package listing of `dpkg-deb -c`.
std::vector<std::string> packagedFiles(const std::string& listing)
{
    std::vector<std::string> files;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] != '-') // directories and links are not files
            continue;
        files.push_back(line.substr(line.rfind(' ') + 1));
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(DebianPackage, HoldsTheProgramsAndTheirManualPages)
{
    for (const char* program : {"dpkg-deb", "dpkg-shlibdeps"})
        if (!haveProgram(program))
            GTEST_SKIP() << program << " is not installed (apt-get install dpkg-dev)";
    TempDir out;
    ToolRun cpack = runCommand({SKY_CPACK_COMMAND, "-G", "DEB", "--config",
                                BINARY_DIR + "/CPackConfig.cmake", "-B", out.root()});
    ASSERT_EQ(cpack.status, 0) << cpack.out << cpack.err;
    std::string deb;
    for (const auto& entry : std::filesystem::directory_iterator(out.root()))
        if (entry.path().extension() == ".deb")
            deb = entry.path().string();
    ASSERT_FALSE(deb.empty()) << "no .deb in " << out.root() << ":\n" << cpack.out;
    EXPECT_EQ(std::filesystem::path(deb).filename().string().rfind("skytools_1.01_", 0), 0u) << deb;

    ToolRun contents = runCommand({"dpkg-deb", "-c", deb});
    ASSERT_EQ(contents.status, 0) << contents.err;
    const std::vector<std::string> expected = {"./usr/bin/skydump", "./usr/bin/skyload",
                                               "./usr/share/man/man1/skydump.1",
                                               "./usr/share/man/man1/skyload.1"};
    EXPECT_EQ(packagedFiles(contents.out), expected) << contents.out;

    ToolRun fields = runCommand({"dpkg-deb", "-f", deb, "Package", "Version", "Depends"});
    ASSERT_EQ(fields.status, 0) << fields.err;
    EXPECT_NE(fields.out.find("Package: skytools\n"), std::string::npos) << fields.out;
    EXPECT_NE(fields.out.find("Version: 1.01\n"), std::string::npos) << fields.out;
    // Read from the programs by dpkg-shlibdeps: they need the C and C++ runtimes.
    EXPECT_NE(fields.out.find("libc6"), std::string::npos) << fields.out;
    EXPECT_NE(fields.out.find("libstdc++6"), std::string::npos) << fields.out;
}

} // namespace
