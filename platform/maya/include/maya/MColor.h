#pragma once
#include <maya/MTypes.h>

#include <ostream>

// A colour with alpha, in floats; the default is opaque black.
class OPENMAYA_EXPORT MColor {
public:
    MColor() = default;
    MColor(float rr, float gg, float bb, float aa = 1.0f) : r(rr), g(gg), b(bb), a(aa) {}
    MColor(const float rgb[3]) : r(rgb[0]), g(rgb[1]), b(rgb[2]) {}

    // Index 0..3 picks r, g, b, a; anything larger picks a.
    float operator[](unsigned int i) const { return i == 0 ? r : i == 1 ? g : i == 2 ? b : a; }
    float& operator[](unsigned int i) { return i == 0 ? r : i == 1 ? g : i == 2 ? b : a; }
    bool get(float dest[4]) const {
        dest[0] = r, dest[1] = g, dest[2] = b, dest[3] = a;
        return true;
    }

    MColor operator+(const MColor& o) const { return MColor(r + o.r, g + o.g, b + o.b, a + o.a); }
    MColor operator-(const MColor& o) const { return MColor(r - o.r, g - o.g, b - o.b, a - o.a); }
    MColor operator-() const { return MColor(-r, -g, -b, -a); }
    // Component-wise product.
    MColor operator*(const MColor& o) const { return MColor(r * o.r, g * o.g, b * o.b, a * o.a); }
    MColor operator*(float s) const { return MColor(r * s, g * s, b * s, a * s); }
    MColor operator/(float s) const { return MColor(r / s, g / s, b / s, a / s); }
    MColor& operator+=(const MColor& o) { return *this = *this + o; }
    MColor& operator-=(const MColor& o) { return *this = *this - o; }
    MColor& operator*=(const MColor& o) { return *this = *this * o; }
    MColor& operator*=(float s) { return *this = *this * s; }
    MColor& operator/=(float s) { return *this = *this / s; }
    bool operator==(const MColor& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    bool operator!=(const MColor& o) const { return !(*this == o); }

    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 1.0f;
};

inline MColor operator*(float s, const MColor& c) { return c * s; }
// Prints "[r, g, b, a]".
inline std::ostream& operator<<(std::ostream& out, const MColor& c) {
    return out << "[" << c.r << ", " << c.g << ", " << c.b << ", " << c.a << "]";
}
