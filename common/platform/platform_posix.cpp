#include "platform.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

int fdOf(intptr_t handle)
{
    return static_cast<int>(handle);
}

// The granularity of holes: the block size of common Linux file systems. A skipped run
// that does not cover whole blocks of the file system is simply filled with zeros by it.
constexpr uint64_t HOLE_BLOCK = 4096;

// True when the `size` bytes at `data` are all 0. Tests a cache line at a time: the OR of
// eight words is one branch per 64 bytes.
bool isAllZero(const uint8_t* data, uint64_t size)
{
    uint64_t i = 0;
    for (; i + 64 <= size; i += 64) {
        uint64_t w[8];
        std::memcpy(w, data + i, sizeof w);
        if ((w[0] | w[1] | w[2] | w[3] | w[4] | w[5] | w[6] | w[7]) != 0)
            return false;
    }
    for (; i < size; ++i)
        if (data[i] != 0)
            return false;
    return true;
}

} // namespace

MapResult platformOpenAndMap(const char* path, ToolMode mode, MappedXyFile& xy)
{
    bool writable = mode == ToolMode::ReadWrite;
    // O_NONBLOCK so that a FIFO named as the XY file is refused instead of waiting
    // for a writer; it changes nothing for a regular file.
    int fd = open(path, (writable ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return MapResult::CantOpen;
    struct stat info;
    // Only a regular file can be an XY file; a directory or a device is not one,
    // just as a Windows open of it fails.
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return MapResult::CantOpen;
    }
    uint64_t length = uint64_t(info.st_size);
    if (length == 0 || length > SIZE_MAX) {
        close(fd);
        return MapResult::CantMap;
    }
    int protection = writable ? PROT_READ | PROT_WRITE : PROT_READ;
    void* base = mmap(nullptr, size_t(length), protection, MAP_SHARED, fd, 0);
    if (base == MAP_FAILED) {
        close(fd);
        return MapResult::CantMap;
    }
    xy = MappedXyFile{mode, fd, -1, static_cast<uint8_t*>(base), length};
    return MapResult::Ok;
}

bool platformFlushView(const MappedXyFile& xy)
{
    return msync(xy.base, size_t(xy.length), MS_SYNC) == 0;
}

void platformRelease(MappedXyFile& xy)
{
    munmap(xy.base, size_t(xy.length));
    close(fdOf(xy.file));
    xy.base = nullptr;
    xy.file = -1;
}

Identity platformIdentify(const MappedXyFile& xy, const char* path)
{
    struct stat mapped;
    struct stat named;
    if (fstat(fdOf(xy.file), &mapped) != 0 || stat(path, &named) != 0)
        return Identity::Different;
    bool same = mapped.st_dev == named.st_dev && mapped.st_ino == named.st_ino;
    return same ? Identity::Same : Identity::Different;
}

bool platformCreateOutput(const char* path, OutputFile& out)
{
    // A pipe whose reader has gone must fail the write with a message, not end the
    // process silently.
    signal(SIGPIPE, SIG_IGN);
    int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    struct stat info;
    out = OutputFile{fd, fstat(fd, &info) == 0 && S_ISREG(info.st_mode)};
    return true;
}

bool platformWriteAll(OutputFile& out, const uint8_t* data, uint64_t size)
{
    // One write call takes at most a little under 2 GiB on Linux; ask for 1 GiB at a time.
    const uint64_t chunk = uint64_t(1) << 30;
    while (size > 0) {
        size_t want = size_t(size < chunk ? size : chunk);
        ssize_t done = write(fdOf(out.handle), data, want);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        data += done;
        size -= uint64_t(done);
    }
    return true;
}

bool platformWriteSparse(OutputFile& out, const uint8_t* data, uint64_t size)
{
    int fd = fdOf(out.handle);
    off_t start = out.isRegular ? lseek(fd, 0, SEEK_CUR) : off_t(-1);
    if (start < 0)
        return platformWriteAll(out, data, size);
    // Blocks are aligned to the file's offsets, not to `data`, so that a skipped block
    // is a whole block of the file system and becomes a hole.
    uint64_t position = uint64_t(start);
    uint64_t pending = 0;   // first byte of `data` neither written nor skipped
    bool seekFirst = false; // the file offset is behind `pending`, past a hole
    for (uint64_t i = 0; i < size;) {
        uint64_t end = i + (HOLE_BLOCK - (position + i) % HOLE_BLOCK);
        if (end >= size)
            break; // the last block is written whatever it holds
        if (isAllZero(data + i, end - i)) {
            if (pending < i) {
                if (seekFirst && lseek(fd, off_t(position + pending), SEEK_SET) < 0)
                    return false;
                if (!platformWriteAll(out, data + pending, i - pending))
                    return false;
            }
            pending = end;
            seekFirst = true;
        }
        i = end;
    }
    if (seekFirst && lseek(fd, off_t(position + pending), SEEK_SET) < 0)
        return false;
    return platformWriteAll(out, data + pending, size - pending);
}

bool platformCloseOutput(OutputFile& out)
{
    int result = close(fdOf(out.handle));
    out.handle = -1;
    return result == 0;
}

void platformRemoveFile(const char* path)
{
    unlink(path);
}
