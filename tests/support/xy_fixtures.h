// Test fixtures built by the project's own generator.
#pragma once

#include "byte_view.h"
#include "tool_runner.h"
#include "xy_generator.h"

#include <cstdint>
#include <string>
#include <vector>

// An XY file written for a test, with the bytes it was written with.
struct XyFixture {
    std::string path;
    std::vector<uint8_t> bytes;
};

// Writes the file of `layout` as `name` in `dir`.
XyFixture writeXy(const TempDir& dir, const std::string& name, const XyLayout& layout);

// Writes raw bytes as `name` in `dir` and returns the path.
std::string writeBytes(const TempDir& dir, const std::string& name,
                       const std::vector<uint8_t>& bytes);

// The bytes of the file at `path` (empty when it cannot be read).
std::vector<uint8_t> fileBytes(const std::string& path);

// A view over a byte vector.
inline ByteView viewOver(const std::vector<uint8_t>& bytes)
{
    return ByteView{bytes.data(), uint32_t(bytes.size())};
}

// Runs `body` and returns what it printed on standard output.
template <typename Body> std::string printedBy(Body body);

#include <gtest/gtest.h>

template <typename Body> std::string printedBy(Body body)
{
    testing::internal::CaptureStdout();
    body();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}
