// Hostile conditions from the outside, as one table: an XY file or a bitmap that cannot
// be used (a directory, no permission, cut short at every byte), a full device, a
// file-size limit, and a console that cannot be written. Each case checks the exit
// status and the exact output, and that the XY file is byte-identical afterwards:
// skydump never writes it, and skyload must not when its run fails.
#include "pbm_image.h"
#include "xy_fixtures.h"

#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

using Bytes = std::vector<uint8_t>;

// What is done to the files or the process of a case before the run.
enum class Fault {
    None,
    XyIsDirectory,     // the XY path names a directory
    XyReadOnly,        // the XY file has mode 0444; the run is as an ordinary user
    XyUnreadable,      // the XY file has mode 0000; the run is as an ordinary user
    BitmapIsDirectory, // the bitmap path names a directory
    BitmapUnreadable,  // the bitmap has mode 0000; the run is as an ordinary user
    BitmapOnDevFull,   // the bitmap path is /dev/full: every write fails with ENOSPC
    SizeLimit,         // RLIMIT_FSIZE of `sizeLimit` bytes: writes beyond it fail
    StdoutFull,        // standard output is /dev/full: nothing printed arrives
};

struct FaultCase {
    std::string name;
    Tool tool;
    Bytes xy;                 // the XY file's bytes
    std::optional<Bytes> pbm; // the bitmap's bytes, when one exists before the run
    Fault fault;
    int64_t sizeLimit; // for Fault::SizeLimit
    int status;
    std::string out; // after the banner; "{xy}" and "{pbm}" stand for the paths
};

// The universe of most cases: two planets, at columns 10 and 30 of a 400 x 400 bitmap.
XyLayout universeLayout()
{
    XyLayout layout;
    layout.records = {planetWord(10, 1000, 1), planetWord(20, 1100, 2)};
    return layout;
}

const Bytes UNIVERSE = buildXyFile(universeLayout());

// A case where no bitmap exists before the run.
const std::optional<Bytes> NO_BITMAP;

// The bitmap skydump writes for UNIVERSE.
const Bytes UNIVERSE_PBM = makePbm(400, 400, {{10, 399}, {30, 299}});

// UNIVERSE after skyload has read UNIVERSE_PBM: the same positions, idents from 49.
Bytes placedUniverse()
{
    XyLayout layout = universeLayout();
    layout.records = {planetWord(10, 1000, 49), planetWord(20, 1100, 50)};
    return buildXyFile(layout);
}

bool runsAsOtherUser(Fault fault)
{
    return fault == Fault::XyReadOnly || fault == Fault::XyUnreadable ||
           fault == Fault::BitmapUnreadable;
}

// Faults that need Linux devices and limits, which the Windows builds under the
// emulator do not see.
bool isLinuxOnly(Fault fault)
{
    return fault == Fault::BitmapOnDevFull || fault == Fault::SizeLimit ||
           fault == Fault::StdoutFull || runsAsOtherUser(fault);
}

// `text` with every `key` replaced by `value`.
std::string replaced(std::string text, const std::string& key, const std::string& value)
{
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at)) {
        text.replace(at, key.size(), value);
        at += value.size();
    }
    return text;
}

std::string withPaths(const std::string& text, const std::string& xy, const std::string& pbm)
{
    return replaced(replaced(text, "{xy}", xy), "{pbm}", pbm);
}

void runCase(const FaultCase& c)
{
    SCOPED_TRACE(c.name);
    if (underEmulator() && isLinuxOnly(c.fault))
        return;
    TempDir dir;
    std::string xy = dir.path("universe.xy");
    std::string pbm = c.fault == Fault::BitmapOnDevFull ? "/dev/full" : dir.path("map.pbm");
    if (c.fault == Fault::XyIsDirectory) {
        ASSERT_EQ(mkdir(xy.c_str(), 0755), 0);
    } else {
        writeBytes(dir, "universe.xy", c.xy);
    }
    if (c.fault == Fault::BitmapIsDirectory) {
        ASSERT_EQ(mkdir(pbm.c_str(), 0755), 0);
    } else if (c.pbm) {
        writeBytes(dir, "map.pbm", *c.pbm);
    }

    RunOptions options;
    if (c.fault == Fault::XyReadOnly || c.fault == Fault::XyUnreadable) {
        ASSERT_EQ(chmod(xy.c_str(), c.fault == Fault::XyReadOnly ? 0444 : 0), 0);
    }
    if (c.fault == Fault::BitmapUnreadable) {
        ASSERT_EQ(chmod(pbm.c_str(), 0), 0);
    }
    // Root may read and write any file: permissions show only for an ordinary user. The
    // files become that user's, so that only the mode set above stands in the way, and
    // the user must be able to create the bitmap in the directory.
    if (runsAsOtherUser(c.fault) && geteuid() == 0) {
        const uid_t nobody = 65534;
        ASSERT_EQ(chmod(dir.root().c_str(), 01777), 0);
        for (const std::string& path : {xy, pbm}) {
            if (access(path.c_str(), F_OK) == 0) {
                ASSERT_EQ(chown(path.c_str(), nobody, nobody), 0) << path;
            }
        }
        options.uid = nobody;
    }
    if (c.fault == Fault::SizeLimit)
        options.fileSizeLimit = c.sizeLimit;
    options.stdoutFull = c.fault == Fault::StdoutFull;
    bool pbmExisted = access(pbm.c_str(), F_OK) == 0;

    ToolRun run = runTool(c.tool, {xy, pbm}, options);
    if (run.status == 125 && options.uid >= 0) {
        ADD_FAILURE() << "running as root and cannot switch to an unprivileged user";
        return;
    }
    EXPECT_EQ(run.status, c.status);
    std::string out = c.fault == Fault::StdoutFull ? "" : bannerOf(c.tool) + screen(c.out);
    EXPECT_EQ(run.out, withPaths(out, xy, pbm));
    EXPECT_EQ(run.err, "");
    // A successful import reads UNIVERSE_PBM into UNIVERSE, the only pair that succeeds.
    if (c.tool == Tool::Skyload && c.status == 0) {
        EXPECT_EQ(fileBytes(xy), placedUniverse());
    } else if (c.fault != Fault::XyIsDirectory) {
        EXPECT_EQ(fileBytes(xy), c.xy) << "the XY file changed";
    }
    if (c.tool == Tool::Skydump && c.status == 0) {
        EXPECT_EQ(fileBytes(pbm), UNIVERSE_PBM);
    }
    // A failed export leaves no half-written bitmap where there was none.
    if (c.tool == Tool::Skydump && c.status != 0 && !pbmExisted) {
        EXPECT_NE(access(pbm.c_str(), F_OK), 0) << pbm << " was left behind";
    }
}

const char* const DETECTED = "2 planets detected\n";

std::string detectedThen(const std::string& message)
{
    return DETECTED + message;
}

// The XY file cut at every length from 0 to one byte short of its terminator's end, with
// the message for each: the field that the cut leaves incomplete, then the planet list
// without its terminator. Offsets are those of universeLayout(): the second block header
// at 32, the records at 74 and 78, the terminator at 82.
std::vector<FaultCase> xyCutCases(Tool tool)
{
    struct Range {
        uint32_t from; // lengths [from, to) give `message`, with {n} the length
        uint32_t to;
        const char* message;
    };
    const Range ranges[] = {
        {1, 2,
         "Error: XY file is only {n} bytes long; the first block header at offset 0 is "
         "missing\n"},
        {2, 6, "Error: XY file is only {n} bytes long; the magic id at offset 2 is missing\n"},
        {6, 17,
         "Error: XY file is only {n} bytes long; the filetype byte at offset 16 is missing\n"},
        {17, 34,
         "Error: XY file is only {n} bytes long; the second block header at offset 32 "
         "is missing\n"},
        {34, 78,
         "Error: the planet list runs off the end of the XY file: no terminator after 0 "
         "planets (the file ends at offset {n})\n"},
        {78, 82,
         "Error: the planet list runs off the end of the XY file: no terminator after 1 "
         "planets (the file ends at offset {n})\n"},
        {82, 86,
         "Error: the planet list runs off the end of the XY file: no terminator after 2 "
         "planets (the file ends at offset {n})\n"},
    };
    std::vector<FaultCase> cases;
    // An empty file cannot be mapped, which ends the run without a message.
    cases.push_back({"XY file cut to 0 bytes", tool, {}, UNIVERSE_PBM, Fault::None, 0, 3, ""});
    for (const Range& range : ranges) {
        for (uint32_t n = range.from; n < range.to; ++n) {
            cases.push_back({"XY file cut to " + std::to_string(n) + " bytes", tool,
                             Bytes(UNIVERSE.begin(), UNIVERSE.begin() + n), UNIVERSE_PBM,
                             Fault::None, 0, 4, replaced(range.message, "{n}", std::to_string(n))});
        }
    }
    return cases;
}

TEST(FaultInjection, XyFileCutAtEveryByteBeforeItsTerminatorEnds)
{
    XyLayout layout = universeLayout();
    ASSERT_EQ(planetOffset(layout), 74u);
    ASSERT_EQ(UNIVERSE.size(), 86u + layout.trailerBytes);
    for (Tool tool : {Tool::Skydump, Tool::Skyload})
        for (const FaultCase& c : xyCutCases(tool))
            runCase(c);
}

TEST(FaultInjection, XyFileAndExport)
{
    const int64_t headerSize = int64_t(std::string("P4\n400 400\n").size());
    const int64_t pbmSize = int64_t(UNIVERSE_PBM.size());
    const std::string cantOpen = "Can't open file: {xy}\n";
    const std::string writeError = detectedThen("error writing {pbm}.\n");
    const FaultCase cases[] = {
        {"XY file is a directory", Tool::Skydump, UNIVERSE, NO_BITMAP, Fault::XyIsDirectory, 0, 2,
         cantOpen},
        {"XY file is a directory", Tool::Skyload, UNIVERSE, UNIVERSE_PBM, Fault::XyIsDirectory, 0,
         2, cantOpen},
        {"XY file unreadable", Tool::Skydump, UNIVERSE, NO_BITMAP, Fault::XyUnreadable, 0, 2,
         cantOpen},
        {"XY file unreadable", Tool::Skyload, UNIVERSE, UNIVERSE_PBM, Fault::XyUnreadable, 0, 2,
         cantOpen},
        // skydump only reads the XY file; skyload must be able to write it.
        {"XY file read-only", Tool::Skydump, UNIVERSE, NO_BITMAP, Fault::XyReadOnly, 0, 0,
         DETECTED},
        {"XY file read-only", Tool::Skyload, UNIVERSE, UNIVERSE_PBM, Fault::XyReadOnly, 0, 2,
         cantOpen},
        {"bitmap on /dev/full", Tool::Skydump, UNIVERSE, NO_BITMAP, Fault::BitmapOnDevFull, 0, 1,
         writeError},
        {"bitmap is a directory", Tool::Skydump, UNIVERSE, NO_BITMAP, Fault::BitmapIsDirectory, 0,
         1, detectedThen("error opening {pbm} for write.\n")},
        // The limit falls before the header, inside it, at its end, inside the raster
        // and one byte short of the whole bitmap.
        {"size limit 0", Tool::Skydump, UNIVERSE, NO_BITMAP, Fault::SizeLimit, 0, 1, writeError},
        {"size limit inside the header", Tool::Skydump, UNIVERSE, NO_BITMAP, Fault::SizeLimit, 5, 1,
         writeError},
        {"size limit at the end of the header", Tool::Skydump, UNIVERSE, NO_BITMAP,
         Fault::SizeLimit, headerSize, 1, writeError},
        {"size limit inside the raster", Tool::Skydump, UNIVERSE, NO_BITMAP, Fault::SizeLimit, 1000,
         1, writeError},
        {"size limit one byte short", Tool::Skydump, UNIVERSE, NO_BITMAP, Fault::SizeLimit,
         pbmSize - 1, 1, writeError},
        {"size limit of exactly the bitmap", Tool::Skydump, UNIVERSE, NO_BITMAP, Fault::SizeLimit,
         pbmSize, 0, DETECTED},
        // A console that cannot be written loses the messages, not the work or the status.
        {"console full, export done", Tool::Skydump, UNIVERSE, NO_BITMAP, Fault::StdoutFull, 0, 0,
         ""},
        {"console full, XY file refused", Tool::Skyload,
         Bytes(UNIVERSE.begin(), UNIVERSE.begin() + 40), UNIVERSE_PBM, Fault::StdoutFull, 0, 4, ""},
    };
    for (const FaultCase& c : cases)
        runCase(c);
}

// UNIVERSE_PBM cut at every byte of its header ("P4\n400 400\n") and at points of its
// raster, each with the message that skyload gives for it.
std::vector<FaultCase> bitmapCutCases()
{
    const std::string invalid = "Error: invalid PBM header\n";
    const std::string notP4 = "Error: not a PBM(4) file\n";
    const std::string shortRaster = "Error: pbm raster is too short (expected 20000 bytes, got ";
    const std::pair<size_t, std::string> cuts[] = {
        {0, notP4},
        {1, notP4},
        {2, invalid}, // "P4" is the first line; no size line follows
        {3, invalid},
        {4, invalid}, // "4": one number only
        {5, invalid},
        {6, invalid},
        {7, invalid},
        {8, "Error: pbm file is wrong size (expected 400x400, got 400x4)\n"},
        {9, "Error: pbm file is wrong size (expected 400x400, got 400x40)\n"},
        {10, shortRaster + "0)\n"}, // the size is whole; the raster is missing
        {11, shortRaster + "0)\n"},
        {12, shortRaster + "1)\n"},
        {11 + 399, shortRaster + "399)\n"},
        {11 + 10000, shortRaster + "10000)\n"},
        {11 + 19999, shortRaster + "19999)\n"},
    };
    std::vector<FaultCase> cases;
    for (const auto& [length, message] : cuts) {
        cases.push_back({"bitmap cut to " + std::to_string(length) + " bytes", Tool::Skyload,
                         UNIVERSE, Bytes(UNIVERSE_PBM.begin(), UNIVERSE_PBM.begin() + length),
                         Fault::None, 0, 1, detectedThen(message)});
    }
    return cases;
}

TEST(FaultInjection, BitmapCutInItsHeaderAndItsRaster)
{
    ASSERT_EQ(UNIVERSE_PBM.size(), 11u + 20000u);
    for (const FaultCase& c : bitmapCutCases())
        runCase(c);
}

TEST(FaultInjection, Import)
{
    const std::string cantRead = detectedThen("error opening {pbm} for read.\n");
    const FaultCase cases[] = {
        {"bitmap missing", Tool::Skyload, UNIVERSE, NO_BITMAP, Fault::None, 0, 1, cantRead},
        {"bitmap unreadable", Tool::Skyload, UNIVERSE, UNIVERSE_PBM, Fault::BitmapUnreadable, 0, 1,
         cantRead},
        {"bitmap is a directory", Tool::Skyload, UNIVERSE, NO_BITMAP, Fault::BitmapIsDirectory, 0,
         1, cantRead},
        // The import writes through the mapping and never extends the file, so a limit
        // on the size of written files, even far below the XY file's, does not hold it up.
        {"size limit below the XY file", Tool::Skyload, UNIVERSE, UNIVERSE_PBM, Fault::SizeLimit,
         10, 0, detectedThen("2 of 2 star positions updated\n")},
        {"console full, import done", Tool::Skyload, UNIVERSE, UNIVERSE_PBM, Fault::StdoutFull, 0,
         0, ""},
        {"console full, bitmap refused", Tool::Skyload, UNIVERSE,
         Bytes(UNIVERSE_PBM.begin(), UNIVERSE_PBM.begin() + 100), Fault::StdoutFull, 0, 1, ""},
    };
    for (const FaultCase& c : cases)
        runCase(c);
}

} // namespace
