// The file dialog's lists: the rows of a Quor_TextList (the names) with a size and a date column
// right of them (Quor_FileColumnHeads draws the headings over the same column edges), or names
// alone for the places.
#pragma once

#include <vector>

#include "toolkit/core/Quor_String.h"
#include "toolkit/widgets/Quor_TextList.h"

class Quor_Font;

class Quor_FileList : public Quor_TextList {
public:
    // Column edges, in the list's own coordinates; the names end before sizeLeft, the sizes end
    // at sizeRight (right-aligned) and the dates start at dateLeft.
    struct Columns {
        int nameLeft = 0;
        int sizeLeft = 0;
        int sizeRight = 0;
        int dateLeft = 0;
    };
    static Columns ColumnsFor(int width, const Quor_Font* font);

    Quor_FileList(int what, unsigned int followFlags);

    // Replaces every row: names, sizes and dates (all three taken, as SetItems takes its rows;
    // missing sizes or dates show nothing), and selects a row.
    void SetRows(std::vector<Quor_String>* names, std::vector<Quor_String>* sizes,
                 std::vector<Quor_String>* dates, int selection);
    // "" outside the list.
    const char* SizeText(int row) const;
    const char* DateText(int row) const;
    // Without columns the names take the whole width (a list of places).
    void SetColumnsShown(bool shown);
    // Whether the selected row is highlighted: a list of places marks only the place shown.
    void SetSelectionShown(bool shown);

    void RedrawMe(Quor_Graphics* g) override;

private:
    std::vector<Quor_String> fSizes;
    std::vector<Quor_String> fDates;
    bool fColumnsShown = true;
    bool fSelectionShown = true;
};
