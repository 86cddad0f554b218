// Four 32-bit floats handled by one instruction, for the per-texel formulas
// of the texture. Every operation is IEEE-exact (+, −, ×, ÷, √, comparisons),
// so a lane computes exactly what the same formula on a plain float does.
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>

struct TFloat4 {
    __m128 v;
    static constexpr int Width = 4;
    TFloat4() : v(_mm_setzero_ps()) {}
    TFloat4(__m128 x) : v(x) {}
    TFloat4(float x) : v(_mm_set1_ps(x)) {}
    static TFloat4 Load(const float *p) { return _mm_loadu_ps(p); }
    void Store(float *p) const { _mm_storeu_ps(p, v); }
};

inline TFloat4 operator+(TFloat4 a, TFloat4 b) { return _mm_add_ps(a.v, b.v); }
inline TFloat4 operator-(TFloat4 a, TFloat4 b) { return _mm_sub_ps(a.v, b.v); }
inline TFloat4 operator-(TFloat4 a) { return _mm_xor_ps(a.v, _mm_set1_ps(-0.0f)); }
inline TFloat4 operator*(TFloat4 a, TFloat4 b) { return _mm_mul_ps(a.v, b.v); }
inline TFloat4 operator/(TFloat4 a, TFloat4 b) { return _mm_div_ps(a.v, b.v); }
inline TFloat4 Sqrt(TFloat4 a) { return _mm_sqrt_ps(a.v); }
inline TFloat4 Min(TFloat4 a, TFloat4 b) { return _mm_min_ps(a.v, b.v); }
inline TFloat4 Max(TFloat4 a, TFloat4 b) { return _mm_max_ps(a.v, b.v); }
inline TFloat4 PositiveOr(TFloat4 a, float fallback)
{
    const __m128 positive = _mm_cmpgt_ps(a.v, _mm_setzero_ps());
    return _mm_or_ps(_mm_and_ps(positive, a.v), _mm_andnot_ps(positive, _mm_set1_ps(fallback)));
}
// Truncated toward zero, like a cast of each lane to int.
inline void StoreTruncated(TFloat4 a, int *p) { _mm_storeu_si128(reinterpret_cast<__m128i *>(p), _mm_cvttps_epi32(a.v)); }

#define OROLITH_FLOAT_LANES 1
#endif

// The same formulas on one plain float, for the texels after the last whole
// group of lanes (and for processors without them).
inline float Min(float a, float b) { return b < a ? b : a; }
inline float Max(float a, float b) { return a < b ? b : a; }

template <class T>
constexpr int Width() { return static_cast<int>(sizeof(T) / sizeof(float)); }

template <class T>
T LoadAt(const float *p);
template <>
inline float LoadAt<float>(const float *p) { return *p; }
template <class T>
void StoreAt(T v, float *p);
template <>
inline void StoreAt<float>(float v, float *p) { *p = v; }
#ifdef OROLITH_FLOAT_LANES
template <>
inline TFloat4 LoadAt<TFloat4>(const float *p) { return TFloat4::Load(p); }
template <>
inline void StoreAt<TFloat4>(TFloat4 v, float *p) { v.Store(p); }
#endif
