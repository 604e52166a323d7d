// The one rectangle type and point of the portable core, laid out as a
// Windows RECT and POINT (left, top, right, bottom; x, y).
#pragma once

#include <climits>
#include <cstdint>

// Coordinates of hostile skins reach the ends of int's range; sums and
// differences of them are taken in 64 bits and held to that range.
inline int SaturateInt(int64_t v)
{
    return v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : static_cast<int>(v);
}

struct Point {
    int x = 0, y = 0;
    bool operator==(const Point& o) const { return x == o.x && y == o.y; }
};

struct Box {  // left, top, right, bottom, as a Windows RECT
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return SaturateInt(int64_t{right} - left); }
    int height() const { return SaturateInt(int64_t{bottom} - top); }
    bool empty() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    bool operator==(const Box& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};
