// The edge table a filled shape is scan-converted from: for every target row, the crossings of the
// shape's outline sorted by x, each with the bounds of the pixels its edge touches in that row.
#pragma once

#include <cstdint>

class Quor_ShapeEdges {
public:
    // A row never keeps more crossings than this; further ones are dropped.
    static constexpr int32_t kMaxCrossingsPerRow = 1 << 20;

    Quor_ShapeEdges() = default;
    ~Quor_ShapeEdges();
    Quor_ShapeEdges(const Quor_ShapeEdges&) = delete;
    Quor_ShapeEdges& operator=(const Quor_ShapeEdges&) = delete;

    // Sizes the table to `rows` rows, reusing its storage when it is large enough, and empties
    // it. Returns false when memory runs out; the table then has no rows and takes nothing.
    bool Reset(int rows);

    // Adds a crossing at x to row y, keeping the row sorted by x; left and right bound the pixels
    // the edge touches in the row. Rows outside the table, and crossings for which no memory can
    // be found, are dropped.
    void Insert(int y, int32_t x, int32_t left, int32_t right);

    bool Empty() const { return first > last; }
    // The range of rows that received crossings (meaningless while Empty()).
    int FirstRow() const { return first; }
    int LastRow() const { return last; }
    int Rows() const { return rowCount; }

    int Count(int y) const { return Valid(y) ? rows[y].count : 0; }
    const int32_t* X(int y) const { return Valid(y) ? rows[y].data : nullptr; }
    const int32_t* Left(int y) const { return Valid(y) ? rows[y].data + rows[y].capacity : nullptr; }
    const int32_t* Right(int y) const
    {
        return Valid(y) ? rows[y].data + 2 * static_cast<int64_t>(rows[y].capacity) : nullptr;
    }

private:
    // One row's crossings: x, left and right bounds stored as three arrays of `capacity`
    // entries in one allocation. Capacity starts at 8 and doubles.
    struct Row {
        int32_t count = 0;
        int32_t capacity = 0;
        int32_t* data = nullptr;
    };

    bool Valid(int y) const { return y >= 0 && y < rowCount; }
    bool Grow(Row* row);
    void FreeRows();

    Row* rows = nullptr;
    int rowCount = 0;      // rows in use
    int rowCapacity = 0;   // rows allocated
    int first = 1;         // rows touched since the last Reset (first > last when none)
    int last = 0;
};
