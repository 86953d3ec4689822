// A list of text rows with one selected row and its own vertical scroll bar: rows are chosen with
// the pointer or the up and down keys, and the wheel or the bar scrolls them.
#pragma once

#include <vector>

#include "toolkit/core/Quor_String.h"
#include "toolkit/widgets/Quor_BaseWidget.h"

class Quor_ScrollBar;

class Quor_TextList : public Quor_BaseWidget {
public:
    // Space between the list's edge and its rows.
    static constexpr int kInset = 4;

    // An empty list; its scroll bar runs down its right edge, disabled until rows overflow.
    Quor_TextList(int what, unsigned int followFlags);
    ~Quor_TextList() override;

    int CountItems() const { return static_cast<int>(fItems.size()); }
    // The row's text, or null outside the list.
    const char* GetItem(int index) const;
    // Appends a row; the first row added to a list without selection becomes selected.
    void AddItem(const char* text);
    // Inserts before the first row that sorts after the text.
    void AddItemAlphabetically(const char* text);
    // Removes a row (nothing outside the list); a selection after it, or on the last row, moves
    // up by one so that it stays on the same row or the new last one.
    void RemoveItem(int index);
    void RemoveAllItems();
    // Replaces every row at once with the strings of *items (which it takes, leaving *items
    // empty) and selects a row as SetSelItem does: one redraw, however many rows come.
    void SetItems(std::vector<Quor_String>* items, int selection);
    // Selects a row, clamped to the list (none when empty), and scrolls it into view. Sends
    // nothing.
    void SetSelItem(int index);
    // Selects the first row equal to the text; false (selection unchanged) when there is none.
    bool SetSelItem(const char* text);
    int SelItem() const { return fSelection; }
    // The selected row's text, or null without a selection.
    const char* SelItemLabel() const;
    void SetItemLabel(int index, const char* text);
    int What() const { return fWhat; }
    int ScrollOffset() const { return fScrollOffset; }
    Quor_ScrollBar* ScrollBar() const { return fScrollBar; }
    int LineHeight() const;
    // The row under a point of the list, or -1.
    int RowAt(Quor_Point where) const;

    // The bar's QUOR_MSG_VSCROLL scrolls the rows and stops here; everything else goes on up.
    void HandleMessage(Quor_Message* message) override;
    // Both resize the same way, with OnResize, so that layouts keep the bar on the edge.
    void SetShape(int width, int height) override;
    void SetShapeEventless(int width, int height) override;
    void OnResize(Quor_Point oldSize, Quor_Point newSize) override;
    void DoLayout() override {}
    // A press on a row selects it and sends the what-code, with the field "doubleclick" set
    // when the press was the second of a double click.
    void OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message) override;
    // Two rows per notch.
    void OnMouseWheel(float delta, Quor_Point where, unsigned int modifiers, Quor_Message* message) override;
    // Up and Down select the previous and next row, Page Up and Page Down the row a page of
    // visible rows away, Home and End the first and last; the row scrolls into view and the
    // what-code goes out when the selection moved.
    void OnKeyDown(int key, unsigned int modifiers) override;
    bool WantsKey(int key, unsigned int modifiers) override;
    // How many whole rows the list shows at once (at least 1).
    int VisibleRows() const;
    bool AcceptsFocus() override { return true; }
    // The selected row is drawn in the highlight colour while the list has the keyboard focus,
    // in the inactive highlight otherwise.
    void RedrawMe(Quor_Graphics* g) override;

private:
    bool Insert(int index, const char* text);
    int ContentHeight() const;
    int MaxScroll() const;
    // Fits the bar to the rows and keeps the offset within range.
    void UpdateScrollBar();
    void SetScrollOffset(int offset);

    int fWhat;
    int fScrollOffset;
    int fSelection;
    std::vector<Quor_String> fItems;
    Quor_ScrollBar* fScrollBar;
};
