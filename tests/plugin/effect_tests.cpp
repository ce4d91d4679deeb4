// The effect object's parameter model for both products: construction,
// names and display texts, derived fields and change detection.
#include <cmath>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "product_fixture.h"

namespace sorvane::testing {
namespace {

template <class Product>
using EffectModel = ProductTest<Product>;
TYPED_TEST_SUITE(EffectModel, Products);

TYPED_TEST(EffectModel, StartsWithTheInitProgramOnEveryParameter) {
  const auto& init = TypeParam::presets().factoryPrograms[0];
  for (int i = 0; i < TypeParam::kParameterCount; ++i)
    EXPECT_EQ(this->effect->getParameter(i), static_cast<float>(init.values[i])) << "parameter " << i;
  EXPECT_EQ(this->effect->getProgram(), 0);
  EXPECT_TRUE(this->effect->isProcessingOn());
  EXPECT_EQ(this->effect->getPhaseFactor(), 1.0);
  EXPECT_EQ(this->effect->getOutputGain(), 1.0);
}

TYPED_TEST(EffectModel, PublishesAStereoRecordWithChunksAndBothPrecisions) {
  const AEffect* record = this->effect->getAeffect();
  EXPECT_EQ(record->magic, kEffectMagic);
  EXPECT_EQ(record->numPrograms, 12);
  EXPECT_EQ(record->numParams, TypeParam::kParameterCount);
  EXPECT_EQ(record->numInputs, 2);
  EXPECT_EQ(record->numOutputs, 2);
  // No editor exists yet, so the editor flag stays clear.
  EXPECT_EQ(record->flags, effFlagsCanReplacing | effFlagsProgramChunks | effFlagsCanDoubleReplacing);
  EXPECT_EQ(record->uniqueID, TypeParam::kUniqueId);
  EXPECT_EQ(record->version, 1);
  EXPECT_EQ(record->initialDelay, 0);
  EXPECT_EQ(record->ioRatio, 1.0f);
  EXPECT_EQ(record->object, this->effect.get());
}

TYPED_TEST(EffectModel, DisplaysEveryParameterAsEightTruncatedCharacters) {
  char text[32];
  // The last rows are the limits: the float next below 1e8 still shows its digits.
  const struct {
    float value;
    const char* shown;
  } cases[] = {{0.5f, "0.500000"},  {1.0f, "1.000000"},        {0.45f, "0.449999"}, {0.0f, "0.000000"},
               {-0.5f, "-0.50000"}, {12345.678f, "12345.67"},  {1e9f, "Huge!"},     {-1e8f, "Huge!"},
               {1e8f, "Huge!"},     {99999992.0f, "99999992"}, {-1e7f, "Huge!"},    {-9999999.0f, "-9999999"}};
  for (int index = 0; index < TypeParam::kParameterCount; ++index) {
    for (const auto& c : cases) {
      this->effect->setParameter(index, c.value);
      std::memset(text, 'x', sizeof(text));
      this->dispatch(effGetParamDisplay, index, 0, text);
      EXPECT_STREQ(text, c.shown) << "index " << index << " value " << c.value;
    }
  }
}

TYPED_TEST(EffectModel, LeavesTextUntouchedForAnIndexOutsideTheTable) {
  for (VstInt32 index : {-1, TypeParam::kParameterCount, 1000}) {
    char name[32] = "keep";
    char display[32] = "keep";
    this->dispatch(effGetParamName, index, 0, name);
    this->dispatch(effGetParamDisplay, index, 0, display);
    EXPECT_STREQ(name, "keep");
    EXPECT_STREQ(display, "keep");
    EXPECT_EQ(this->effect->getParameter(index), 0.0f);
  }
}

TYPED_TEST(EffectModel, ReportsNoUnitLabelForAnyParameter) {
  for (int index = -1; index <= TypeParam::kParameterCount; ++index) {
    char label[16] = "unit";
    this->dispatch(effGetParamLabel, index, 0, label);
    EXPECT_STREQ(label, "") << index;
  }
}

TYPED_TEST(EffectModel, OnlyAnExactZeroSwitchesProcessingOnAndKeepsPhase) {
  auto& effect = *this->effect;
  for (float value : {0.3f, 1.0f, -0.0001f, NAN}) {
    effect.setParameter(TypeParam::kOnOffIndex, value);
    EXPECT_FALSE(effect.isProcessingOn()) << value;
    effect.setParameter(TypeParam::kPhaseIndex, value);
    EXPECT_EQ(effect.getPhaseFactor(), -1.0) << value;
  }
  effect.setParameter(TypeParam::kOnOffIndex, 0.0f);
  effect.setParameter(TypeParam::kPhaseIndex, 0.0f);
  EXPECT_TRUE(effect.isProcessingOn());
  EXPECT_EQ(effect.getPhaseFactor(), 1.0);
}

TYPED_TEST(EffectModel, OutputSpansMinusToPlusTwentyDecibels) {
  auto& effect = *this->effect;
  effect.setParameter(TypeParam::kOutputIndex, 1.0f);
  EXPECT_NEAR(effect.getOutputGain(), 10.0, 1e-5);
  effect.setParameter(TypeParam::kOutputIndex, 0.0f);
  EXPECT_NEAR(effect.getOutputGain(), 0.1, 1e-7);
  effect.setParameter(TypeParam::kOutputIndex, 0.5f);
  EXPECT_EQ(effect.getOutputGain(), 1.0);
}

TYPED_TEST(EffectModel, KeepsTheOutputGainFiniteForAnyStoredValue) {
  auto& effect = *this->effect;
  for (float value : {NAN, INFINITY, -INFINITY, 1e30f, -1e30f, 3.0f}) {
    effect.setParameter(TypeParam::kOutputIndex, value);
    EXPECT_TRUE(std::isfinite(effect.getOutputGain())) << value;
    EXPECT_LE(effect.getOutputGain(), 10.0 + 1e-5) << value;
    // The stored value is kept as the host sent it.
    const float stored = effect.getParameter(TypeParam::kOutputIndex);
    EXPECT_TRUE(std::memcmp(&stored, &value, sizeof value) == 0) << value;
  }
}

TYPED_TEST(EffectModel, WritesEveryValueIntoTheLiveSideOfTheCurrentProgram) {
  auto& effect = *this->effect;
  effect.setProgram(3);
  effect.toggleActiveSide();  // side B of program 3 is live now
  for (int i = 0; i < TypeParam::kParameterCount; ++i) effect.setParameter(i, 0.25f + 0.01f * i);
  const auto& slot = effect.programStore().program[3];
  ASSERT_EQ(slot.activeSide, 1u);
  for (int i = 0; i < TypeParam::kParameterCount; ++i) {
    EXPECT_EQ(slot.side[1].values[i], 0.25f + 0.01f * i);
    EXPECT_EQ(slot.side[0].values[i], static_cast<float>(TypeParam::presets().factoryPrograms[3].values[i]));
  }
}

// Editor stand-in that records what the effect forwards to it.
class RecordingEditor : public AEffEditor {
 public:
  using AEffEditor::AEffEditor;
  void setParameter(VstInt32 index, float value) override {
    lastIndex = index;
    lastValue = value;
    ++count;
  }
  VstInt32 lastIndex = -1;
  float lastValue = 0.0f;
  int count = 0;
};

TYPED_TEST(EffectModel, ForwardsEveryIndexToTheEditorEvenOutOfRange) {
  auto* editor = new RecordingEditor(this->effect.get());
  this->effect->setEditor(editor);
  EXPECT_EQ(this->effect->getAeffect()->flags & effFlagsHasEditor, effFlagsHasEditor);
  this->effect->setParameter(TypeParam::kParameterCount, 0.7f);
  EXPECT_EQ(editor->lastIndex, TypeParam::kParameterCount);
  EXPECT_EQ(editor->lastValue, 0.7f);
  this->effect->setParameter(1, 0.2f);
  EXPECT_EQ(editor->lastIndex, 1);
  EXPECT_EQ(editor->count, 2);
}

TYPED_TEST(EffectModel, AutomationReachesTheHostWithIndexAndValue) {
  this->effect->setParameterAutomated(2, 0.75f);
  ASSERT_EQ(RecordingHost::calls.size(), 1u);
  EXPECT_EQ(RecordingHost::calls[0].opcode, audioMasterAutomate);
  EXPECT_EQ(RecordingHost::calls[0].index, 2);
  EXPECT_EQ(RecordingHost::calls[0].opt, 0.75f);
  EXPECT_EQ(this->effect->getParameter(2), 0.75f);

  RecordingHost::calls.clear();
  this->effect->beginEdit(4);
  this->effect->endEdit(4);
  this->effect->updateDisplay();
  this->effect->masterIdle();
  ASSERT_EQ(RecordingHost::calls.size(), 4u);
  EXPECT_EQ(RecordingHost::calls[0].opcode, audioMasterBeginEdit);
  EXPECT_EQ(RecordingHost::calls[0].index, 4);
  EXPECT_EQ(RecordingHost::calls[1].opcode, audioMasterEndEdit);
  EXPECT_EQ(RecordingHost::calls[2].opcode, audioMasterUpdateDisplay);
  EXPECT_EQ(RecordingHost::calls[3].opcode, audioMasterIdle);
}

TYPED_TEST(EffectModel, HostCallsAnswerZeroWithoutAHost) {
  sorvane::Sorvane<TypeParam> orphan(nullptr);
  orphan.setParameterAutomated(1, 0.5f);
  EXPECT_FALSE(orphan.beginEdit(1));
  EXPECT_FALSE(orphan.endEdit(1));
  EXPECT_FALSE(orphan.updateDisplay());
  orphan.masterIdle();
  EXPECT_EQ(orphan.getParameter(1), 0.5f);
}

// Each band knob lands in the band field that the parameter tables of the
// products name, in both channel objects: a swapped row would move a knob
// to the wrong circuit without any other test noticing.
template <class Effect, class Band>
float fieldOf(const Effect& effect, int field, bool right) {
  return std::get<Band>(right ? effect.rightBands() : effect.leftBands()).parameterValue(field);
}

template <class Effect>
struct KnobRow {
  int index;
  float (*read)(const Effect&, int, bool);
  int field;
};

template <class Effect>
void expectKnobsReachTheirFields(const std::vector<KnobRow<Effect>>& rows) {
  Effect effect(nullptr);
  for (const auto& row : rows) effect.setParameter(row.index, 0.01f * static_cast<float>(row.index + 10));
  for (const auto& row : rows)
    for (bool right : {false, true})
      EXPECT_EQ(row.read(effect, row.field, right), 0.01f * static_cast<float>(row.index + 10))
          << "parameter " << row.index << (right ? " right" : " left");
}

TEST(ParameterTables, TessaroKnobsReachTheirBandFields) {
  using E = tessaro::Effect;
  namespace d = dsp::tessaro;
  expectKnobsReachTheirFields<E>({
      {1, fieldOf<E, d::HighCut>, d::HighCut::kFrequency},
      {2, fieldOf<E, d::HighLow>, d::HighLow::kHighFrequency},
      {3, fieldOf<E, d::HighLow>, d::HighLow::kHighGain},
      {4, fieldOf<E, d::Mid>, d::Mid::kFrequency},
      {5, fieldOf<E, d::Mid>, d::Mid::kQ},
      {6, fieldOf<E, d::Mid>, d::Mid::kGain},
      {7, fieldOf<E, d::HighLow>, d::HighLow::kLowFrequency},
      {8, fieldOf<E, d::HighLow>, d::HighLow::kLowGain},
      {9, fieldOf<E, d::LowCut>, d::LowCut::kFrequency},
  });
}

TEST(ParameterTables, PallidoKnobsReachTheirBandFields) {
  using E = pallido::Effect;
  namespace d = dsp::pallido;
  expectKnobsReachTheirFields<E>({
      {1, fieldOf<E, d::HighCut>, d::HighCut::kFrequency},
      {2, fieldOf<E, d::HighShelf>, d::HighShelf::kFrequency},
      {3, fieldOf<E, d::HighShelf>, d::HighShelf::kPeak},
      {4, fieldOf<E, d::HighShelf>, d::HighShelf::kGain},
      {5, fieldOf<E, d::HighMid>, d::HighMid::kFrequency},
      {6, fieldOf<E, d::HighMid>, d::HighMid::kQ},
      {7, fieldOf<E, d::HighMid>, d::HighMid::kGain},
      {8, fieldOf<E, d::LowMid>, d::LowMid::kFrequency},
      {9, fieldOf<E, d::LowMid>, d::LowMid::kQ},
      {10, fieldOf<E, d::LowMid>, d::LowMid::kGain},
      {11, fieldOf<E, d::LowShelf>, d::LowShelf::kFrequency},
      {12, fieldOf<E, d::LowShelf>, d::LowShelf::kPeak},
      {13, fieldOf<E, d::LowShelf>, d::LowShelf::kGain},
      {14, fieldOf<E, d::LowCut>, d::LowCut::kFrequency},
  });
}

}  // namespace
}  // namespace sorvane::testing
