#include "import_body.h"

int main(int argc, char** argv)
{
    return runTool(ToolInfo{"skyload", "skyload - v1.01\n", ToolMode::ReadWrite, importBody}, argc,
                   argv);
}
