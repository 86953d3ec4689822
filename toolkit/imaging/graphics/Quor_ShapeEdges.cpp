#include "toolkit/imaging/graphics/Quor_ShapeEdges.h"

#include <cstring>
#include <new>

Quor_ShapeEdges::~Quor_ShapeEdges()
{
    FreeRows();
}

void Quor_ShapeEdges::FreeRows()
{
    for (int i = 0; i < rowCapacity; i++)
        delete[] rows[i].data;
    delete[] rows;
    rows = nullptr;
    rowCount = 0;
    rowCapacity = 0;
    first = 1;
    last = 0;
}

bool Quor_ShapeEdges::Reset(int newRows)
{
    if (newRows < 0)
        newRows = 0;
    if (newRows > rowCapacity) {
        FreeRows();
        rows = new (std::nothrow) Row[newRows];
        if (!rows)
            return false;
        rowCapacity = newRows;
    } else if (!Empty()) {
        // Only the rows a shape touched hold crossings; their storage stays for the next shape.
        for (int y = first; y <= last; y++)
            rows[y].count = 0;
    }
    rowCount = newRows;
    first = 1;
    last = 0;
    return true;
}

bool Quor_ShapeEdges::Grow(Row* row)
{
    const int32_t capacity = row->capacity == 0 ? 8 : row->capacity * 2;
    if (capacity > kMaxCrossingsPerRow)
        return false;
    int32_t* data = new (std::nothrow) int32_t[3 * static_cast<size_t>(capacity)];
    if (!data)
        return false;
    if (row->count > 0) {
        const size_t bytes = static_cast<size_t>(row->count) * sizeof(int32_t);
        for (int part = 0; part < 3; part++)
            std::memcpy(data + static_cast<size_t>(part) * capacity,
                        row->data + static_cast<size_t>(part) * row->capacity, bytes);
    }
    delete[] row->data;
    row->data = data;
    row->capacity = capacity;
    return true;
}

void Quor_ShapeEdges::Insert(int y, int32_t x, int32_t left, int32_t right)
{
    if (!Valid(y))
        return;
    Row& row = rows[y];
    if (row.count == row.capacity && !Grow(&row))
        return;
    int32_t* xs = row.data;
    int32_t* ls = row.data + row.capacity;
    int32_t* rs = row.data + 2 * static_cast<size_t>(row.capacity);
    // Rows hold a handful of crossings, so an insertion from the end is the cheapest sort.
    int i = row.count;
    while (i > 0 && xs[i - 1] > x) {
        xs[i] = xs[i - 1];
        ls[i] = ls[i - 1];
        rs[i] = rs[i - 1];
        i--;
    }
    xs[i] = x;
    ls[i] = left;
    rs[i] = right;
    row.count++;
    if (Empty()) {
        first = y;
        last = y;
    } else {
        if (y < first)
            first = y;
        if (y > last)
            last = y;
    }
}
