// The bitmap reader on bytes in memory and on files: which headers it accepts, the exact
// message of each rejection, and the raster it hands on.
#include "pbm_reader.h"

#include "pbm_fixtures.h"
#include "xy_fixtures.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

namespace
{

MapGeometry geometryOf(uint32_t width, uint32_t height)
{
    return MapGeometry{width, height, width / 8, width / 8 * height};
}

struct Read {
    PbmStatus status = PbmStatus::Ok;
    std::string printed;
    std::vector<uint8_t> raster; // the pixels the reader handed on to the star scan
};

// A scan that keeps every pixel: room for as many stars as the bitmap has pixels.
void beginScanOfEveryPixel(StarScan& scan, const MapGeometry& geometry)
{
    ASSERT_TRUE(beginStarScan(scan, geometry, geometry.width * geometry.height));
}

// The raster that the stars found by `scan` make: what the reader handed on. A raster
// not read whole shows as pixels missing.
std::vector<uint8_t> rasterFound(StarScan& scan, const MapGeometry& geometry)
{
    finishStarScan(scan);
    std::vector<uint8_t> raster(geometry.rasterSize, 0);
    for (uint32_t i = 0; i < foundStars(scan); ++i) {
        StarPixel star = foundStar(scan, i);
        raster[pixelByte(geometry, geometry.height - 1 - star.rowFromBottom, star.column)] |=
            pixelMask(star.column);
    }
    return raster;
}

// Reads `bytes` through a stream in memory, handing the raster to a scan.
Read readBytes(std::vector<uint8_t> bytes, const MapGeometry& geometry)
{
    Read read;
    uint8_t none = 0;
    std::FILE* stream = fmemopen(bytes.empty() ? &none : bytes.data(), bytes.size(), "rb");
    EXPECT_NE(stream, nullptr);
    if (stream == nullptr)
        return read;
    StarScan scan;
    beginScanOfEveryPixel(scan, geometry);
    std::vector<uint8_t> piece(PIECE_BUFFER);
    read.printed =
        printedBy([&] { read.status = readBitmapStream(stream, geometry, piece.data(), scan); });
    std::fclose(stream);
    read.raster = rasterFound(scan, geometry);
    return read;
}

TEST(ReadBitmapStream, HeaderCases)
{
    const MapGeometry geometry = geometryOf(800, 400);
    for (const HeaderCase& c : headerCases()) {
        Read read = readBytes(headerCaseFile(c), geometry);
        EXPECT_EQ(read.status, c.status) << c.name;
        EXPECT_EQ(read.printed, c.message) << c.name;
        if (c.status == PbmStatus::Ok) {
            EXPECT_EQ(read.raster, headerCaseBitmap().raster) << c.name;
        }
    }
}

TEST(ReadBitmapStream, RasterStartsRightAfterTheSizeLine)
{
    // Raster bytes that look like header text: a comment mark, line ends, digits. None of
    // them may be taken for the header, and none of the raster may be skipped.
    Bitmap bitmap = blankBitmap(400, 400);
    const std::string lookalike = "#\n\r\n400 400\n";
    std::copy(lookalike.begin(), lookalike.end(), bitmap.raster.begin());
    bitmap.raster.back() = '\n';
    for (const std::string header : {"P4\n400 400\n", "P4\r\n400 400\r\n", "P4\n#\n400 400 \n"}) {
        Read read = readBytes(p4File(bitmap, header), geometryOf(400, 400));
        EXPECT_EQ(read.status, PbmStatus::Ok) << header;
        EXPECT_EQ(read.printed, "") << header;
        EXPECT_EQ(read.raster, bitmap.raster) << header;
    }
}

TEST(ReadBitmapStream, SquareAndTallGeometries)
{
    struct Case {
        uint32_t width;
        uint32_t height;
        std::string header;
        std::string message;
    };
    const Case cases[] = {
        {400, 400, "P4\n400 400\n", ""},
        {400, 3200, "P4\n400 3200\n", ""},
        {1200, 3200, "P4\n1200 3200\n", ""},
        {400, 3200, "P4\n3200 400\n",
         "Error: pbm file is wrong size (expected 400x3200, got 3200x400)\n"},
        {1200, 400, "P4\n1200 800\n",
         "Error: pbm file is wrong size (expected 1200x400, got 1200x800)\n"},
    };
    for (const Case& c : cases) {
        Bitmap bitmap = blankBitmap(c.width, c.height);
        setPixel(bitmap, c.width - 1, 0);
        setPixel(bitmap, 0, c.height - 1);
        Read read = readBytes(p4File(bitmap, c.header), geometryOf(c.width, c.height));
        EXPECT_EQ(read.printed, c.message) << c.header;
        EXPECT_EQ(read.status == PbmStatus::Ok, c.message.empty()) << c.header;
        if (c.message.empty()) {
            EXPECT_EQ(read.raster, bitmap.raster) << c.header;
        }
    }
}

// Reads the file at `path` as the tool does; releases what it took.
Read readPath(const std::string& path, const MapGeometry& geometry)
{
    Read read;
    BitmapInput input{};
    StarScan scan;
    beginScanOfEveryPixel(scan, geometry);
    read.printed =
        printedBy([&] { read.status = readBitmap(path.c_str(), geometry, scan, input); });
    EXPECT_NE(input.piece, nullptr) << "the buffer is taken before the file is opened";
    if (read.status != PbmStatus::CantOpen && read.status != PbmStatus::NoMemory) {
        EXPECT_NE(input.stream, nullptr) << path;
    }
    read.raster = rasterFound(scan, geometry);
    releaseBitmap(input);
    EXPECT_EQ(input.piece, nullptr);
    EXPECT_EQ(input.stream, nullptr);
    return read;
}

TEST(ReadBitmap, HeaderCasesFromFiles)
{
    TempDir dir;
    const MapGeometry geometry = geometryOf(800, 400);
    for (const HeaderCase& c : headerCases()) {
        std::string path = writeBytes(dir, "case.pbm", headerCaseFile(c));
        Read read = readPath(path, geometry);
        EXPECT_EQ(read.status, c.status) << c.name;
        EXPECT_EQ(read.printed, c.message) << c.name;
        // Whatever the file did not supply stays zero.
        std::vector<uint8_t> expected = headerCaseBitmap().raster;
        if (c.status != PbmStatus::Ok && c.status != PbmStatus::ShortRaster)
            expected.assign(expected.size(), 0);
        if (c.status != PbmStatus::ShortRaster) {
            EXPECT_EQ(read.raster, expected) << c.name;
        }
    }
}

// The raster arrives in pieces, placed by where it starts in the file: whatever the
// length of the header, every pixel is handed on once and in its place.
TEST(ReadBitmap, RasterInPiecesWhateverTheHeaderLength)
{
    const MapGeometry geometry = geometryOf(1200, 3200); // 480000 bytes: two pieces and more
    Bitmap bitmap = blankBitmap(1200, 3200);
    std::mt19937_64 random(11);
    std::bernoulli_distribution black(0.01);
    for (uint32_t row = 0; row < 3200; ++row)
        for (uint32_t column = 0; column < 1200; ++column)
            if (black(random))
                setPixel(bitmap, column, row);
    TempDir dir;
    for (uint32_t comment : {0u, 1u, 12u, 4077u, 4078u, 4079u, 4080u, 5000u, 8192u}) {
        std::string header = "P4\n";
        // Comment lines of up to 200 bytes, `comment` bytes before their line ends.
        uint32_t length = 0;
        for (uint32_t left = comment; left > 0; left -= length) {
            length = std::min(left, 200u);
            header += "#" + std::string(length - 1, 'c') + "\n";
        }
        header += "1200 3200\n";
        std::string path = writeBytes(dir, "pieces.pbm", p4File(bitmap, header));
        Read read = readPath(path, geometry);
        EXPECT_EQ(read.status, PbmStatus::Ok) << header.size();
        EXPECT_EQ(read.printed, "") << header.size();
        EXPECT_EQ(read.raster, bitmap.raster) << "header of " << header.size() << " bytes";
    }
}

TEST(ReadBitmap, FileThatCannotBeOpened)
{
    TempDir dir;
    ASSERT_EQ(mkdir(dir.path("folder.pbm").c_str(), 0755), 0);
    for (const std::string& path : {dir.path("missing.pbm"), dir.path("folder.pbm")}) {
        Read read = readPath(path, geometryOf(400, 400));
        EXPECT_EQ(read.status, PbmStatus::CantOpen) << path;
        EXPECT_EQ(read.printed, "error opening " + path + " for read.\n");
    }
}

TEST(ReadBitmap, ShortRasterLeavesTheRestZero)
{
    Bitmap bitmap = blankBitmap(400, 400);
    bitmap.raster.assign(bitmap.raster.size(), 0xFF);
    std::vector<uint8_t> bytes = p4File(bitmap);
    bytes.resize(bytes.size() - 19999);
    TempDir dir;
    Read read = readPath(writeBytes(dir, "short.pbm", bytes), geometryOf(400, 400));
    EXPECT_EQ(read.status, PbmStatus::ShortRaster);
    EXPECT_EQ(read.printed, "Error: pbm raster is too short (expected 20000 bytes, got 1)\n");
    ASSERT_EQ(read.raster.size(), 20000u);
    EXPECT_EQ(read.raster[0], 0xFF);
    EXPECT_EQ(std::count(read.raster.begin(), read.raster.end(), 0), 19999);
}

} // namespace
