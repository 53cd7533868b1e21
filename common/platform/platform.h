// The thin layer between the tools and the operating system: open and map the XY file
// whole, flush and release it, and create and write the bitmap. POSIX and Win32 each
// implement it in their own file; nothing else includes a system header.
#pragma once

#include <cstdint>

enum class ToolMode {
    ReadOnly,  // the export only reads the XY file
    ReadWrite, // the import rewrites planet records through the view
};

// The opened and mapped XY file. It lives from the opening to the end of the run.
struct MappedXyFile {
    ToolMode mode;
    intptr_t file;    // descriptor or handle
    intptr_t mapping; // mapping handle where the system has one
    uint8_t* base;    // first byte of the view
    uint64_t length;  // the file's length, the extent of the view
};

enum class MapResult {
    Ok,
    CantOpen, // missing, not a regular file, or not accessible in the mode
    CantMap,  // opened, but no view could be made (an empty file, for one)
};

// Opens an existing regular file with the mode's access and maps all of it with the
// mode's protection. On failure nothing stays open.
MapResult platformOpenAndMap(const char* path, ToolMode mode, MappedXyFile& xy);

// Writes the changes made through a read-write view to the file on disk.
bool platformFlushView(const MappedXyFile& xy);

// Releases the view, the mapping and the file, in that order.
void platformRelease(MappedXyFile& xy);

enum class Identity {
    Different, // `path` is another file, or does not exist yet
    Same,      // `path` names the mapped file itself (also through a link)
};

// Whether `path` names the mapped file, by file identity, not by name.
Identity platformIdentify(const MappedXyFile& xy, const char* path);

// An output file being written.
struct OutputFile {
    intptr_t handle;
    bool isRegular; // a regular file can be removed when its writing fails
};

// Creates `path`, or truncates it if it exists. False when it cannot be created.
bool platformCreateOutput(const char* path, OutputFile& out);

// Writes all `size` bytes, looping over partial writes. False on any failure.
bool platformWriteAll(OutputFile& out, const uint8_t* data, uint64_t size);

// Writes all `size` bytes like platformWriteAll, from the output's current position,
// but where the output is a regular file, blocks of zero bytes are skipped with a seek
// and left as holes, which read back as zeros: a large, mostly empty bitmap then costs
// neither the time to write its zeros nor the disk to hold them. A pipe or a device gets
// every byte. The last block is always written, so the file's final length comes from a
// write and a size limit fails it as it would fail a plain write. False on any failure.
// A system may write every byte instead (the Win32 side does: holes are an optimisation,
// never a difference a reader can see).
bool platformWriteSparse(OutputFile& out, const uint8_t* data, uint64_t size);

// Closes the output; false when the close reports a failure of earlier writes.
bool platformCloseOutput(OutputFile& out);

// Removes a file, ignoring failure (used to drop a half-written output).
void platformRemoveFile(const char* path);
