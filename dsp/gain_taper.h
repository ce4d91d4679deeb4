#pragma once

// Gain knobs read a potentiometer position through a tabulated taper: the
// knob's deflection from centre indexes a 15-entry table, a Catmull-Rom
// spline interpolates between entries, and the cut side mirrors the boost
// side around the centre 0.5. All arithmetic is 32-bit float.
//
// Tables: T[1] = 0.5 is the centre, T[0] the mirror point below it, and
// T[11]..T[14] repeat the end value so that full deflection reads inside
// the table.

#include <array>

namespace sorvane::dsp {

using GainTaperTable = std::array<float, 15>;

// Potentiometer position 0..1 for a normalised gain value. Values inside
// 0..1 follow the taper bit for bit; values outside are clamped to 0..1
// (full cut or full boost) and NaN reads as the centre, so no value can
// index outside the table.
float gainTaper(float gainValue, const GainTaperTable& table);

namespace tessaro {
inline constexpr GainTaperTable kHighShelfGainTaper{0.43f,  0.5f,   0.57f,  0.637f, 0.7f, 0.758f, 0.81f, 0.856f,
                                                    0.896f, 0.931f, 0.963f, 1.0f,   1.0f, 1.0f,   1.0f};
inline constexpr GainTaperTable kLowShelfGainTaper{0.434f, 0.5f,   0.566f, 0.631f, 0.693f, 0.751f, 0.805f, 0.854f,
                                                   0.897f, 0.936f, 0.969f, 1.0f,   1.0f,   1.0f,   1.0f};
inline constexpr GainTaperTable kMidNarrowGainTaper{0.417f, 0.5f,  0.583f, 0.661f, 0.733f, 0.796f, 0.849f, 0.893f,
                                                    0.93f,  0.96f, 0.984f, 1.0f,   1.0f,   1.0f,   1.0f};
inline constexpr GainTaperTable kMidWideGainTaper{0.433f, 0.5f,   0.567f, 0.632f, 0.695f, 0.753f, 0.807f, 0.856f,
                                                  0.9f,   0.938f, 0.972f, 1.0f,   1.0f,   1.0f,   1.0f};
}  // namespace tessaro

namespace pallido {
inline constexpr GainTaperTable kHighShelfGainTaper{0.411f, 0.5f,   0.589f, 0.672f, 0.743f, 0.806f, 0.858f, 0.9f,
                                                    0.933f, 0.961f, 0.983f, 1.0f,   1.0f,   1.0f,   1.0f};
inline constexpr GainTaperTable kLowShelfGainTaper{0.408f, 0.5f,   0.592f, 0.678f, 0.75f, 0.813f, 0.865f, 0.906f,
                                                   0.937f, 0.963f, 0.984f, 1.0f,   1.0f,  1.0f,   1.0f};
inline constexpr GainTaperTable kHighMidNarrowGainTaper{0.425f, 0.5f,   0.575f, 0.647f, 0.714f, 0.775f, 0.829f, 0.876f,
                                                        0.915f, 0.949f, 0.977f, 1.0f,   1.0f,   1.0f,   1.0f};
inline constexpr GainTaperTable kHighMidWideGainTaper{0.437f, 0.5f,  0.563f, 0.624f, 0.683f, 0.74f, 0.793f, 0.843f,
                                                      0.888f, 0.93f, 0.966f, 1.0f,   1.0f,   1.0f,  1.0f};
inline constexpr GainTaperTable kLowMidNarrowGainTaper{0.417f, 0.5f,   0.583f, 0.658f, 0.727f, 0.789f, 0.842f, 0.887f,
                                                       0.924f, 0.955f, 0.98f,  1.0f,   1.0f,   1.0f,   1.0f};
inline constexpr GainTaperTable kLowMidWideGainTaper{0.436f, 0.5f,   0.564f, 0.627f, 0.687f, 0.745f, 0.798f, 0.847f,
                                                     0.892f, 0.932f, 0.968f, 1.0f,   1.0f,   1.0f,   1.0f};
}  // namespace pallido

}  // namespace sorvane::dsp
