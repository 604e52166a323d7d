// The one rectangle type and point of the portable core, laid out as a
// Windows RECT and POINT (left, top, right, bottom; x, y).
#pragma once

struct Point {
    int x = 0, y = 0;
    bool operator==(const Point& o) const { return x == o.x && y == o.y; }
};

struct Box {  // left, top, right, bottom, as a Windows RECT
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool empty() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    bool operator==(const Box& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};
