// The bitmap reader on bytes in memory and on files: which headers it accepts, the exact
// message of each rejection, and the raster it hands on.
#include "pbm_reader.h"

#include "pbm_fixtures.h"
#include "xy_fixtures.h"

#include <cstdio>
#include <gtest/gtest.h>
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
    std::vector<uint8_t> raster;
};

// Reads `bytes` through a stream in memory, into a raster filled with a pattern, so that
// a raster that is not read whole shows.
Read readBytes(std::vector<uint8_t> bytes, const MapGeometry& geometry)
{
    Read read;
    read.raster.assign(geometry.rasterSize, 0xA5);
    uint8_t none = 0;
    std::FILE* stream = fmemopen(bytes.empty() ? &none : bytes.data(), bytes.size(), "rb");
    EXPECT_NE(stream, nullptr);
    if (stream == nullptr)
        return read;
    read.printed =
        printedBy([&] { read.status = readBitmapStream(stream, geometry, read.raster.data()); });
    std::fclose(stream);
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
    read.printed = printedBy([&] { read.status = readBitmap(path.c_str(), geometry, input); });
    EXPECT_NE(input.raster, nullptr) << "the raster is taken before the file is opened";
    if (read.status != PbmStatus::CantOpen && read.status != PbmStatus::NoMemory) {
        EXPECT_NE(input.stream, nullptr) << path;
    }
    if (input.raster != nullptr)
        read.raster.assign(input.raster, input.raster + geometry.rasterSize);
    releaseBitmap(input);
    EXPECT_EQ(input.raster, nullptr);
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
