#pragma once

namespace touchlane {

// A point or displacement in screen points (global display coordinates).
struct Point {
    double x = 0;
    double y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// A rectangle in screen points: origin and size.
struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace touchlane
