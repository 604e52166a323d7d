// The skinned frame's geometry on plain pixel buffers and numbers (no
// Windows header): outline tracing, the outline file, stretching by bands,
// hit testing, sizing, placement, docking and control layout.
#pragma once
#include <climits>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/box.h"

// --- Outline ------------------------------------------------------------------
// How far outline points are moved right and down from the pixels they come
// from: the client draws its outline one pixel in, the personal browser two.
enum OutlineShift { kOutlineShiftClient = 1, kOutlineShiftPersonalBrowser = 2 };

// Traces the outline of the picture (top-down rows of `stride` pixels):
// everything not of the colour of pixel (0, 0) is the shape. A clockwise
// contour walk from the first shape pixel (rows from the top, columns from
// the left), simplified to the points where the walk turns, each shifted by
// `shift` in x and y. Empty when the picture is all one colour. The walk is
// bounded: a picture it cannot close within 8 steps per pixel (or 4 million
// steps) gives an empty outline, and the window keeps its rectangle.
std::vector<Point> TraceOutline(const uint32_t* pixels, int width, int height, int stride,
                                int shift = kOutlineShiftClient);

// The outline file "edge.pol": a little-endian count N, then N points (x, y,
// signed 32-bit).
constexpr size_t kEdgePolCountSize = 4;       // the count at offset 0
constexpr size_t kEdgePolPointsOffset = 4;    // the first point, right after the count
constexpr size_t kEdgePolPointSize = 8;       // each point
constexpr size_t kEdgePolXOffset = 0;         // x within a point
constexpr size_t kEdgePolYOffset = 4;         // y within a point
// Where x and y of point `index` are in the file.
constexpr size_t EdgePolXAt(size_t index)
{
    return kEdgePolPointsOffset + kEdgePolPointSize * index + kEdgePolXOffset;
}
constexpr size_t EdgePolYAt(size_t index)
{
    return kEdgePolPointsOffset + kEdgePolPointSize * index + kEdgePolYOffset;
}
// Each point is shifted by `shift` (held to int's range, so
// a stored 2147483647 stays as it is). False, and nothing allocated
// for the count, when the file is shorter than its count says, or empty, or
// the count is over skin_limits::kMaxOutlinePoints; false too when more
// than skin_limits::kMaxOutlineRowCrossings edges cross one row.
bool ParseEdgePol(const uint8_t* data, size_t size, std::vector<Point>* points,
                  int shift = kOutlineShiftClient);

// The most edges (from each point to the next, as the region is made, the
// last back to the first) that cross one row: an edge from y0 to y1 (not
// level) crosses the rows min(y0, y1) to max(y0, y1) - 1.
size_t MostRowCrossings(const std::vector<Point>& outline);

// The bytes of an outline file holding `points` as they are: the reader adds
// its own shift, so an outline traced with shift 0 and stored here reads back
// exactly as the frame would have traced it.
std::vector<uint8_t> EncodeEdgePol(const std::vector<Point>& points);

// --- Stretching ------------------------------------------------------------------
struct Band {  // [start, end) along one axis; absent when both are 0
    int start = 0, end = 0;
    bool present() const { return start != 0 || end != 0; }
};

// A band that can be repeated: present, at least one pixel wide, and inside
// the bitmap. Any other band is treated as absent (no stretching), which
// also keeps a band of width 0 from dividing by zero.
bool UsableBand(const Band& band, int size0);

struct Segment {  // copy `length` lines from `source` to `target`
    int target, source, length;
};

// How a bitmap `size0` long becomes `size` long along one axis: the part
// before the band's end, the band repeated, a partial band from the band's
// start, then the part after the band. When size < size0 the bitmap is
// copied unchanged (and cut off by the smaller picture).
std::vector<Segment> BandPlan(int size0, int size, const Band& band);

// Whether a frame of W x H is drawn from a stretched picture.
bool IsStretched(int width0, int height0, int width, int height, const Band& h, const Band& v);

// Composes the W x H picture from the W0 x H0 bitmap with the two plans.
// Rows are top-down; strides are in pixels. Targets outside are cut off.
void ComposeStretched(const uint32_t* source, int width0, int height0, int sourceStride,
                      uint32_t* target, int width, int height, int targetStride,
                      const Band& h, const Band& v);

// --- Hit testing -----------------------------------------------------------------
enum HitCode {
    kHitClient = 1,
    kHitLeft = 10,
    kHitRight = 11,
    kHitTop = 12,
    kHitTopLeft = 13,
    kHitTopRight = 14,
    kHitBottom = 15,
    kHitBottomLeft = 16,
    kHitBottomRight = 17,
    kHitBorder = 18,  // the moving cursor
};

// The edge class of a point (client coordinates) against the sizing frame.
int ClassifyEdge(int x, int y, const Box& sizing);

// The sizing frame: CURSORAREA with its right and bottom moved by the growth.
Box SizingFrame(const Box& cursorArea, int dW, int dH);

// --- Sizing, placement, docking ----------------------------------------------------
// Every coordinate these give (and the layout functions below) is held to
// int's range instead of wrapping around.
// The frame proposed while sizing from `current` by (dx, dy) at the edges the
// hit code names; width kept in [W0, max(workW, W0)], height likewise.
Box ProposeFrame(const Box& current, int hit, int dx, int dy, int width0, int height0,
                 int workWidth, int workHeight);

// Moves `r` inside `work`: left and top first, then right and bottom, each
// time keeping the size.
Box PullInside(const Box& r, const Box& work);

// Centred on `center`, then pulled inside the work area.
Box CenterPlacement(int width, int height, const Box& center, const Box& work);

// ALIGN 0..7: the skin's rectangle pulled inside the work area; 1 and 6
// anchor the right edge, 2 and 7 the bottom, 3 both (as designed on a
// 1024 x 768 screen). Other values place like 0.
Box AlignPlacement(const Box& skinRect, int align, const Box& work);

// ALIGN 8..11: the frame beside `target` with the skin's X and Y as offsets,
// pulled inside the work area. False when docking is skipped: a target that
// has not moved since `lastTarget`, or one wholly beyond the work area.
bool DockPlacement(int align, const Box& target, const Box& lastTarget, int offsetX,
                   int offsetY, int width, int height, const Box& work, Box* frame);

// --- Layout after growth --------------------------------------------------------------
// Buttons and animations: moved by dW when right >= band end, by dH when
// bottom >= band end.
Box LayoutControl(const Box& r, int dW, int dH, const Band& h, const Band& v);
// The address box (and the status line): horizontally moved (left >= hR) or
// widened (right >= hL); vertically moved when top >= vB or bottom >= vT.
Box LayoutAddressBox(const Box& r, int dW, int dH, const Band& h, const Band& v);
// The web area: horizontally as the address box; vertically moved (top >= vB)
// or made taller (bottom >= vT).
Box LayoutWebArea(const Box& r, int dW, int dH, const Band& h, const Band& v);

// --- Smoothing (ANTIALIAS) ----------------------------------------------------------
// Along each outline edge (a Bresenham line, both ends included), each of the
// four neighbours (left, up, right, down) of a line pixel of colour c becomes
// the per-channel average of c and the neighbour's own four neighbours.
// Pixels whose neighbourhood leaves the picture are left alone. Each edge is
// cut to the picture before it is walked. A pixel that lies on more than
// kSmoothingVisitsPerPixel edges is smoothed around only for the first that
// many: an ordinary outline never has that many edges through one pixel, and
// a criss-crossing one costs no more than that many passes over the picture.
void SmoothOutline(uint32_t* pixels, int width, int height, int stride,
                   const std::vector<Point>& outline);

enum { kSmoothingVisitsPerPixel = 4 };

// The same in two steps, so that a frame walks its outline once per outline
// and size and only blends at each paint: the line pixels in the order the
// smoothing visits them, as indexes y * width + x (at most
// kSmoothingVisitsPerPixel * width * height of them; empty for a picture of
// more than 2^32 pixels) ...
std::vector<uint32_t> PlanSmoothing(int width, int height, const std::vector<Point>& outline);
// ... and the smoothing around each of them, in that order.
void ApplySmoothing(uint32_t* pixels, int width, int height, int stride,
                    const std::vector<uint32_t>& plan);
