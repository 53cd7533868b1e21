#include "xy_file.h"

#include "xy_fixtures.h"

#include <gtest/gtest.h>

namespace
{

TEST(BlockHeader, FieldsAndTypeTestOnTheWholeWord)
{
    struct Case {
        BlockHeader word;
        uint32_t type;
        uint32_t size;
    };
    const Case cases[] = {
        {0x2000, 8, 0}, {0x201E, 8, 30}, {0x1FFF, 7, 1023},
        {0x1C00, 7, 0}, {0xFC00, 63, 0}, {0x0002, 0, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(blockType(c.word), c.type) << std::hex << c.word;
        EXPECT_EQ(blockSize(c.word), c.size) << std::hex << c.word;
    }
}

TEST(BlockHeader, WalkDropsTheLowestBitOfTheSize)
{
    struct Case {
        uint64_t offset;
        BlockHeader word;
        uint64_t next;
    };
    const Case cases[] = {
        {0, 0x2000, 2},      // empty payload
        {0, 0x201E, 32},     // even size: header plus payload
        {0, 0x201F, 32},     // odd size 31: one byte less than 2 + 31
        {32, 0x1C01, 34},    // size 1 walks as 0
        {100, 0x1FFF, 1124}, // 1023 walks as 1022
    };
    for (const Case& c : cases)
        EXPECT_EQ(nextBlock(c.offset, c.word), c.next) << std::hex << c.word;
}

TEST(PlanetRecord, DecodeAndEncodeTheThreeFields)
{
    struct Case {
        uint32_t word;
        PlanetRecord record;
    };
    const Case cases[] = {
        {0x00000000, {0, 0, 0}},
        {0x000FA000 | 5, {5, 1000, 0}},
        {0xFFFFFFFF, {1023, 4095, 1023}},
        {uint32_t(49) << 22 | uint32_t(1399) << 10 | 399, {399, 1399, 49}},
        {0x00000002, {2, 0, 0}},
    };
    for (const Case& c : cases) {
        PlanetRecord decoded = decodePlanet(c.word);
        EXPECT_EQ(decoded.xDistance, c.record.xDistance);
        EXPECT_EQ(decoded.y, c.record.y);
        EXPECT_EQ(decoded.ident, c.record.ident);
        EXPECT_EQ(encodePlanet(c.record), c.word);
    }
}

TEST(PlanetRecord, EncodeMasksEachFieldToItsWidth)
{
    // 1024 would carry into y, 4096 into ident, and 1024 out of the word.
    EXPECT_EQ(encodePlanet({1024 + 7, 4096 + 1000, 1024 + 49}), encodePlanet({7, 1000, 49}));
}

TEST(Terminator, ThreeMaskTest)
{
    struct Case {
        uint32_t word;
        bool terminator;
    };
    const Case cases[] = {
        {0x00000002, true},  {0x001F0002, true}, // high half 31: still below 32
        {0x00200002, false},                     // high half 32
        {0x00000003, false}, {0x00010002, true},
        {0x00000402, false}, // bit 10 set: low half is not 0x0002
        {0x40000002, false}, // ident bits set
        {0xFFFFFFFF, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isTerminator(c.word), c.terminator) << std::hex << c.word;
}

TEST(Terminator, RealRecordsThatLookLikeTheEnd)
{
    // ident 0, xDistance 2 and y a multiple of 64 from 1024 to 1984 end the list.
    for (uint32_t y = 1024; y <= 1984; y += 64)
        EXPECT_TRUE(isTerminator(encodePlanet({2, y, 0}))) << y;
    const PlanetRecord notEnding[] = {
        {2, 2048, 0}, {2, 1025, 0}, {2, 1024, 1}, {3, 1024, 0}, {2, 1000, 0},
    };
    for (const PlanetRecord& record : notEnding)
        EXPECT_FALSE(isTerminator(encodePlanet(record))) << record.y;
}

TEST(PlanetListStart, WalksTwiceFromTheStart)
{
    struct Case {
        uint16_t first;
        uint16_t second;
        uint32_t start;
    };
    const Case cases[] = {
        {0x201E, 0x1C28, 2 + 30 + 2 + 40},
        {0x201F, 0x1C28, 2 + 30 + 2 + 40}, // odd header size: second block one byte early
        {0x201E, 0x1C29, 2 + 30 + 2 + 40}, // odd second size
        {0x2010, 0x1C00, 2 + 16 + 2},
    };
    for (const Case& c : cases) {
        XyLayout layout;
        layout.firstHeader = c.first;
        layout.secondHeader = c.second;
        std::vector<uint8_t> bytes = buildXyFile(layout);
        uint32_t first = 0;
        ASSERT_TRUE(planetListStart(viewOver(bytes), first));
        EXPECT_EQ(first, c.start);
    }
}

TEST(PlanetListStart, FailsWhenAHeaderIsMissing)
{
    std::vector<uint8_t> bytes = buildXyFile(XyLayout{});
    uint32_t first = 0;
    bytes.resize(33); // the second header lies at 32..33
    EXPECT_FALSE(planetListStart(viewOver(bytes), first));
    bytes.resize(1);
    EXPECT_FALSE(planetListStart(viewOver(bytes), first));
}

struct ValidateCase {
    const char* name;
    XyLayout layout;
    uint32_t keep; // bytes kept from the start, 0 for all
    XyCheck result;
    const char* printed;
};

XyLayout with(void (*change)(XyLayout&))
{
    XyLayout layout;
    change(layout);
    return layout;
}

TEST(ValidateXyFile, ChecksInOrderWithTheirMessages)
{
    const ValidateCase cases[] = {
        {"valid", XyLayout{}, 0, XyCheck::Valid, ""},
        {"first block not type 8", with([](XyLayout& l) { l.firstHeader = 0x241E; }), 0,
         XyCheck::Valid, "Warning: first block is not type 8\n"},
        {"second block not type 7", with([](XyLayout& l) { l.secondHeader = 0x2028; }), 0,
         XyCheck::Valid, "Warning: second block isn't type 7\n"},
        {"both warnings", with([](XyLayout& l) {
             l.firstHeader = 0x001E;
             l.secondHeader = 0x0028;
         }),
         0, XyCheck::Valid,
         "Warning: first block is not type 8\nWarning: second block isn't type 7\n"},
        {"wrong magic", with([](XyLayout& l) { l.magic = "J3J4"; }), 0, XyCheck::NotGameFile,
         "This isn't a zelvar! file. (magic id fail)\n"},
        {"wrong magic after type warning", with([](XyLayout& l) {
             l.firstHeader = 0x0C1E;
             l.magic = "XYZW";
         }),
         0, XyCheck::NotGameFile,
         "Warning: first block is not type 8\nThis isn't a zelvar! file. (magic id fail)\n"},
        {"filetype 2", with([](XyLayout& l) { l.filetype = 2; }), 0, XyCheck::NotXyFile,
         "This isn't an XY file. (filetype = 2)\n"},
        {"filetype 255", with([](XyLayout& l) { l.filetype = 255; }), 0, XyCheck::NotXyFile,
         "This isn't an XY file. (filetype = 255)\n"},
        {"magic checked before filetype", with([](XyLayout& l) {
             l.magic = "j3j3";
             l.filetype = 1;
         }),
         0, XyCheck::NotGameFile, "This isn't a zelvar! file. (magic id fail)\n"},
        {"one byte", XyLayout{}, 1, XyCheck::Truncated,
         "Error: XY file is only 1 bytes long; the first block header at offset 0 is missing\n"},
        {"short file, magic so far right", XyLayout{}, 4, XyCheck::Truncated,
         "Error: XY file is only 4 bytes long; the magic id at offset 2 is missing\n"},
        {"short file, magic already wrong", with([](XyLayout& l) { l.magic = "JX"; }), 4,
         XyCheck::NotGameFile, "This isn't a zelvar! file. (magic id fail)\n"},
        {"short file, type warning first", with([](XyLayout& l) { l.firstHeader = 0x001E; }), 3,
         XyCheck::Truncated,
         "Warning: first block is not type 8\n"
         "Error: XY file is only 3 bytes long; the magic id at offset 2 is missing\n"},
        {"no filetype byte", XyLayout{}, 16, XyCheck::Truncated,
         "Error: XY file is only 16 bytes long; the filetype byte at offset 16 is missing\n"},
        {"half a second header", XyLayout{}, 33, XyCheck::Truncated,
         "Error: XY file is only 33 bytes long; the second block header at offset 32 is "
         "missing\n"},
    };
    for (const ValidateCase& c : cases) {
        std::vector<uint8_t> bytes = buildXyFile(c.layout);
        if (c.keep != 0)
            bytes.resize(c.keep);
        XyCheck result = XyCheck::Valid;
        std::string printed = printedBy([&] { result = validateXyFile(viewOver(bytes)); });
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(printed, c.printed) << c.name;
    }
}

TEST(ValidateXyFile, OddHeaderSizeFindsTheSecondBlockOneByteEarly)
{
    // Size 31: the second block is at 2 + 31 - 1 = 32. Had the walk used 33, it would
    // find the pattern bytes there and warn about the type.
    XyLayout layout;
    layout.firstHeader = 0x201F;
    std::vector<uint8_t> bytes = buildXyFile(layout);
    ASSERT_EQ(bytes[32] | bytes[33] << 8, layout.secondHeader);
    std::string printed =
        printedBy([&] { EXPECT_EQ(validateXyFile(viewOver(bytes)), XyCheck::Valid); });
    EXPECT_EQ(printed, "");
}

} // namespace
