// The per-channel steps of a gradient, in single precision as the looks were tuned with: the
// colour of step i of n is start + (end - start) / n * i per channel, rounded half to even,
// clamped to 0..255 (a channel leaves that range only for i outside 0..n).
//
// Two builds of the same sums: the plain one, and one working the three channels side by
// side with SSE2 (the looks ask for some hundreds of steps per paint). Both are compiled
// wherever SSE2 is, so that the tests hold one against the other; the drawing calls use the
// fast one unless the build forces the plain one (VEXORIN_PLAIN_GRADIENT).
#pragma once

#include "colour.h"

#include <QRgb>
#include <algorithm>
#include <climits>
#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace host {

class PlainGradientSteps
{
public:
    PlainGradientSteps(OleColor start, OleColor end, long long n)
    {
        const int a[3] = {redOf(start), greenOf(start), blueOf(start)};
        const int b[3] = {redOf(end), greenOf(end), blueOf(end)};
        for (int k = 0; k < 3; ++k) {
            m_from[k] = static_cast<float>(a[k]);
            m_step[k] = (static_cast<float>(b[k]) - static_cast<float>(a[k])) / static_cast<float>(n);
        }
    }
    QRgb at(long long i) const
    {
        int c[3];
        for (int k = 0; k < 3; ++k)
            c[k] = channel(m_from[k] + m_step[k] * static_cast<float>(i));
        return qRgb(c[0], c[1], c[2]);
    }

private:
    // Rounds half to even into 0..255. Adding and taking away 1.5 * 2^23 lets the FPU's
    // round-to-nearest-even mode do the rounding without a library call; values that far
    // off are clamped first.
    static int channel(float v)
    {
        const float clamped = std::clamp(v, -1.0f, 256.0f);
        const float magic = 12582912.0f;
        return std::clamp(static_cast<int>((clamped + magic) - magic), 0, 255);
    }

    float m_from[3], m_step[3];
};

#if defined(__SSE2__)
class Sse2GradientSteps
{
public:
    Sse2GradientSteps(OleColor start, OleColor end, long long n)
    {
        const float count = static_cast<float>(n);
        m_from = _mm_setr_ps(static_cast<float>(blueOf(start)), static_cast<float>(greenOf(start)),
                             static_cast<float>(redOf(start)), 255.0f);
        m_step = _mm_setr_ps((static_cast<float>(blueOf(end)) - static_cast<float>(blueOf(start))) / count,
                             (static_cast<float>(greenOf(end)) - static_cast<float>(greenOf(start))) / count,
                             (static_cast<float>(redOf(end)) - static_cast<float>(redOf(start))) / count, 0.0f);
    }
    QRgb at(long long i) const
    {
        const __m128 value = _mm_add_ps(m_from, _mm_mul_ps(m_step, _mm_set1_ps(static_cast<float>(i))));
        // Clamped before the conversion, which gives INT_MIN for anything past the int range.
        const __m128 clamped = _mm_min_ps(_mm_max_ps(value, _mm_set1_ps(-1.0f)), _mm_set1_ps(256.0f));
        const __m128i whole = _mm_cvtps_epi32(clamped); // the default rounding: half to even
        const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(whole, whole), _mm_setzero_si128());
        return static_cast<QRgb>(_mm_cvtsi128_si32(bytes));
    }

private:
    __m128 m_from, m_step; // lanes blue, green, red, alpha: the byte order of a QRgb
};
#endif

#if defined(__SSE2__) && !defined(VEXORIN_PLAIN_GRADIENT)
using GradientSteps = Sse2GradientSteps;
#else
using GradientSteps = PlainGradientSteps;
#endif

} // namespace host
