// CursorArt: each cursor is made of pieces. A piece is a set of white shapes drawn finely, cut at
// half coverage into whole pixels and ringed with black one pixel wide all round. A later piece
// covers an earlier one, its ring included, which keeps a sign readable where it overlaps the
// arrow.

#include "tools/artgen/CursorArt.h"

#include <array>
#include <vector>

#include "toolkit/core/Quor_Status.h"
#include "tools/artgen/ArtCanvas.h"
#include "tools/artgen/ArtPath.h"

namespace {

constexpr int kN = CursorArt::kSize;
constexpr int kSamples = 8;
constexpr float kPi = 3.14159265358979f;

enum Tone : uint8_t { kClear = 0, kWhite = 1, kBlack = 2 };
using Grid = std::array<uint8_t, kN * kN>;

// White shapes; each is filled on its own, so overlapping shapes join.
struct Piece {
    std::vector<ArtContour> fill;
};

// The piece in whole pixels: white where the shapes cover at least half a pixel, black where a
// clear pixel touches the white, diagonals included.
Grid Render(const Piece& piece)
{
    Grid grid{};
    ArtCanvas canvas;
    Quor_BaseImage reduced;
    if (canvas.Init(kN, kN, kSamples) != QUOR_OK)
        return grid;
    for (const ArtContour& shape : piece.fill)
        canvas.Fill(shape, rgb_color{255, 255, 255, 255});
    if (canvas.Reduce(&reduced) != QUOR_OK)
        return grid;
    for (int y = 0; y < kN; y++)
        for (int x = 0; x < kN; x++)
            grid[size_t(y * kN + x)] = (reduced.Image().Row32(y)[x] & 255) >= 128 ? kWhite : kClear;
    Grid ringed = grid;
    for (int y = 0; y < kN; y++) {
        for (int x = 0; x < kN; x++) {
            if (grid[size_t(y * kN + x)] != kClear)
                continue;
            bool touches = false;
            for (int dy = -1; dy <= 1; dy++)
                for (int dx = -1; dx <= 1; dx++) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx >= 0 && ny >= 0 && nx < kN && ny < kN && grid[size_t(ny * kN + nx)] != kClear)
                        touches = true;
                }
            if (touches)
                ringed[size_t(y * kN + x)] = kBlack;
        }
    }
    return ringed;
}

void Stamp(Grid* under, const Grid& over)
{
    for (size_t i = 0; i < under->size(); i++)
        if (over[i] != kClear)
            (*under)[i] = over[i];
}

// Whole pixels: the run of pixels x0 to x1 of row y, and the rectangle of pixels between two
// corner pixels. Arrow heads and thin bars are laid out pixel by pixel so that they stay sharp
// and symmetric; round shapes are drawn and cut at half coverage.
ArtContour Run(int x0, int x1, int y)
{
    return ArtPath::Rect(float(x0), float(y), float(x1 + 1), float(y + 1));
}

ArtContour Block(int x0, int y0, int x1, int y1)
{
    return ArtPath::Rect(float(x0), float(y0), float(x1 + 1), float(y1 + 1));
}

// An arrow head of `depth` rows with its tip at pixel (x, y), pointing up (dy -1) or down (dy 1):
// row k below the tip is 2k + 1 pixels wide.
void HeadVertical(Piece* p, int x, int y, int dy, int depth)
{
    for (int k = 0; k < depth; k++)
        p->fill.push_back(Run(x - k, x + k, y - dy * k));
}

// The same pointing left (dx -1) or right (dx 1).
void HeadHorizontal(Piece* p, int x, int y, int dx, int depth)
{
    for (int k = 0; k < depth; k++)
        p->fill.push_back(Block(x - dx * k, y - k, x - dx * k, y + k));
}

// --- The arrow of the photo tools --------------------------------------------------------------

// Its tip is pixel (1, 1); the sign drawn over its lower right leaves the point and the left edge.
Piece Arrow()
{
    Piece p;
    for (int y = 1; y <= 7; y++)
        p.fill.push_back(Run(1, y, y));
    p.fill.push_back(Run(1, 3, 8));
    p.fill.push_back(Run(1, 2, 9));
    p.fill.push_back(Run(1, 1, 10));
    return p;
}

// --- Signs beside the arrow: white within pixels 6 to 14, centred on pixel (10, 10) ------------

constexpr int kSignX = 10;
constexpr int kSignY = 10;
constexpr Quor_Vector2 kSign{10.5f, 10.5f};

// Four arrows out of the middle.
Piece MoveSign()
{
    Piece p;
    p.fill.push_back(Block(kSignX, kSignY - 3, kSignX, kSignY + 3));
    p.fill.push_back(Block(kSignX - 3, kSignY, kSignX + 3, kSignY));
    HeadVertical(&p, kSignX, kSignY - 4, -1, 2);
    HeadVertical(&p, kSignX, kSignY + 4, 1, 2);
    HeadHorizontal(&p, kSignX - 4, kSignY, -1, 2);
    HeadHorizontal(&p, kSignX + 4, kSignY, 1, 2);
    return p;
}

// Three quarters of a circle ending in an arrow head: a turn clockwise.
Piece RotateSign()
{
    Piece p;
    p.fill.push_back(ArtPath::ArcBand(Quor_Vector2(9.5f, 10.5f), 3.0f, 1.1f, kPi * 1.25f, 0.0f));
    // The head at the right end of the arc, pointing down.
    HeadVertical(&p, 12, 13, 1, 3);
    return p;
}

// A small disc with eight rays.
Piece BrightenSign()
{
    Piece p;
    p.fill.push_back(ArtPath::Circle(kSign, 2.55f));
    const int rays[8][2] = {{0, -4}, {0, 4}, {-4, 0}, {4, 0}, {-3, -3}, {3, -3}, {-3, 3}, {3, 3}};
    for (const auto& r : rays)
        p.fill.push_back(Run(kSignX + r[0], kSignX + r[0], kSignY + r[1]));
    return p;
}

// --- Centred cursors: the middle pixel is (7, 7) ----------------------------------------------

constexpr int kMid = 7;

// A double arrow across a bar: upright for the lines of latitude, lying for those of longitude.
Piece BarArrows(bool upright)
{
    Piece p;
    auto block = [&](int x0, int y0, int x1, int y1) {
        p.fill.push_back(upright ? Block(x0, y0, x1, y1) : Block(y0, x0, y1, x1));
    };
    // The shaft and the bar, then the heads row by row.
    block(kMid, 4, kMid, 10);
    block(2, kMid, 12, kMid);
    for (int k = 0; k < 4; k++) {
        block(kMid - k, 1 + k, kMid + k, 1 + k);
        block(kMid - k, 13 - k, kMid + k, 13 - k);
    }
    return p;
}

// An open hand seen from the palm side: four fingers one pixel apart, which the ring turns into
// black lines between them, and the thumb.
Piece Hand()
{
    Piece p;
    const int fingerTops[4] = {3, 1, 1, 2};
    for (int i = 0; i < 4; i++) {
        const int x = 4 + 3 * i;
        p.fill.push_back(Block(x, fingerTops[i] + 1, x + 1, 8));
        p.fill.push_back(Run(x, x + 1, fingerTops[i]));
    }
    p.fill.push_back(ArtPath::RoundedRect(4.0f, 7.0f, 15.0f, 14.0f, 2.0f));
    p.fill.push_back(ArtPath::Capsule(Quor_Vector2(1.9f, 7.6f), Quor_Vector2(4.6f, 10.4f), 2.2f));
    return p;
}

// A magnifier: a round lens with a handle to the lower right; the middle of the lens is the hot
// spot.
Piece Magnifier()
{
    Piece p;
    const Quor_Vector2 lens(7.5f, 7.5f);
    p.fill.push_back(ArtPath::ArcBand(lens, 4.1f, 1.4f, 0.0f, 2.0f * kPi));
    p.fill.push_back(ArtPath::Capsule(Quor_Vector2(11.2f, 11.2f), Quor_Vector2(13.6f, 13.6f), 2.6f));
    return p;
}

Grid Compose(CursorArt::Kind kind)
{
    Grid grid{};
    switch (kind) {
    case CursorArt::Kind::kMove:
        grid = Render(Arrow());
        Stamp(&grid, Render(MoveSign()));
        break;
    case CursorArt::Kind::kRotate:
        grid = Render(Arrow());
        Stamp(&grid, Render(RotateSign()));
        break;
    case CursorArt::Kind::kBrighten:
        grid = Render(Arrow());
        Stamp(&grid, Render(BrightenSign()));
        break;
    case CursorArt::Kind::kUpDown:
        grid = Render(BarArrows(true));
        break;
    case CursorArt::Kind::kLeftRight:
        grid = Render(BarArrows(false));
        break;
    case CursorArt::Kind::kPan:
        grid = Render(Hand());
        break;
    case CursorArt::Kind::kZoom:
        grid = Render(Magnifier());
        break;
    }
    return grid;
}

}  // namespace

int CursorArt::Draw(Kind kind, Quor_BaseImage* out)
{
    if (int result = out->Initialize(kN, kN, 32); result != QUOR_OK)
        return result;
    const Grid grid = Compose(kind);
    for (int y = 0; y < kN; y++) {
        uint32_t* row = out->Image().Row32(y);
        for (int x = 0; x < kN; x++) {
            const uint8_t tone = grid[size_t(y * kN + x)];
            row[x] = tone == kWhite ? 0xFFFFFFFFu : (tone == kBlack ? 0x000000FFu : 0u);
        }
    }
    return QUOR_OK;
}

Quor_Point CursorArt::HotSpot(Kind kind)
{
    switch (kind) {
    case Kind::kMove:
    case Kind::kRotate:
    case Kind::kBrighten:
        return Quor_Point(1, 1);
    default:
        return Quor_Point(7, 7);
    }
}
