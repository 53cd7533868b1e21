#include "platform.h"

#include <cerrno>
#include <csignal>
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
