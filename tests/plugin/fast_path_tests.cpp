// The shipped audio path against the straightforward per-sample one
// (reference_chain.h): two effects take the same input, parameter changes,
// programs, bypass switching and resumes at random block sizes, one through
// processReplacing / processDoubleReplacing, the other through the
// reference kernel, and every output bit must agree.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "product_fixture.h"
#include "reference_chain.h"

namespace sorvane::testing {
namespace {

template <class Product>
using Access = ChainAccess<Product>;

// Both precisions in one typed suite: the product and the sample type.
template <class P, class S>
struct Case {
  using Product = P;
  using Sample = S;
};
using Cases = ::testing::Types<Case<tessaro::Product, float>, Case<tessaro::Product, double>,
                               Case<pallido::Product, float>, Case<pallido::Product, double>>;

template <class C>
class FastPath : public ::testing::Test {
 protected:
  using Product = typename C::Product;
  using Sample = typename C::Sample;
  using Effect = Sorvane<Product>;

  static void fast(Effect& effect, Sample** in, Sample** out, VstInt32 frames) {
    if constexpr (std::is_same_v<Sample, float>)
      effect.processReplacing(in, out, frames);
    else
      effect.processDoubleReplacing(in, out, frames);
  }

  // Input of many characters: noise at several levels, silence (so the
  // recursions decay through the denormal guard), tiny values, full-scale
  // steps and subnormal samples.
  static std::vector<Sample> signal(std::mt19937& random, size_t n) {
    std::vector<Sample> s(n);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    size_t i = 0;
    while (i < n) {
      const size_t length = std::min<size_t>(n - i, 1 + random() % 6000);
      const int kind = static_cast<int>(random() % 6);
      const double level = kind == 0 ? 1.0 : kind == 1 ? 1e-3 : kind == 2 ? 1e-30 : 0.25;
      for (size_t k = 0; k < length; ++k, ++i) {
        if (kind == 3)
          s[i] = 0;
        else if (kind == 4)
          s[i] = static_cast<Sample>((k / 300) % 2 ? 1.0 : -1.0);
        else if (kind == 5)
          s[i] = static_cast<Sample>(random() % 2 ? 1e-40 : -3e-39);  // subnormal in both precisions
        else
          s[i] = static_cast<Sample>(level * uniform(random));
      }
    }
    return s;
  }

  static std::string bits(Sample v) {
    std::uint64_t b = 0;
    std::memcpy(&b, &v, sizeof v);
    return std::to_string(b);
  }

  // One long random session at a sample rate; returns the number of
  // samples compared.
  static size_t session(float rate, unsigned seed, size_t length) {
    std::mt19937 random(seed);
    Effect shipped(nullptr), reference(nullptr);
    for (Effect* e : {&shipped, &reference}) {
      e->setSampleRate(rate);
      e->resume();
    }
    const std::vector<Sample> inL = signal(random, length), inR = signal(random, length);
    std::vector<Sample> outFast(2 * length), outRef(2 * length), scratchL, scratchR;
    std::uniform_real_distribution<float> knob(0.0f, 1.0f);

    size_t position = 0;
    for (int block = 0; position < length; ++block) {
      // Automation between blocks, the same for both.
      const int changes = static_cast<int>(random() % 8) < 5 ? 0 : static_cast<int>(random() % 4);
      for (int c = 0; c < changes; ++c) {
        const int index = static_cast<int>(random() % Product::kParameterCount);
        float value = knob(random);
        if (index == Product::kOnOffIndex) value = random() % 4 == 0 ? 1.0f : 0.0f;
        if (random() % 10 == 0) value = shipped.getParameter(index);  // a repeat is no change
        shipped.setParameter(index, value);
        reference.setParameter(index, value);
      }
      if (random() % 200 == 0) {
        const int program = static_cast<int>(random() % kProgramCount);
        shipped.setProgram(program);
        reference.setProgram(program);
      }
      if (random() % 300 == 0) {
        shipped.resume();
        reference.resume();
      }

      // Mostly host-like sizes, sometimes tiny or odd ones, sometimes long
      // enough to span several update checks.
      const int pick = static_cast<int>(random() % 10);
      int size = pick < 4   ? 1 << (random() % 12)
                 : pick < 8 ? 1 + static_cast<int>(random() % 700)
                            : 1 + static_cast<int>(random() % 9000);
      size = static_cast<int>(std::min<size_t>(size, length - position));

      const bool inPlace = random() % 4 == 0;
      for (int which = 0; which < 2; ++which) {
        Effect& effect = which == 0 ? shipped : reference;
        Sample* outL = (which == 0 ? outFast : outRef).data() + position;
        Sample* outR = outL + length;
        if (inPlace) {
          std::copy_n(inL.data() + position, size, outL);
          std::copy_n(inR.data() + position, size, outR);
        }
        Sample* in[] = {inPlace ? outL : const_cast<Sample*>(inL.data() + position),
                        inPlace ? outR : const_cast<Sample*>(inR.data() + position)};
        Sample* out[] = {outL, outR};
        if (which == 0)
          fast(effect, in, out, size);
        else
          Access<Product>::processReference(effect, in, out, size);
      }
      if (std::memcmp(outFast.data() + position, outRef.data() + position, sizeof(Sample) * size) != 0 ||
          std::memcmp(outFast.data() + length + position, outRef.data() + length + position, sizeof(Sample) * size) !=
              0) {
        for (int i = 0; i < size; ++i)
          for (size_t channel : {size_t{0}, length}) {
            const Sample a = outFast[channel + position + i], b = outRef[channel + position + i];
            if (std::memcmp(&a, &b, sizeof a) != 0) {
              ADD_FAILURE() << "rate " << rate << " seed " << seed << " block " << block << " (size " << size
                            << ") sample " << position + i << (channel ? " right: " : " left: ") << a << " (" << bits(a)
                            << ") vs reference " << b << " (" << bits(b) << ")";
              return position;
            }
          }
      }
      position += static_cast<size_t>(size);
    }

    // The records end in the same state too.
    auto compare = [](const auto& a, const auto& b) {
      [&]<size_t... I>(std::index_sequence<I...>) {
        (
            [&] {
              const auto& x = std::get<I>(a);
              const auto& y = std::get<I>(b);
              EXPECT_EQ(x.crossfadeCounter(), y.crossfadeCounter()) << "band " << I;
              EXPECT_EQ(x.isValid(), y.isValid()) << "band " << I;
              EXPECT_EQ(bits(static_cast<Sample>(x.heldOutput())), bits(static_cast<Sample>(y.heldOutput())));
              const auto cx = x.coefficients(), cy = y.coefficients();
              EXPECT_TRUE(cx.a == cy.a && cx.b == cy.b) << "band " << I;
            }(),
            ...);
      }
      (std::make_index_sequence<std::tuple_size_v<typename Effect::Bands>>{});
    };
    compare(shipped.leftBands(), reference.leftBands());
    compare(shipped.rightBands(), reference.rightBands());
    return position;
  }
};
TYPED_TEST_SUITE(FastPath, Cases);

TYPED_TEST(FastPath, MatchesTheReferenceBitForBitAtEveryRateClass) {
  // Every rate class of the bands, every update period, every crossfade length.
  const float rates[] = {44100.0f, 48000.0f, 88200.0f, 96000.0f, 176400.0f, 192000.0f};
  unsigned seed = 100;
  for (float rate : rates) {
    EXPECT_EQ(this->session(rate, seed++, 240000), 240000u) << "rate " << rate;
    if (this->HasFailure()) return;
  }
}

TYPED_TEST(FastPath, RunsAPairThatIsOutOfStepObjectByObject) {
  // A band whose left object lost its coefficients (invalid, counter 0)
  // while the right one kept them cannot share the right one's control
  // flow; the shipped path must still give the per-object result, and
  // return to pairs once an update has brought both objects back in step.
  using Effect = typename TestFixture::Effect;
  using Product = typename TestFixture::Product;
  using Sample = typename TestFixture::Sample;
  Effect shipped(nullptr), reference(nullptr);
  std::mt19937 random(5);
  const std::vector<Sample> inL = TestFixture::signal(random, 20000), inR = TestFixture::signal(random, 20000);
  std::vector<Sample> fastL(inL.size()), fastR(inL.size()), refL(inL.size()), refR(inL.size());
  for (Effect* e : {&shipped, &reference}) std::get<1>(Access<Product>::left(*e)).reset();
  ASSERT_FALSE(std::get<1>(shipped.leftBands()).isValid());
  for (size_t position = 0; position < inL.size(); position += 500) {
    if (position == 6000)  // a knob of that band: both its objects are updated at the next check
      for (Effect* e : {&shipped, &reference})
        for (int i = 0; i < Product::kParameterCount; ++i)
          if (Product::kParameters[i].role == ParameterRole::Band && Product::kParameters[i].band == 1)
            e->setParameter(i, 0.3f);
    Sample* in[] = {const_cast<Sample*>(inL.data() + position), const_cast<Sample*>(inR.data() + position)};
    Sample* outFast[] = {fastL.data() + position, fastR.data() + position};
    Sample* outRef[] = {refL.data() + position, refR.data() + position};
    TestFixture::fast(shipped, in, outFast, 500);
    Access<Product>::processReference(reference, in, outRef, 500);
  }
  const auto& left = std::get<1>(shipped.leftBands());
  const auto& right = std::get<1>(shipped.rightBands());
  EXPECT_TRUE(left.isValid());
  EXPECT_EQ(left.crossfadeCounter(), right.crossfadeCounter());
  EXPECT_EQ(std::memcmp(fastL.data(), refL.data(), sizeof(Sample) * fastL.size()), 0);
  EXPECT_EQ(std::memcmp(fastR.data(), refR.data(), sizeof(Sample) * fastR.size()), 0);
}

TYPED_TEST(FastPath, GivesEachObjectOfAPairTheCoefficientsOfItsOwnValues) {
  // An update computes a set once for both objects of a band only when they
  // hold the same values; here the right object of each band is given
  // another value behind the effect's back, and must compute for itself.
  using Effect = typename TestFixture::Effect;
  using Product = typename TestFixture::Product;
  using Sample = typename TestFixture::Sample;
  Effect shipped(nullptr), reference(nullptr);
  for (Effect* e : {&shipped, &reference})
    for (int i = 0; i < Product::kParameterCount; ++i) {
      const ParameterInfo& info = Product::kParameters[i];
      if (info.role != ParameterRole::Band) continue;
      e->setParameter(i, 0.3f);
      std::apply([&](auto&... band) { (band.setParameterValue(info.field, 0.8f), ...); }, Access<Product>::right(*e));
    }
  std::mt19937 random(9);
  const std::vector<Sample> inL = TestFixture::signal(random, 8000), inR = TestFixture::signal(random, 8000);
  std::vector<Sample> fastL(inL.size()), fastR(inL.size()), refL(inL.size()), refR(inL.size());
  Sample* in[] = {const_cast<Sample*>(inL.data()), const_cast<Sample*>(inR.data())};
  Sample* outFast[] = {fastL.data(), fastR.data()};
  Sample* outRef[] = {refL.data(), refR.data()};
  TestFixture::fast(shipped, in, outFast, 8000);
  Access<Product>::processReference(reference, in, outRef, 8000);
  EXPECT_EQ(std::memcmp(fastL.data(), refL.data(), sizeof(Sample) * fastL.size()), 0);
  EXPECT_EQ(std::memcmp(fastR.data(), refR.data(), sizeof(Sample) * fastR.size()), 0);
  const auto left = std::get<1>(shipped.leftBands()).coefficients();
  const auto right = std::get<1>(shipped.rightBands()).coefficients();
  EXPECT_NE(left.b, right.b);
}

}  // namespace
}  // namespace sorvane::testing
