// skyload from the outside: the bitmaps it accepts and refuses, the planets it places,
// round trips through skydump, and bitmaps written by other programs. Every run checks
// the exit status and the exact output; every refused run checks that the XY file is
// byte-identical, and every accepted one that it holds exactly what the literal model of
// the placement predicts.
#include "editors.h"
#include "pbm_fixtures.h"
#include "pbm_image.h"
#include "xy_fixtures.h"

#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

namespace
{

std::string detected(size_t count)
{
    return bannerOf(Tool::Skyload) + screen(std::to_string(count) + " planets detected\n");
}

std::vector<uint8_t> xyWith(const std::vector<uint32_t>& records)
{
    XyLayout layout;
    layout.records = records;
    return buildXyFile(layout);
}

struct Imported {
    ToolRun run;
    std::vector<uint8_t> before; // the XY file as written
    std::vector<uint8_t> after;  // the XY file after the run
};

// Writes the XY file of `records` and the bitmap `pbm` into `dir`, and runs skyload.
Imported runImport(const TempDir& dir, const std::vector<uint32_t>& records,
                   const std::vector<uint8_t>& pbm)
{
    XyLayout layout;
    layout.records = records;
    XyFixture xy = writeXy(dir, "universe.xy", layout);
    std::string bitmap = writeBytes(dir, "map.pbm", pbm);
    Imported imported{runTool(Tool::Skyload, {xy.path, bitmap}), xy.bytes, {}};
    imported.after = fileBytes(xy.path);
    return imported;
}

// Checks an accepted run against the model of placing `bitmap` into `records`.
void expectAsModelled(const Imported& imported, const std::vector<uint32_t>& records,
                      const Bitmap& bitmap, const std::string& what)
{
    PlacementOutcome model = modelPlacement(bitmap, records);
    EXPECT_EQ(imported.run.status, model.refused ? 1 : 0) << what;
    EXPECT_EQ(imported.run.out, detected(records.size()) + screen(model.printed)) << what;
    EXPECT_EQ(imported.run.err, "") << what;
    EXPECT_EQ(imported.after, xyWith(model.records)) << what;
}

// The bitmap in a P4 file of the form skydump writes.
Bitmap bitmapIn(const std::vector<uint8_t>& pbm)
{
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<Pixel> black;
    EXPECT_TRUE(readPbm(pbm, width, height, black));
    Bitmap bitmap = blankBitmap(width, height);
    for (const Pixel& pixel : black)
        setPixel(bitmap, pixel.column, pixel.row);
    return bitmap;
}

// Exports `records` with skydump and returns the bitmap file's bytes.
std::vector<uint8_t> exported(const TempDir& dir, const std::vector<uint32_t>& records)
{
    XyLayout layout;
    layout.records = records;
    XyFixture xy = writeXy(dir, "export.xy", layout);
    std::string pbm = dir.path("export.pbm");
    ToolRun run = runTool(Tool::Skydump, {xy.path, pbm});
    EXPECT_EQ(run.status, 0) << run.out;
    return fileBytes(pbm);
}

// After importing an unchanged export: every position as before, idents from 49 on.
void expectSamePositions(const Imported& imported, const std::vector<uint32_t>& records,
                         const std::string& what)
{
    std::string summary = std::to_string(records.size()) + " of " + std::to_string(records.size()) +
                          " star positions updated\n";
    EXPECT_EQ(imported.run.status, 0) << what;
    EXPECT_EQ(imported.run.out, detected(records.size()) + screen(summary)) << what;
    XyLayout layout;
    layout.records = records;
    std::vector<uint32_t> after = recordsIn(imported.after, layout);
    for (size_t i = 0; i < records.size(); ++i) {
        ASSERT_EQ(fieldsOf(after[i]).xDistance, fieldsOf(records[i]).xDistance) << what << i;
        ASSERT_EQ(fieldsOf(after[i]).y, fieldsOf(records[i]).y) << what << i;
        ASSERT_EQ(fieldsOf(after[i]).ident, (i + 49) % 1024) << what << i;
    }
    // Nothing but the records changed: the file equals one built from the new words.
    EXPECT_EQ(imported.after, xyWith(after)) << what;
}

TEST(Skyload, HeaderCases)
{
    TempDir dir;
    const std::vector<uint32_t> records = headerCasePlanets();
    for (const HeaderCase& c : headerCases()) {
        Imported imported = runImport(dir, records, headerCaseFile(c));
        if (c.status == PbmStatus::Ok) {
            expectAsModelled(imported, records, headerCaseBitmap(), c.name);
            continue;
        }
        EXPECT_EQ(imported.run.status, 1) << c.name;
        EXPECT_EQ(imported.run.out, detected(records.size()) + screen(c.message)) << c.name;
        EXPECT_EQ(imported.run.err, "") << c.name;
        EXPECT_EQ(imported.after, imported.before) << c.name;
    }
}

TEST(Skyload, BitmapThatCannotBeOpened)
{
    TempDir dir;
    XyLayout layout;
    layout.records = headerCasePlanets();
    XyFixture xy = writeXy(dir, "universe.xy", layout);
    ASSERT_EQ(mkdir(dir.path("folder.pbm").c_str(), 0755), 0);
    for (const std::string& path : {dir.path("missing.pbm"), dir.path("folder.pbm")}) {
        ToolRun run = runTool(Tool::Skyload, {xy.path, path});
        EXPECT_EQ(run.status, 1) << path;
        EXPECT_EQ(run.out, detected(2) + screen("error opening " + path + " for read.\n")) << path;
        EXPECT_EQ(run.err, "") << path;
        EXPECT_EQ(fileBytes(xy.path), xy.bytes) << path;
    }
}

TEST(Skyload, PlacementCases)
{
    TempDir dir;
    for (const PlacementCase& c : placementCases()) {
        Imported imported = runImport(dir, c.records, p4File(withStars(c.records, c.stars)));
        EXPECT_EQ(imported.run.status, 0) << c.name;
        EXPECT_EQ(imported.run.out, detected(c.records.size()) + screen(c.printed)) << c.name;
        EXPECT_EQ(imported.run.err, "") << c.name;
        EXPECT_EQ(imported.after, xyWith(c.expected)) << c.name;
    }
}

TEST(Skyload, StarThatWouldEndThePlanetListIsRefused)
{
    TempDir dir;
    const std::vector<uint32_t> records = planetsEndingWith(2, 1024);
    Bitmap bitmap = drawPlanets(records);
    Imported imported = runImport(dir, records, p4File(bitmap));
    EXPECT_EQ(imported.run.status, 1);
    std::string expected = detected(976) + screen(modelPlacement(bitmap, records).printed);
    EXPECT_EQ(imported.run.out, expected);
    EXPECT_NE(imported.run.out.find(
                  screen("Error: star 975 would be stored as the end of the planet list")),
              std::string::npos)
        << imported.run.out;
    EXPECT_EQ(imported.after, imported.before);

    // Moved one row up, as the message advises, the same star is placed.
    uint32_t column = bitmap.width;
    while (!pixelAt(bitmap, --column, rowOfY(bitmap, 1024))) {
    }
    clearPixel(bitmap, column, rowOfY(bitmap, 1024));
    setPixel(bitmap, column, rowOfY(bitmap, 1025));
    imported = runImport(dir, records, p4File(bitmap));
    EXPECT_EQ(imported.run.out, detected(976) + screen("976 of 976 star positions updated\n"));
    expectAsModelled(imported, records, bitmap, "moved up");
}

TEST(Skyload, RasterThatCannotBeAllocated)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer cannot run under an address-space limit";
#endif
    if (underEmulator())
        GTEST_SKIP() << "the address-space limit is a Linux feature";
    // 2624 steps of 1023 columns and the top Y: 2684400 x 3200 pixels, a raster of
    // 1073760000 bytes, far beyond the 256 MiB the program may use.
    std::vector<uint32_t> records(2624, planetWord(1023, 1000, 1));
    records[0] = planetWord(1023, 4095, 1);
    TempDir dir;
    XyLayout layout;
    layout.records = records;
    XyFixture xy = writeXy(dir, "wide.xy", layout);
    RunOptions options;
    options.memoryLimit = int64_t(256) << 20;
    // The raster is taken before the bitmap is opened, so a missing bitmap is not reached.
    ToolRun run = runTool(Tool::Skyload, {xy.path, dir.path("missing.pbm")}, options);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, detected(2624) +
                           screen("Error: not enough memory for a bitmap of 1073760000 bytes.\n"));
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(fileBytes(xy.path), xy.bytes);
}

TEST(Skyload, UnchangedExportGivesBackThePositions)
{
    TempDir dir;
    for (const std::vector<uint32_t>& records : randomPlanetLists(100, 3)) {
        std::string what = std::to_string(records.size()) + " planets: ";
        expectSamePositions(runImport(dir, records, exported(dir, records)), records, what);
    }
}

TEST(Skyload, EditedExportPlacesAsTheModelSays)
{
    TempDir dir;
    std::mt19937_64 random(4242);
    for (const std::vector<uint32_t>& records : randomPlanetLists(100, 3)) {
        Bitmap bitmap = bitmapIn(exported(dir, records));
        editRandomly(bitmap, random);
        Imported imported = runImport(dir, records, p4File(bitmap));
        expectAsModelled(imported, records, bitmap, std::to_string(records.size()) + " planets");
    }
}

TEST(Skyload, PointDrawnByImageMagick)
{
    std::string convert = imageMagick("convert");
    if (convert.empty())
        GTEST_SKIP() << "ImageMagick's convert is not installed (apt-get install imagemagick)";
    PlanetSpread spread;
    spread.count = 50;
    const std::vector<uint32_t> records = randomPlanets(5, spread);
    TempDir dir;
    std::string before = writeBytes(dir, "before.pbm", exported(dir, records));
    Bitmap bitmap = bitmapIn(fileBytes(before));
    // A new star in the middle of the map, on a free pixel: the stars after it move on
    // by one record.
    uint32_t column = bitmap.width / 2;
    uint32_t row = bitmap.height / 2;
    while (pixelAt(bitmap, column, row))
        ++column;
    setPixel(bitmap, column, row);
    std::string after = dir.path("after.pbm");
    std::string point = "point " + std::to_string(column) + "," + std::to_string(row);
    ToolRun draw = runCommand({convert, before, "-fill", "black", "-draw", point, after});
    ASSERT_EQ(draw.status, 0) << draw.err;
    EXPECT_EQ(bitmapIn(fileBytes(after)).raster, bitmap.raster) << "ImageMagick drew elsewhere";
    Imported imported = runImport(dir, records, fileBytes(after));
    expectAsModelled(imported, records, bitmap, "ImageMagick");
    EXPECT_NE(imported.run.out.find("too many stars"), std::string::npos);
}

// The bitmap mirrored left to right by netpbm.
std::vector<uint8_t> mirrored(const std::vector<uint8_t>& pbm)
{
    TempDir dir;
    ToolRun flip = runCommand({"pamflip", "-lr", writeBytes(dir, "in.pbm", pbm)});
    EXPECT_EQ(flip.status, 0) << flip.err;
    return std::vector<uint8_t>(flip.out.begin(), flip.out.end());
}

TEST(Skyload, MirroredTwiceByNetpbmGivesBackThePositions)
{
    if (!haveProgram("pamflip"))
        GTEST_SKIP() << "netpbm's pamflip is not installed (apt-get install netpbm)";
    PlanetSpread spread;
    spread.count = 80;
    spread.width = 1000;
    const std::vector<uint32_t> records = randomPlanets(9, spread);
    // The leftmost planet lies in the first 400 columns, so the mirrored map has the
    // same width.
    ASSERT_LT(fieldsOf(records[0]).xDistance, 400u);
    TempDir dir;

    std::vector<uint8_t> flipped = mirrored(exported(dir, records));
    Bitmap bitmap = bitmapIn(flipped);
    Imported once = runImport(dir, records, flipped);
    expectAsModelled(once, records, bitmap, "mirrored once");
    XyLayout layout;
    layout.records = records;
    std::vector<uint32_t> mirroredRecords = recordsIn(once.after, layout);

    std::vector<uint8_t> back = mirrored(exported(dir, mirroredRecords));
    Imported twice = runImport(dir, mirroredRecords, back);
    expectSamePositions(twice, records, "mirrored twice");
}

} // namespace
