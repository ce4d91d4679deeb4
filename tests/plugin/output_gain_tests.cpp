// The output gain must have the same bits on every platform. Expected values
// are exp() of the single-precision exponent (40v - 20) * 0.115129255,
// correctly rounded to float, computed with 60-digit decimal arithmetic; the
// values after the first twelve are ones where the C library's own
// single-precision exp() is one unit off.
#include <gtest/gtest.h>

#include "plugin/sorvane.h"

namespace sorvane {
namespace {

struct GainCase {
  float value;
  float gain;
};

constexpr GainCase kCorrectlyRounded[] = {
    {0x0.0p+0f, 0x1.9999980000000p-4f},
    {0x1.0000000000000p-2f, 0x1.43d1360000000p-2f},
    {0x1.0000000000000p-1f, 0x1.0000000000000p+0f},
    {0x1.8000000000000p-1f, 0x1.94c5840000000p+1f},
    {0x1.0000000000000p+0f, 0x1.4000000000000p+3f},
    {0x1.cccccc0000000p-2f, 0x1.96b2300000000p-1f},
    {0x1.0000000000000p-3f, 0x1.6c310e0000000p-3f},
    {0x1.cccccc0000000p-1f, 0x1.93d00e0000000p+2f},
    {0x1.99999a0000000p-4f, 0x1.44960c0000000p-3f},
    {0x1.5555540000000p-2f, 0x1.db4c720000000p-2f},
    {0x1.59999a0000000p-1f, 0x1.1e8e6a0000000p+1f},
    {0x1.19999a0000000p-1f, 0x1.4248f00000000p+0f},
    {0x1.9300000000000p-15f, 0x1.99b0d20000000p-4f},
    {0x1.2be6660000000p-14f, 0x1.99bc260000000p-4f},
    {0x1.8446660000000p-12f, 0x1.9a4c920000000p-4f},
    {0x1.5be3340000000p-11f, 0x1.9ada820000000p-4f},
    {0x1.b543360000000p-11f, 0x1.9b2d1e0000000p-4f},
    {0x1.e6de660000000p-10f, 0x1.9d1e4a0000000p-4f},
    {0x1.3a7a680000000p-9f, 0x1.9e269e0000000p-4f},
    {0x1.87859a0000000p-9f, 0x1.9f45fc0000000p-4f},
    {0x1.df88cc0000000p-9f, 0x1.a08f3e0000000p-4f},
    {0x1.2d6d360000000p-8f, 0x1.a25e480000000p-4f},
    {0x1.82aacc0000000p-8f, 0x1.a4e1ba0000000p-4f},
    {0x1.d296000000000p-8f, 0x1.a740860000000p-4f},
    {0x1.244c360000000p-7f, 0x1.aac6c40000000p-4f},
    {0x1.7167000000000p-7f, 0x1.af6d1a0000000p-4f},
    {0x1.bdc9020000000p-7f, 0x1.b415180000000p-4f},
    {0x1.0b86e80000000p-6f, 0x1.b996780000000p-4f},
    {0x1.5a90b40000000p-6f, 0x1.c382060000000p-4f},
    {0x1.a892ea0000000p-6f, 0x1.cd84660000000p-4f},
    {0x1.f574ea0000000p-6f, 0x1.d799600000000p-4f},
    {0x1.4210260000000p-5f, 0x1.eae5220000000p-4f},
    {0x1.90415a0000000p-5f, 0x1.007a200000000p-3f},
    {0x1.dd20760000000p-5f, 0x1.0bcdaa0000000p-3f},
    {0x1.29a5d60000000p-4f, 0x1.1e328e0000000p-3f},
    {0x1.7619ac0000000p-4f, 0x1.37e2dc0000000p-3f},
    {0x1.c2f3520000000p-4f, 0x1.54085c0000000p-3f},
    {0x1.0f6aa40000000p-3f, 0x1.7909bc0000000p-3f},
    {0x1.5bd0920000000p-3f, 0x1.bfb4b20000000p-3f},
    {0x1.a864520000000p-3f, 0x1.09ea9a0000000p-2f},
    {0x1.f4b4560000000p-3f, 0x1.3bb2300000000p-2f},
    {0x1.4100d40000000p-2f, 0x1.b1c5140000000p-2f},
    {0x1.8d59860000000p-2f, 0x1.31bbe00000000p-1f},
    {0x1.d9fc100000000p-2f, 0x1.af8a440000000p-1f},
    {0x1.2648400000000p-1f, 0x1.693a0c0000000p+0f},
    {0x1.72945e0000000p-1f, 0x1.66bed40000000p+1f},
    {0x1.beec360000000p-1f, 0x1.646d900000000p+2f},
};

TEST(OutputGain, MatchesTheCorrectlyRoundedExponentialBitForBit) {
  for (const GainCase& c : kCorrectlyRounded)
    EXPECT_EQ(outputGainFor(c.value), c.gain) << std::hexfloat << "value " << c.value;
}

TEST(OutputGain, HoldsValuesOutsideTheKnobToItsEnds) {
  EXPECT_EQ(outputGainFor(-3.0f), outputGainFor(0.0f));
  EXPECT_EQ(outputGainFor(7.0f), outputGainFor(1.0f));
  EXPECT_EQ(outputGainFor(__builtin_inff()), outputGainFor(1.0f));
  EXPECT_EQ(outputGainFor(__builtin_nanf("")), 1.0f);
}

}  // namespace
}  // namespace sorvane
