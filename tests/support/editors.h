// The programs our users edit bitmaps with, found on this machine, for the tests that
// make them read and write bitmaps next to skydump and skyload.
#pragma once

#include "pbm_image.h"
#include "tool_runner.h"

#include <string>
#include <vector>

// The path of ImageMagick's `program` ("convert", "identify"), or "" when it is not
// installed. /usr/bin comes first, then PATH; only a compiled program whose -version
// names ImageMagick counts, so a script that merely stands in for it is passed over.
std::string imageMagick(const std::string& program);

// Debian's own Python, for which python3-pil installs Pillow (a Python earlier on PATH
// may lack it), or "" when Pillow cannot be imported there.
std::string pythonWithPillow();

// Runs `line` with /bin/sh, for the editors that write to standard output.
ToolRun runShell(const std::string& line);

// `text` quoted for /bin/sh.
std::string shellQuoted(const std::string& text);

// The black pixels that ImageMagick's `convert` sees in the image at `path`, sorted as
// readPbm sorts them; false when convert fails or prints something else.
bool imageMagickPixels(const std::string& convert, const std::string& path,
                       std::vector<Pixel>& black);
