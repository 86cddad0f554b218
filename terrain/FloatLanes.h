// Four 32-bit floats handled by one instruction, for the per-texel formulas
// of the texture. Every operation is IEEE-exact (+, −, ×, ÷, √, comparisons),
// so a lane computes exactly what the same formula on a plain float does.
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>

#include <cstdint>

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

// The three low bytes of four 32-bit values, each times its lane of f with
// the product formed exactly in double (a byte times a float always fits)
// and truncated toward zero, packed back in place with `top` as the fourth
// byte: what static_cast<uint32_t>(double(byte) * f) does one at a time.
inline void ScaleLowBytes(const uint32_t *in, TFloat4 f, uint32_t top, uint32_t *out)
{
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in));
    const __m128d fLo = _mm_cvtps_pd(f.v), fHi = _mm_cvtps_pd(_mm_movehl_ps(f.v, f.v));
    __m128i packed = _mm_set1_epi32(static_cast<int>(top << 24));
    for (int shift = 0; shift < 24; shift += 8) {
        const __m128i b = _mm_and_si128(_mm_srli_epi32(v, shift), _mm_set1_epi32(0xFF));
        const __m128i lo = _mm_cvttpd_epi32(_mm_mul_pd(_mm_cvtepi32_pd(b), fLo));
        const __m128i hi = _mm_cvttpd_epi32(_mm_mul_pd(_mm_cvtepi32_pd(_mm_shuffle_epi32(b, 0x4E)), fHi));
        packed = _mm_or_si128(packed, _mm_slli_epi32(_mm_unpacklo_epi64(lo, hi), shift));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out), packed);
}

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
