// The audio path of both products: bypass, phase and output stage, the
// deferred coefficient update and its independence of block boundaries.
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "product_fixture.h"

namespace sorvane::testing {
namespace {

struct Stereo {
  std::vector<double> left, right;
  explicit Stereo(size_t n = 0) : left(n), right(n) {}
  size_t size() const { return left.size(); }
  bool operator==(const Stereo& other) const = default;
};

Stereo noise(size_t n, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> uniform(-0.5, 0.5);
  Stereo s(n);
  for (size_t i = 0; i < n; ++i) {
    // float-representable, so both precisions see the same input
    s.left[i] = static_cast<float>(uniform(random));
    s.right[i] = static_cast<float>(uniform(random));
  }
  return s;
}

// Processes in blocks of the given sizes (cycled), in double precision.
template <class Effect>
Stereo run(Effect& effect, const Stereo& input, const std::vector<int>& blocks) {
  Stereo output(input.size());
  size_t position = 0;
  for (size_t b = 0; position < input.size(); ++b) {
    const int size = std::min<int>(blocks[b % blocks.size()], static_cast<int>(input.size() - position));
    double* in[] = {const_cast<double*>(input.left.data() + position),
                    const_cast<double*>(input.right.data() + position)};
    double* out[] = {output.left.data() + position, output.right.data() + position};
    effect.processDoubleReplacing(in, out, size);
    position += static_cast<size_t>(size);
  }
  return output;
}

template <class Product>
class Chain : public ProductTest<Product> {
 protected:
  // A busy setting: every parameter off its Init value, inside 0..1.
  void setBusyProgram(typename ProductTest<Product>::Effect& effect) {
    for (int i = 0; i < Product::kParameterCount; ++i) {
      if (i == Product::kOnOffIndex || i == Product::kPhaseIndex) continue;
      effect.setParameter(i, 0.2f + 0.6f * static_cast<float>(i) / Product::kParameterCount);
    }
  }
};
TYPED_TEST_SUITE(Chain, Products);

TYPED_TEST(Chain, BypassCopiesTheInputBitForBitAndLeavesTheBandsAlone) {
  auto& effect = *this->effect;
  effect.setParameter(TypeParam::kOnOffIndex, 1.0f);
  Stereo input = noise(3000, 1);
  input.left[7] = 1e-310;  // a subnormal passes untouched too
  EXPECT_EQ(run(effect, input, {512}), input);

  std::vector<float> left(100, 0.25f), right(100, -0.75f), outLeft(100), outRight(100);
  float* in[] = {left.data(), right.data()};
  float* out[] = {outLeft.data(), outRight.data()};
  effect.processReplacing(in, out, 100);
  EXPECT_EQ(outLeft, left);
  EXPECT_EQ(outRight, right);
}

TYPED_TEST(Chain, ResumesFromTheStateItHadWhenBypassBegan) {
  typename TestFixture::Effect withBypass(nullptr), straight(nullptr);
  this->setBusyProgram(withBypass);
  this->setBusyProgram(straight);
  const Stereo first = noise(1500, 2), second = noise(2500, 3);
  EXPECT_EQ(run(withBypass, first, {256}), run(straight, first, {256}));
  withBypass.setParameter(TypeParam::kOnOffIndex, 1.0f);
  run(withBypass, noise(777, 4), {100});
  withBypass.setParameter(TypeParam::kOnOffIndex, 0.0f);
  EXPECT_EQ(run(withBypass, second, {256}), run(straight, second, {256}));
}

TYPED_TEST(Chain, PhaseNegatesTheOutputExactly) {
  typename TestFixture::Effect normal(nullptr), inverted(nullptr);
  this->setBusyProgram(normal);
  this->setBusyProgram(inverted);
  inverted.setParameter(TypeParam::kPhaseIndex, 1.0f);
  const Stereo input = noise(4000, 5);
  Stereo expected = run(normal, input, {333});
  for (auto* channel : {&expected.left, &expected.right})
    for (double& v : *channel) v = -v;
  EXPECT_EQ(run(inverted, input, {333}), expected);
}

TYPED_TEST(Chain, GivesTheSameOutputWhateverTheBlockSizes) {
  const Stereo input = noise(12000, 6);
  std::vector<Stereo> outputs;
  for (std::vector<int> blocks : std::vector<std::vector<int>>{{12000}, {1}, {13}, {1024, 1025, 4097}, {7, 1, 300}}) {
    typename TestFixture::Effect effect(nullptr);
    this->setBusyProgram(effect);
    outputs.push_back(run(effect, input, blocks));
  }
  for (size_t i = 1; i < outputs.size(); ++i) EXPECT_EQ(outputs[i], outputs[0]) << "split " << i;
}

TYPED_TEST(Chain, FloatAndDoublePathsShareOneKernel) {
  typename TestFixture::Effect single(nullptr), dual(nullptr);
  this->setBusyProgram(single);
  this->setBusyProgram(dual);
  const Stereo input = noise(3000, 7);
  const Stereo expected = run(dual, input, {500});
  std::vector<float> left(input.left.begin(), input.left.end()), right(input.right.begin(), input.right.end());
  float* io[] = {left.data(), right.data()};
  for (int position = 0; position < 3000; position += 500) {
    float* block[] = {io[0] + position, io[1] + position};
    single.processReplacing(block, block, 500);  // in place
  }
  for (size_t i = 0; i < 3000; ++i) {
    ASSERT_EQ(left[i], static_cast<float>(expected.left[i])) << i;
    ASSERT_EQ(right[i], static_cast<float>(expected.right[i])) << i;
  }
}

TYPED_TEST(Chain, IgnoresEmptyAndNegativeBlocks) {
  typename TestFixture::Effect touched(nullptr), untouched(nullptr);
  float sentinel = 42.0f;
  float* buffers[] = {&sentinel, &sentinel};
  touched.processReplacing(buffers, buffers, 0);
  touched.processReplacing(buffers, buffers, -5);
  touched.setParameter(TypeParam::kOnOffIndex, 1.0f);
  touched.processReplacing(buffers, buffers, -1);
  touched.setParameter(TypeParam::kOnOffIndex, 0.0f);
  EXPECT_EQ(sentinel, 42.0f);
  const Stereo input = noise(2000, 8);
  EXPECT_EQ(run(touched, input, {64}), run(untouched, input, {64}));
}

template <class Effect>
std::vector<int> crossfadeCounters(const Effect& effect) {
  std::vector<int> counters;
  std::apply([&](const auto&... band) { (counters.push_back(band.crossfadeCounter()), ...); }, effect.leftBands());
  return counters;
}

TYPED_TEST(Chain, BringsAParameterChangeInAtTheUpdatePointAfterResume) {
  // At 44.1 kHz the first update check after resume fires at the 1026th
  // sample: that is where the crossfade of a band changed right after
  // resume starts, and nothing is heard of the change before it.
  for (int index = 0; index < TypeParam::kParameterCount; ++index) {
    const ParameterInfo& info = TypeParam::kParameters[index];
    if (info.role != ParameterRole::Band) continue;
    typename TestFixture::Effect changed(nullptr), unchanged(nullptr);
    changed.resume();
    run(changed, noise(1200, 9), {1200});  // the constructor's flags are served
    changed.resume();
    unchanged.resume();
    run(unchanged, noise(1200, 9), {1200});
    unchanged.resume();
    changed.setParameter(index, changed.getParameter(index) > 0.5f ? 0.1f : 0.9f);
    const Stereo input = noise(1025, 10);
    EXPECT_EQ(run(changed, input, {1}), run(unchanged, input, {1})) << "parameter " << index;
    const int settled = crossfadeCounters(changed)[info.band];
    EXPECT_EQ(settled, std::get<0>(changed.leftBands()).crossfadeLength());
    run(changed, noise(1, 11), {1});
    EXPECT_EQ(crossfadeCounters(changed)[info.band], 1) << "parameter " << index;
  }
}

TYPED_TEST(Chain, AParameterSetToItsCurrentValueFlagsNoBand) {
  auto& effect = *this->effect;
  run(effect, noise(1100, 10), {1100});  // the first update check clears every flag
  for (int b = 0; b < Sorvane<TypeParam>::kBandCount; ++b) ASSERT_FALSE(effect.isBandDirty(b));
  for (int i = 0; i < TypeParam::kParameterCount; ++i) {
    const ParameterInfo& info = TypeParam::kParameters[i];
    if (info.role != ParameterRole::Band) continue;
    effect.setParameter(i, effect.getParameter(i));
    EXPECT_FALSE(effect.isBandDirty(info.band)) << "parameter " << i;
    effect.setParameter(i, effect.getParameter(i) + 0.125f);
    for (int b = 0; b < Sorvane<TypeParam>::kBandCount; ++b)
      EXPECT_EQ(effect.isBandDirty(b), b == info.band) << "parameter " << i << " band " << b;
    run(effect, noise(1100, 11), {1100});
  }
}

TYPED_TEST(Chain, KeepsTheOutputFiniteWhateverValuesArrive) {
  auto& effect = *this->effect;
  const float hostile[] = {NAN, INFINITY, -INFINITY, -1.0f, 2.0f, 1e30f, -0.0f, 1e-45f};
  std::mt19937 random(12);
  const Stereo input = noise(512, 13);
  for (int round = 0; round < 200; ++round) {
    for (int i = 0; i < TypeParam::kParameterCount; ++i)
      if (i != TypeParam::kOnOffIndex) effect.setParameter(i, hostile[random() % std::size(hostile)]);
    const Stereo output = run(effect, input, {512});
    for (size_t s = 0; s < output.size(); ++s)
      ASSERT_TRUE(std::isfinite(output.left[s]) && std::isfinite(output.right[s])) << "round " << round;
  }
}

TYPED_TEST(Chain, RecoversByItselfAfterABurstOfNonFiniteInput) {
  auto& effect = *this->effect;
  this->setBusyProgram(effect);
  run(effect, noise(3000, 14), {256});
  Stereo burst = noise(64, 15);
  burst.left[3] = NAN;
  burst.right[10] = INFINITY;
  burst.left[63] = -INFINITY;
  run(effect, burst, {64});
  // The block after the burst may still carry it out; from then on the
  // output is finite again, without a resume.
  run(effect, noise(64, 16), {64});
  const Stereo after = run(effect, noise(5000, 17), {64});
  for (size_t s = 0; s < after.size(); ++s)
    ASSERT_TRUE(std::isfinite(after.left[s]) && std::isfinite(after.right[s])) << "sample " << s;
}

}  // namespace
}  // namespace sorvane::testing
