// Entry point of panomer-render.
#include "app/cli/RenderCommand.h"

int main(int argc, char** argv)
{
    return RenderCommand::Main(argc, argv);
}
