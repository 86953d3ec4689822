#include "app/cli/ProgressBar.h"

#include <cmath>

#include "toolkit/math/Quor_Round.h"

namespace {

constexpr int kBarWidth = 30;
constexpr double kInPlaceInterval = 0.2;
constexpr double kLineInterval = 2.0;

}  // namespace

ProgressBar::ProgressBar(FILE* out, int64_t totalRows, bool inPlace)
    : fOut(out)
    , fTotalRows(totalRows > 0 ? totalRows : 1)
    , fInPlace(inPlace)
{
}

std::string ProgressBar::FormatTime(double seconds)
{
    const int64_t total = std::isfinite(seconds) && seconds > 0 ? Quor_RoundToInt64(seconds) : 0;
    const int64_t hours = total / 3600, minutes = total / 60 % 60, secs = total % 60;
    char text[48];
    if (hours > 0)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(hours),
                      static_cast<long long>(minutes), static_cast<long long>(secs));
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(minutes), static_cast<long long>(secs));
    return text;
}

std::string ProgressBar::Format(float progress, int64_t totalRows, double rowsPerSecond, bool inPlace)
{
    const float p = Quor_Clamp(progress, 0.0f, 1.0f);
    std::string text;
    if (inPlace) {
        const int filled = Quor_RoundClamp(p * kBarWidth, 0, kBarWidth);
        text = "[" + std::string(static_cast<size_t>(filled), '#') + std::string(static_cast<size_t>(kBarWidth - filled), '-') + "] ";
    }
    char percent[16];
    std::snprintf(percent, sizeof percent, "%3d%%", Quor_RoundClamp(p * 100.0f, 0, 100));
    text += percent;
    if (!(rowsPerSecond > 0.0) || !std::isfinite(rowsPerSecond)) {
        if (p <= 0.0f)
            text += "  loading photos";
        return text;
    }
    const double rowsLeft = (1.0 - p) * static_cast<double>(totalRows);
    text += "  " + std::to_string(Quor_RoundToInt64(rowsPerSecond)) + " rows/s  " + FormatTime(rowsLeft / rowsPerSecond) + " left";
    return text;
}

void ProgressBar::Update(float progress, double seconds, bool force)
{
    if (progress > 0.0f && fRowsStart < 0.0) {
        fRowsStart = seconds;
        fRowsStartProgress = progress;
    }
    const double interval = fInPlace ? kInPlaceInterval : kLineInterval;
    if (!force && fLastPrint >= 0.0 && seconds - fLastPrint < interval)
        return;
    fLastPrint = seconds;
    double rate = 0.0;
    if (fRowsStart >= 0.0 && seconds > fRowsStart)
        rate = static_cast<double>(progress - fRowsStartProgress) * static_cast<double>(fTotalRows) / (seconds - fRowsStart);
    const std::string text = Format(progress, fTotalRows, rate, fInPlace);
    // The trailing blanks wipe what a longer earlier line left.
    std::fprintf(fOut, fInPlace ? "\r%s   " : "%s\n", text.c_str());
    std::fflush(fOut);
    fShown = true;
}

void ProgressBar::Finish()
{
    if (fShown && fInPlace) {
        std::fputc('\n', fOut);
        std::fflush(fOut);
    }
    fShown = false;
}
