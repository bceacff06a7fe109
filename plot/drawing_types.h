// Plain value types shared by the drawing library and the program's state.
#pragma once

// A position in drawing coordinates (the window's -1..1 square), x then y.
struct Point2 {
    double x;
    double y;
};

// A colour handed to OpenGL unchanged. Blending is never enabled, so alpha
// has no visible effect; every colour of the program has alpha 0.
struct Rgba {
    float r;
    float g;
    float b;
    float a;
};
