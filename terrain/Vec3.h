// Three-component vectors for the normal map, the light and the camera. The
// component type is a template parameter so the texture passes can run the
// same formulas on several texels at once (FloatLanes.h); TVec3 is the plain
// vector of three 32-bit floats.
#pragma once

#include <cmath>

template <class T>
struct TVec3T {
    T x{}, y{}, z{};
};
using TVec3 = TVec3T<float>;

inline float Sqrt(float a) { return std::sqrt(a); }
inline float PositiveOr(float a, float fallback) { return a > 0 ? a : fallback; }

template <class T>
TVec3T<T> operator+(TVec3T<T> a, TVec3T<T> b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
template <class T>
TVec3T<T> operator-(TVec3T<T> a, TVec3T<T> b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
template <class T>
TVec3T<T> operator-(TVec3T<T> a) { return {-a.x, -a.y, -a.z}; }

template <class T, class S>
TVec3T<T> Scale(TVec3T<T> a, S s) { return {a.x * s, a.y * s, a.z * s}; }

template <class T>
T Dot(TVec3T<T> a, TVec3T<T> b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Right-handed.
template <class T>
TVec3T<T> Cross(TVec3T<T> a, TVec3T<T> b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

template <class T>
T Length(TVec3T<T> a) { return Sqrt(Dot(a, a)); }

// Divides by the length rather than multiplying by its reciprocal: that keeps
// an axis-aligned vector exactly of length 1, so flat ground gives the normal
// (0, 127, 0) and not (0, 126, 0). A zero vector stays zero instead of
// turning into NaNs, which would make a later conversion to bytes undefined.
template <class T>
TVec3T<T> Normalise(TVec3T<T> a)
{
    const T d = PositiveOr(Length(a), 1.0f);
    return {a.x / d, a.y / d, a.z / d};
}

// One division instead of three: for directions on the way to a result, where
// the last bit does not matter. Axis-aligned vectors may come out a little
// shorter than 1, so a result that must be exact is finished with Normalise.
template <class T>
TVec3T<T> NormaliseFast(TVec3T<T> a)
{
    const T inverse = T(1.0f) / PositiveOr(Length(a), 1.0f);
    return {a.x * inverse, a.y * inverse, a.z * inverse};
}
