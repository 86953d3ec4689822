// The editor program: the toolkit's entry calls this once it is set up.
#include "app/core/JpegRenderer.h"
#include "app/core/RenderOutput.h"
#include "app/ui/PanomerApp.h"

int Quor_Main()
{
    RenderOutput::FailWritesPastSizeLimit();
    JpegRenderer::ThreadsFromEnvironment();
    PanomerApp app;
    app.Run();
    return 0;
}
