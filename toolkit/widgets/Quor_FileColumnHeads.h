// The headings Name, Size and Modified over a Quor_FileList of the same width: the column the
// list is sorted by shows an arrow (up ascending, down reversed), and a press on a heading sends
// the what-code with the field "column" (0 name, 1 size, 2 modified).
#pragma once

#include "toolkit/widgets/Quor_BaseWidget.h"

class Quor_FileColumnHeads : public Quor_BaseWidget {
public:
    Quor_FileColumnHeads(int what, unsigned int followFlags);

    void SetSort(int column, bool reversed);
    int SortColumn() const { return fColumn; }
    bool SortReversed() const { return fReversed; }
    // The column under a point of the headings (-1 outside).
    int ColumnAt(Quor_Point where) const;
    // Where a heading's text starts, in the widget's coordinates.
    int HeadingLeft(int column) const;

    void OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override;
    void RedrawMe(Quor_Graphics* g) override;

private:
    int fWhat;
    int fColumn = 0;
    bool fReversed = false;
};
