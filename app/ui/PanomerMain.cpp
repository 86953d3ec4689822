// The editor program: the toolkit's entry calls this once it is set up.
#include <cstdlib>
#include <memory>
#include <new>

#include "app/core/JpegRenderer.h"
#include "app/core/PanomerDoc.h"
#include "app/core/PreviewCache.h"
#include "app/core/RenderOutput.h"
#include "app/ui/PanomerApp.h"

namespace {

// Megabytes of previews kept between runs; PANOMER_PREVIEW_CACHE_MB sets another size, 0 none.
constexpr long kPreviewCacheMegabytes = 512;

std::unique_ptr<PreviewCache> MakePreviewCache()
{
    long megabytes = kPreviewCacheMegabytes;
    if (const char* text = std::getenv("PANOMER_PREVIEW_CACHE_MB")) {
        char* end = nullptr;
        const long value = std::strtol(text, &end, 10);
        if (end != text && *end == '\0' && value >= 0 && value <= 1 << 20)
            megabytes = value;
    }
    const std::string folder = PreviewCache::DefaultFolder();
    if (megabytes == 0 || folder.empty())
        return nullptr;
    return std::unique_ptr<PreviewCache>(new (std::nothrow) PreviewCache(folder, static_cast<int64_t>(megabytes) << 20));
}

}  // namespace

int Quor_Main()
{
    RenderOutput::FailWritesPastSizeLimit();
    JpegRenderer::ThreadsFromEnvironment();
    std::unique_ptr<PreviewCache> previews = MakePreviewCache();
    PanomerDoc::SetPreviewCache(previews.get());
    {
        PanomerApp app;
        app.Run();
    }
    PanomerDoc::SetPreviewCache(nullptr);
    return 0;
}
