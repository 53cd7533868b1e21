#include "pbm_reader.h"

#include <cstdlib>
#include <initializer_list>

namespace
{

// One header line: at most LINE_LIMIT bytes, ending after a "\n", after LINE_LIMIT
// bytes or at the end of the file, with a zero byte after it.
struct HeaderLine {
    char text[LINE_LIMIT + 1];
    uint32_t length;
};

// False when the file ends (or fails) before the first byte of the line. Read byte by
// byte, so a zero byte inside the line does not hide its true length.
bool readHeaderLine(std::FILE* stream, HeaderLine& line)
{
    line.length = 0;
    while (line.length < LINE_LIMIT) {
        int c = std::getc(stream);
        if (c == EOF)
            break;
        line.text[line.length++] = char(c);
        if (c == '\n')
            break;
    }
    line.text[line.length] = '\0';
    return line.length > 0;
}

bool beginsWith(const HeaderLine& line, const char* prefix)
{
    for (uint32_t i = 0; prefix[i] != '\0'; ++i)
        if (i >= line.length || line.text[i] != prefix[i])
            return false;
    return true;
}

// White space as the C locale knows it.
bool isWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

enum class NumberScan {
    Found,
    Missing,    // no digit where the number should begin
    OutOfRange, // digits, but beyond a signed 32-bit integer
};

// Scans one number the way "%d" does: white space, an optional sign, decimal digits;
// stops at the first byte that is not a digit (the zero after the line at the latest).
// Unlike "%d", a number out of range is reported instead of being undefined.
NumberScan scanNumber(const char*& p, int32_t& value)
{
    const uint64_t NEGATIVE_LIMIT = uint64_t(INT32_MAX) + 1;
    while (isWhiteSpace(*p))
        ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    if (!isDigit(*p))
        return NumberScan::Missing;
    uint64_t magnitude = 0;
    bool tooLarge = false;
    for (; isDigit(*p); ++p) {
        // Once past the limit, the rest of the digits are only consumed: no wrap.
        if (!tooLarge)
            magnitude = magnitude * 10 + uint64_t(*p - '0');
        tooLarge = tooLarge || magnitude > NEGATIVE_LIMIT;
    }
    if (tooLarge || magnitude > (negative ? NEGATIVE_LIMIT : uint64_t(INT32_MAX)))
        return NumberScan::OutOfRange;
    value = int32_t(negative ? -int64_t(magnitude) : int64_t(magnitude));
    return NumberScan::Found;
}

PbmStatus invalidHeader(PbmStatus reason)
{
    std::printf("Error: invalid PBM header\n");
    return reason;
}

// Width then height, as "%d %d" would find them at the start of the line.
PbmStatus scanSizeLine(const HeaderLine& line, int32_t& width, int32_t& height)
{
    const char* p = line.text;
    for (int32_t* number : {&width, &height}) {
        switch (scanNumber(p, *number)) {
        case NumberScan::Found:
            break;
        case NumberScan::Missing:
            return invalidHeader(PbmStatus::BadSizeLine);
        case NumberScan::OutOfRange:
            return invalidHeader(PbmStatus::SizeOutOfRange);
        }
    }
    return PbmStatus::Ok;
}

// The rest of a size line longer than one line read is still header: the raster starts
// after the line's "\n", not in the middle of the line.
void skipRestOfLine(std::FILE* stream, const HeaderLine& line)
{
    if (line.length < LINE_LIMIT || line.text[line.length - 1] == '\n')
        return;
    int c = 0;
    do
        c = std::getc(stream);
    while (c != EOF && c != '\n');
}

} // namespace

PbmStatus readBitmapStream(std::FILE* stream, const MapGeometry& geometry, uint8_t* raster)
{
    HeaderLine line;
    if (!readHeaderLine(stream, line) || !beginsWith(line, "P4")) {
        std::printf("Error: not a PBM(4) file\n");
        return PbmStatus::NotP4;
    }
    bool haveLine = readHeaderLine(stream, line);
    while (haveLine && line.text[0] == '#')
        haveLine = readHeaderLine(stream, line);
    if (!haveLine)
        return invalidHeader(PbmStatus::NoSizeLine);

    int32_t width = 0;
    int32_t height = 0;
    PbmStatus status = scanSizeLine(line, width, height);
    if (status != PbmStatus::Ok)
        return status;
    // Compared as 64-bit numbers: a negative number read is simply another size.
    if (width != int64_t(geometry.width) || height != int64_t(geometry.height)) {
        std::printf("Error: pbm file is wrong size (expected %dx%d, got %dx%d)\n",
                    int(geometry.width), int(geometry.height), int(width), int(height));
        return PbmStatus::WrongSize;
    }
    skipRestOfLine(stream, line);

    size_t got = std::fread(raster, 1, geometry.rasterSize, stream);
    if (got < geometry.rasterSize) {
        std::printf("Error: pbm raster is too short (expected %u bytes, got %u)\n",
                    geometry.rasterSize, unsigned(got));
        return PbmStatus::ShortRaster;
    }
    return PbmStatus::Ok;
}

PbmStatus readBitmap(const char* path, const MapGeometry& geometry, BitmapInput& input)
{
    input = BitmapInput{nullptr, nullptr};
    // Zeroed, so that no byte of the buffer is ever left undefined.
    input.raster = static_cast<uint8_t*>(std::calloc(geometry.rasterSize, 1));
    if (input.raster == nullptr) {
        std::printf("Error: not enough memory for a bitmap of %u bytes.\n", geometry.rasterSize);
        return PbmStatus::NoMemory;
    }
    input.stream = std::fopen(path, "rb");
    // Some systems open a directory for reading and fail only at the first read; it is
    // a file that cannot be read all the same, as it is where opening it fails.
    int first = input.stream != nullptr ? std::getc(input.stream) : EOF;
    if (input.stream == nullptr || (first == EOF && std::ferror(input.stream))) {
        std::printf("error opening %s for read.\n", path);
        return PbmStatus::CantOpen;
    }
    if (first != EOF)
        std::ungetc(first, input.stream);
    return readBitmapStream(input.stream, geometry, input.raster);
}

void releaseBitmap(BitmapInput& input)
{
    std::free(input.raster);
    input.raster = nullptr;
    if (input.stream != nullptr)
        std::fclose(input.stream);
    input.stream = nullptr;
}
