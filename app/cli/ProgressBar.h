// The command-line renderer's progress report: a bar with rows per second and the time left,
// redrawn in place on a terminal, or one plain line every few seconds into a pipe or a log.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class ProgressBar {
public:
    // totalRows: the rows the whole export renders (for a PSD, the rows of every layer).
    // inPlace: redraw one line with carriage returns (a terminal); otherwise print lines.
    ProgressBar(FILE* out, int64_t totalRows, bool inPlace);

    // progress: 0 to 1; seconds: time since the export started. Prints at most a few times a
    // second (in place) or every few seconds (lines), unless `force` is set.
    void Update(float progress, double seconds, bool force = false);
    // Ends the report (a final newline after an in-place bar).
    void Finish();

    // The text of one report, without line ends: "[#####-----]  48%  1234 rows/s  0:12 left".
    // Before the first row (the photos still loading) it says so instead of a rate; a rate of 0
    // once rows run shows the percentage alone.
    static std::string Format(float progress, int64_t totalRows, double rowsPerSecond, bool inPlace);
    // "0:07", "12:34", "1:02:03".
    static std::string FormatTime(double seconds);

private:
    FILE* fOut;
    int64_t fTotalRows;
    bool fInPlace;
    bool fShown = false;
    double fLastPrint = -1.0;
    // When the first row was seen, to measure the rate of rows rather than of photo loading.
    double fRowsStart = -1.0;
    float fRowsStartProgress = 0.0f;
};
