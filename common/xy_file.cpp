#include "xy_file.h"

#include <cstdio>

namespace
{

const uint8_t MAGIC[MAGIC_LENGTH] = {'J', '3', 'J', '3'};

XyCheck reportMissing(ByteView view, const char* field, uint64_t offset)
{
    std::printf("Error: XY file is only %u bytes long; the %s at offset %llu is missing\n",
                view.size, field, static_cast<unsigned long long>(offset));
    return XyCheck::Truncated;
}

} // namespace

bool planetListStart(ByteView view, uint32_t& first)
{
    BlockHeader header = 0;
    BlockHeader second = 0;
    if (!readLe16(view, 0, header))
        return false;
    uint64_t secondOffset = nextBlock(0, header);
    if (!readLe16(view, uint32_t(secondOffset), second))
        return false;
    // Both walks stay below 2 * (2 + 1022), so the offset always fits.
    first = uint32_t(nextBlock(secondOffset, second));
    return true;
}

XyCheck validateXyFile(ByteView view)
{
    BlockHeader header = 0;
    if (!readLe16(view, 0, header))
        return reportMissing(view, "first block header", 0);
    if (blockType(header) != FILE_HEADER_TYPE)
        std::printf("Warning: first block is not type 8\n");

    // A short file whose magic already differs is simply not a game file.
    for (uint32_t i = 0; i < MAGIC_LENGTH; ++i) {
        uint8_t byte = 0;
        if (readU8(view, MAGIC_OFFSET + i, byte) && byte != MAGIC[i]) {
            std::printf("This isn't a zelvar! file. (magic id fail)\n");
            return XyCheck::NotGameFile;
        }
    }
    if (view.size < MAGIC_OFFSET + MAGIC_LENGTH)
        return reportMissing(view, "magic id", MAGIC_OFFSET);

    uint8_t filetype = 0;
    if (!readU8(view, FILETYPE_OFFSET, filetype))
        return reportMissing(view, "filetype byte", FILETYPE_OFFSET);
    if (filetype != 0) {
        std::printf("This isn't an XY file. (filetype = %d)\n", int(filetype));
        return XyCheck::NotXyFile;
    }

    uint64_t secondOffset = nextBlock(0, header);
    BlockHeader second = 0;
    if (!readLe16(view, uint32_t(secondOffset), second))
        return reportMissing(view, "second block header", secondOffset);
    if (blockType(second) != SECOND_BLOCK_TYPE)
        std::printf("Warning: second block isn't type 7\n");
    return XyCheck::Valid;
}
