#include "platform.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace
{

HANDLE handleOf(intptr_t value)
{
    return reinterpret_cast<HANDLE>(value);
}

intptr_t valueOf(HANDLE handle)
{
    return reinterpret_cast<intptr_t>(handle);
}

// Both tools let other programs (the game, an editor) keep the XY file open meanwhile.
const DWORD SHARE_READ_WRITE = FILE_SHARE_READ | FILE_SHARE_WRITE;

// The bytes of the view that are really there. The length is read once the mapping
// exists, because from then on the file cannot shrink below the mapped size; a file
// grown meanwhile by another program is seen only as far as the view reaches.
uint64_t viewedLength(HANDLE file, const void* view)
{
    LARGE_INTEGER size;
    MEMORY_BASIC_INFORMATION region;
    if (!GetFileSizeEx(file, &size) || VirtualQuery(view, &region, sizeof region) == 0)
        return 0;
    uint64_t length = uint64_t(size.QuadPart);
    return length < region.RegionSize ? length : uint64_t(region.RegionSize);
}

} // namespace

MapResult platformOpenAndMap(const char* path, ToolMode mode, MappedXyFile& xy)
{
    bool writable = mode == ToolMode::ReadWrite;
    DWORD access = writable ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    // A directory fails here, as it needs FILE_FLAG_BACKUP_SEMANTICS to be opened.
    HANDLE file = CreateFileA(path, access, SHARE_READ_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return MapResult::CantOpen;
    // Devices such as NUL or CON open like files, but only a disk file can be an XY
    // file; refused like a directory, as on POSIX.
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return MapResult::CantOpen;
    }
    // An empty file has nothing to map (the system refuses a mapping of size 0), and a
    // 32-bit process cannot map a file of 4 GiB or more whole.
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart == 0 || uint64_t(size.QuadPart) > SIZE_MAX) {
        CloseHandle(file);
        return MapResult::CantMap;
    }
    DWORD protection = writable ? PAGE_READWRITE : PAGE_READONLY;
    HANDLE mapping = CreateFileMappingA(file, nullptr, protection, 0, 0, nullptr);
    if (mapping == nullptr) {
        CloseHandle(file);
        return MapResult::CantMap;
    }
    DWORD viewAccess = writable ? FILE_MAP_READ | FILE_MAP_WRITE : FILE_MAP_READ;
    void* view = MapViewOfFile(mapping, viewAccess, 0, 0, 0);
    uint64_t length = view != nullptr ? viewedLength(file, view) : 0;
    if (length == 0) {
        if (view != nullptr)
            UnmapViewOfFile(view);
        CloseHandle(mapping);
        CloseHandle(file);
        return MapResult::CantMap;
    }
    xy = MappedXyFile{mode, valueOf(file), valueOf(mapping), static_cast<uint8_t*>(view), length};
    return MapResult::Ok;
}

bool platformFlushView(const MappedXyFile& xy)
{
    // FlushViewOfFile only hands the dirty pages to the system; FlushFileBuffers waits
    // until they are on the disk.
    return FlushViewOfFile(xy.base, 0) != 0 && FlushFileBuffers(handleOf(xy.file)) != 0;
}

void platformRelease(MappedXyFile& xy)
{
    UnmapViewOfFile(xy.base);
    CloseHandle(handleOf(xy.mapping));
    CloseHandle(handleOf(xy.file));
    xy.base = nullptr;
    xy.mapping = valueOf(nullptr);
    xy.file = valueOf(INVALID_HANDLE_VALUE);
}

Identity platformIdentify(const MappedXyFile& xy, const char* path)
{
    // No access asked, only the file's attributes: that never conflicts with the way
    // another program shares the file. FILE_FLAG_BACKUP_SEMANTICS lets a directory open
    // too, so that it compares as a different file.
    HANDLE named = CreateFileA(path, 0, SHARE_READ_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (named == INVALID_HANDLE_VALUE)
        return Identity::Different;
    BY_HANDLE_FILE_INFORMATION mappedInfo;
    BY_HANDLE_FILE_INFORMATION namedInfo;
    bool known = GetFileInformationByHandle(handleOf(xy.file), &mappedInfo) != 0 &&
                 GetFileInformationByHandle(named, &namedInfo) != 0;
    CloseHandle(named);
    // Names can differ in case, in short and long forms, through links or drive
    // letters; the volume and the index within it name the file itself.
    bool same = known && mappedInfo.dwVolumeSerialNumber == namedInfo.dwVolumeSerialNumber &&
                mappedInfo.nFileIndexHigh == namedInfo.nFileIndexHigh &&
                mappedInfo.nFileIndexLow == namedInfo.nFileIndexLow;
    return same ? Identity::Same : Identity::Different;
}

bool platformCreateOutput(const char* path, OutputFile& out)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, SHARE_READ_WRITE, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    // NUL, CON or a pipe can be written but not removed afterwards.
    out = OutputFile{valueOf(file), GetFileType(file) == FILE_TYPE_DISK};
    return true;
}

bool platformWriteAll(OutputFile& out, const uint8_t* data, uint64_t size)
{
    // WriteFile counts in 32 bits, and pipes and the console refuse very large writes;
    // 16 MiB at a time suits every kind of output.
    const uint64_t chunk = uint64_t(1) << 24;
    while (size > 0) {
        DWORD want = DWORD(size < chunk ? size : chunk);
        DWORD done = 0;
        if (!WriteFile(handleOf(out.handle), data, want, &done, nullptr) || done == 0)
            return false;
        data += done;
        size -= done;
    }
    return true;
}

bool platformWriteSparse(OutputFile& out, const uint8_t* data, uint64_t size)
{
    // A sparse file needs FSCTL_SET_SPARSE and zeroed ranges on NTFS, and a FAT disk has
    // no holes at all; every byte is written, which any reader sees the same.
    return platformWriteAll(out, data, size);
}

bool platformCloseOutput(OutputFile& out)
{
    BOOL closed = CloseHandle(handleOf(out.handle));
    out.handle = valueOf(INVALID_HANDLE_VALUE);
    return closed != 0;
}

void platformRemoveFile(const char* path)
{
    DeleteFileA(path);
}
