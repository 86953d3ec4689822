// Entry point of panomer-render.
#include "app/cli/RenderCommand.h"
#include "app/core/JpegRenderer.h"
#include "app/core/RenderOutput.h"

int main(int argc, char** argv)
{
    RenderOutput::FailWritesPastSizeLimit();
    JpegRenderer::ThreadsFromEnvironment();
    return RenderCommand::Main(argc, argv);
}
