#include "xy_fixtures.h"

XyFixture writeXy(const TempDir& dir, const std::string& name, const XyLayout& layout)
{
    XyFixture fixture{dir.path(name), buildXyFile(layout)};
    if (!writeFileBytes(fixture.path, fixture.bytes))
        ADD_FAILURE() << "cannot write " << fixture.path;
    return fixture;
}

std::string writeBytes(const TempDir& dir, const std::string& name,
                       const std::vector<uint8_t>& bytes)
{
    std::string path = dir.path(name);
    if (!writeFileBytes(path, bytes))
        ADD_FAILURE() << "cannot write " << path;
    return path;
}

std::vector<uint8_t> fileBytes(const std::string& path)
{
    std::vector<uint8_t> bytes;
    readFileBytes(path, bytes);
    return bytes;
}
