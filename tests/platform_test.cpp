// The sparse write of the platform layer: whatever it skips, the file reads back byte for
// byte as written, and a pipe still gets every byte.
#include "platform/platform.h"
#include "tool_runner.h"
#include "xy_fixtures.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace
{

constexpr uint64_t BLOCK = 4096;

// Creates `path`, writes `lead` with a plain write and `data` with the sparse one.
bool writeSparseFile(const std::string& path, const std::vector<uint8_t>& lead,
                     const std::vector<uint8_t>& data)
{
    OutputFile out{};
    if (!platformCreateOutput(path.c_str(), out))
        return false;
    bool written = platformWriteAll(out, lead.data(), lead.size()) &&
                   platformWriteSparse(out, data.data(), data.size());
    return platformCloseOutput(out) && written;
}

std::vector<uint8_t> concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

uint64_t allocatedBytes(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? uint64_t(info.st_blocks) * 512 : UINT64_MAX;
}

// Whether the file system of `dir` keeps a skipped region as a hole at all.
bool makesHoles(const TempDir& dir)
{
    std::string probe = dir.path("probe");
    int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    bool written = fd >= 0 && pwrite(fd, "x", 1, 1 << 20) == 1;
    if (fd >= 0)
        close(fd);
    bool holes = written && allocatedBytes(probe) < (1 << 20);
    unlink(probe.c_str());
    return holes;
}

TEST(WriteSparse, ReadsBackExactlyAsWritten)
{
    struct Case {
        const char* name;
        uint64_t leadSize;           // bytes written plainly before, so blocks are offset
        uint64_t size;               // bytes written sparsely
        std::vector<uint64_t> bytes; // offsets in the sparse part set to a non-zero byte
    };
    const Case cases[] = {
        {"nothing", 0, 0, {}},
        {"less than a block of zeros", 0, 100, {}},
        {"zeros only, ending in a partial block", 17, 5 * BLOCK + 3, {}},
        {"zeros only, ending on a block boundary", 0, 4 * BLOCK, {}},
        {"first byte and last byte", 17, 6 * BLOCK, {0, 6 * BLOCK - 1}},
        {"either side of block boundaries",
         0,
         8 * BLOCK,
         {BLOCK - 1, 3 * BLOCK, 5 * BLOCK - 1, 5 * BLOCK}},
        {"boundaries of the file, not of the data", 4095, 4 * BLOCK, {0, 1, BLOCK, 2 * BLOCK}},
        {"data after a hole, then a hole to the end", 4096, 10 * BLOCK, {3 * BLOCK + 10}},
        {"no zero block at all", 17, 3 * BLOCK, {0, 4079, 4080, 8175, 8176, 3 * BLOCK - 1}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        std::vector<uint8_t> lead(c.leadSize, 'h');
        std::vector<uint8_t> data(c.size, 0);
        for (uint64_t offset : c.bytes)
            data[offset] = uint8_t(0x80 | offset);
        std::string path = dir.path("out");
        ASSERT_TRUE(writeSparseFile(path, lead, data)) << c.name;
        EXPECT_EQ(fileBytes(path), concat(lead, data)) << c.name;
    }
    // Random sparse contents over random offsets, against the same model.
    std::mt19937_64 random(7);
    for (int round = 0; round < 40; ++round) {
        std::vector<uint8_t> lead(random() % 9000, 'h');
        std::vector<uint8_t> data(random() % (40 * BLOCK), 0);
        for (uint64_t n = random() % 12; n > 0 && !data.empty(); --n)
            data[random() % data.size()] = uint8_t(random() | 1);
        std::string path = dir.path("out");
        ASSERT_TRUE(writeSparseFile(path, lead, data)) << "round " << round;
        EXPECT_EQ(fileBytes(path), concat(lead, data)) << "round " << round;
    }
}

TEST(WriteSparse, LeavesZeroBlocksAsHoles)
{
    TempDir dir;
    if (!makesHoles(dir))
        GTEST_SKIP() << "the file system of " << dir.root() << " keeps no holes";
    const uint64_t size = 64 << 20;
    std::vector<uint8_t> data(size, 0);
    data[size / 2] = 1;
    std::string path = dir.path("out");
    ASSERT_TRUE(writeSparseFile(path, {'P', '4', '\n'}, data));
    EXPECT_EQ(fileBytes(path), concat({'P', '4', '\n'}, data));
    // The header's block, the block with the byte and the last block: a few blocks.
    EXPECT_LT(allocatedBytes(path), 1u << 20);
}

TEST(WriteSparse, APipeGetsEveryByte)
{
    TempDir dir;
    std::string fifo = dir.path("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::vector<uint8_t> data(5 * BLOCK + 7, 0);
    data[2 * BLOCK] = 0x42;
    ToolRun reader;
    std::thread readBack([&] { reader = runCommand({"cat", fifo}); });
    OutputFile out{};
    ASSERT_TRUE(platformCreateOutput(fifo.c_str(), out));
    EXPECT_FALSE(out.isRegular);
    EXPECT_TRUE(platformWriteSparse(out, data.data(), data.size()));
    EXPECT_TRUE(platformCloseOutput(out));
    readBack.join();
    EXPECT_EQ(reader.out, std::string(data.begin(), data.end()));
}

} // namespace
