#include "export_body.h"

int main(int argc, char** argv)
{
    return runTool(ToolInfo{"skydump", "skydump - v1.01\n", ToolMode::ReadOnly, exportBody}, argc,
                   argv);
}
