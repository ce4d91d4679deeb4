// Each product's VST3 plug-in as a host meets it, straight from its
// bundle's factory: the class it offers, its parameters and programs in
// the units model's names and texts, its state as the VST 2.4 build's bank
// chunk, streams it must refuse, a program change reported back as output
// changes, and processing's buses, sample sizes and silence flags.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "formats/vst3/identity.h"
#include "formats/vst3/text.h"
#include "plugin/pallido.h"
#include "plugin/tessaro.h"
#include "presets/preset_files.h"
#include "tests/formats/vst3_test_bundles.h"
#include "tools/sorvane-host/plugin_host.h"

namespace {

using namespace sorvane::vst3;
using sorvane::host::MemoryStream;
using sorvane::vst3::testing::ask;
using sorvane::vst3::testing::Bundle;

// One parameter's points and a block's list of them, as a host hands them over.
class Queue final : public IParamValueQueue {
 public:
  tresult SORVANE_VST3_API queryInterface(const TUID, void**) override { return kNoInterface; }
  uint32 SORVANE_VST3_API addRef() override { return 1; }
  uint32 SORVANE_VST3_API release() override { return 1; }
  ParamID SORVANE_VST3_API getParameterId() override { return id; }
  int32 SORVANE_VST3_API getPointCount() override { return static_cast<int32>(values.size()); }
  tresult SORVANE_VST3_API getPoint(int32 index, int32& offset, ParamValue& value) override {
    if (index < 0 || index >= getPointCount()) return kInvalidArgument;
    offset = index;
    value = values[static_cast<std::size_t>(index)];
    return kResultOk;
  }
  tresult SORVANE_VST3_API addPoint(int32, ParamValue value, int32& index) override {
    values.push_back(value);
    index = getPointCount() - 1;
    return kResultOk;
  }
  ParamID id = 0;
  std::vector<ParamValue> values;
};

class Changes final : public IParameterChanges {
 public:
  tresult SORVANE_VST3_API queryInterface(const TUID, void**) override { return kNoInterface; }
  uint32 SORVANE_VST3_API addRef() override { return 1; }
  uint32 SORVANE_VST3_API release() override { return 1; }
  int32 SORVANE_VST3_API getParameterCount() override { return static_cast<int32>(queues.size()); }
  IParamValueQueue* SORVANE_VST3_API getParameterData(int32 index) override {
    return index >= 0 && index < getParameterCount() ? &queues[static_cast<std::size_t>(index)] : nullptr;
  }
  IParamValueQueue* SORVANE_VST3_API addParameterData(const ParamID& id, int32& index) override {
    queues.reserve(64);  // the queues handed out stay where they are
    queues.emplace_back();
    queues.back().id = id;
    index = getParameterCount() - 1;
    return &queues.back();
  }
  const Queue* find(ParamID id) const {
    for (const Queue& q : queues)
      if (q.id == id) return &q;
    return nullptr;
  }
  std::vector<Queue> queues;
};

class Handler final : public IComponentHandler {
 public:
  tresult SORVANE_VST3_API queryInterface(const TUID, void**) override { return kNoInterface; }
  uint32 SORVANE_VST3_API addRef() override { return 1; }
  uint32 SORVANE_VST3_API release() override { return 1; }
  tresult SORVANE_VST3_API beginEdit(ParamID) override { return kResultOk; }
  tresult SORVANE_VST3_API performEdit(ParamID, ParamValue) override { return kResultOk; }
  tresult SORVANE_VST3_API endEdit(ParamID) override { return kResultOk; }
  tresult SORVANE_VST3_API restartComponent(int32 flags) override {
    restarts.push_back(flags);
    return kResultOk;
  }
  std::vector<int32> restarts;
};

// One instance of a product's plug-in with all its interfaces.
struct Instance {
  explicit Instance(const Bundle& bundle) : component(bundle.makeComponent()) {
    processor = ask<IAudioProcessor>(component);
    controller = ask<IEditController>(component);
    units = ask<IUnitInfo>(component);
    EXPECT_TRUE(component && processor && controller && units);
  }
  ~Instance() {
    for (FUnknown* held :
         {static_cast<FUnknown*>(processor), static_cast<FUnknown*>(controller), static_cast<FUnknown*>(units)})
      if (held) held->release();
    if (component) {
      component->terminate();
      component->release();
    }
  }
  std::vector<std::uint8_t> state() {
    MemoryStream stream;
    EXPECT_EQ(component->getState(&stream), kResultOk);
    return stream.bytes();
  }
  void start() {
    ProcessSetup setup = {kRealtime, kSample32, 64, 48000.0};
    EXPECT_EQ(processor->setupProcessing(setup), kResultOk);
    EXPECT_EQ(component->setActive(1), kResultOk);
  }
  // One block of 32-bit samples; input silence flags as given.
  std::uint64_t process(float value, std::uint64_t inputSilence, IParameterChanges* in = nullptr,
                        IParameterChanges* out = nullptr) {
    float inL[64], inR[64], outL[64], outR[64];
    for (int i = 0; i < 64; ++i) inL[i] = inR[i] = value;
    float* ins[2] = {inL, inR};
    float* outs[2] = {outL, outR};
    AudioBusBuffers inBus = {};
    inBus.numChannels = 2;
    inBus.silenceFlags = inputSilence;
    inBus.channelBuffers32 = ins;
    AudioBusBuffers outBus = {};
    outBus.numChannels = 2;
    outBus.channelBuffers32 = outs;
    ProcessData data = {};
    data.symbolicSampleSize = kSample32;
    data.numSamples = 64;
    data.numInputs = 1;
    data.numOutputs = 1;
    data.inputs = &inBus;
    data.outputs = &outBus;
    data.inputParameterChanges = in;
    data.outputParameterChanges = out;
    EXPECT_EQ(processor->process(data), kResultOk);
    if (outBus.silenceFlags == 3u) {
      for (int i = 0; i < 64; ++i) EXPECT_TRUE(outL[i] == 0.0f && outR[i] == 0.0f) << "flagged silent, sample " << i;
    }
    return outBus.silenceFlags;
  }

  IComponent* component;
  IAudioProcessor* processor = nullptr;
  IEditController* controller = nullptr;
  IUnitInfo* units = nullptr;
};

template <class Product>
struct Names;
template <>
struct Names<tessaro::Product> {
  static constexpr const char* kName = "Tessaro";
  static constexpr const char* kOther = "Pallido";
};
template <>
struct Names<pallido::Product> {
  static constexpr const char* kName = "Pallido";
  static constexpr const char* kOther = "Tessaro";
};

template <class Product>
class Vst3Plugin : public ::testing::Test {
 protected:
  Bundle bundle{Names<Product>::kName};
  const sorvane::ParameterUnits units = sorvane::unitsOf<Product>();
};
using Products = ::testing::Types<tessaro::Product, pallido::Product>;
TYPED_TEST_SUITE(Vst3Plugin, Products);

TYPED_TEST(Vst3Plugin, TheFactoryOffersOneEqualiserClassWithTheProductsNameVendorAndVersion) {
  IPluginFactory* factory = this->bundle.factory();
  ASSERT_TRUE(factory);
  PFactoryInfo info = {};
  ASSERT_EQ(factory->getFactoryInfo(&info), kResultOk);
  EXPECT_STREQ(info.vendor, "Sorvane, Inc.");
  EXPECT_STREQ(info.url, sorvane::kMakerWebSite);
  EXPECT_EQ(info.flags, PFactoryInfo::kUnicode);
  ASSERT_EQ(factory->countClasses(), 1);
  auto* factory2 = ask<IPluginFactory2>(factory);
  auto* factory3 = ask<IPluginFactory3>(factory);
  ASSERT_TRUE(factory2 && factory3);
  PClassInfo2 plain = {};
  ASSERT_EQ(factory2->getClassInfo2(0, &plain), kResultOk);
  EXPECT_TRUE(sameUid(plain.cid, Identity<TypeParam>::kClassId));
  EXPECT_EQ(plain.cardinality, kManyInstances);
  EXPECT_STREQ(plain.category, "Audio Module Class");
  EXPECT_STREQ(plain.name, TypeParam::kEffectName);
  EXPECT_STREQ(plain.subCategories, "Fx|EQ");
  EXPECT_STREQ(plain.vendor, "Sorvane, Inc.");
  EXPECT_STREQ(plain.version, "1.0.0");
  PClassInfoW wide = {};
  ASSERT_EQ(factory3->getClassInfoUnicode(0, &wide), kResultOk);
  EXPECT_TRUE(sameUid(wide.cid, Identity<TypeParam>::kClassId));
  EXPECT_EQ(toUtf8(wide.name, 64), TypeParam::kEffectName);
  EXPECT_EQ(toUtf8(wide.version, 64), "1.0.0");
  EXPECT_STREQ(wide.subCategories, "Fx|EQ");
  EXPECT_EQ(factory->getClassInfo(1, reinterpret_cast<PClassInfo*>(&plain)), kInvalidArgument);
  factory2->release();
  factory3->release();
}

TYPED_TEST(Vst3Plugin, TheFactoryRefusesOtherClassesAndInterfacesItLacks) {
  IPluginFactory* factory = this->bundle.factory();
  ASSERT_TRUE(factory);
  void* object = reinterpret_cast<void*>(1);
  const Uid other = Identity<
      std::conditional_t<std::is_same_v<TypeParam, tessaro::Product>, pallido::Product, tessaro::Product>>::kClassId;
  EXPECT_EQ(factory->createInstance(sorvane::vst3::testing::iidOf(other),
                                    sorvane::vst3::testing::iidOf(IComponent::iid), &object),
            kNoInterface);
  EXPECT_EQ(object, nullptr);
  object = reinterpret_cast<void*>(1);
  EXPECT_EQ(factory->createInstance(sorvane::vst3::testing::iidOf(Identity<TypeParam>::kClassId),
                                    sorvane::vst3::testing::iidOf(IPlugFrame::iid), &object),
            kNoInterface);
  EXPECT_EQ(object, nullptr);
}

TYPED_TEST(Vst3Plugin, ParametersCarryTheTablesNamesUnitsStepsAndFlags) {
  Instance plugin(this->bundle);
  ASSERT_TRUE(plugin.controller);
  ASSERT_EQ(plugin.controller->getParameterCount(), TypeParam::kParameterCount + 1);
  for (int i = 0; i < TypeParam::kParameterCount; ++i) {
    ParameterInfo info = {};
    ASSERT_EQ(plugin.controller->getParameterInfo(i, info), kResultOk);
    const char* name = TypeParam::kParameters[i].name;
    EXPECT_EQ(info.id, static_cast<ParamID>(i)) << name;
    EXPECT_EQ(toUtf8(info.title, 128), name);
    EXPECT_EQ(toUtf8(info.units, 128), sorvane::unitSymbol(this->units.unit(i))) << name;
    const int positions = this->units.positionCount(i);
    EXPECT_EQ(info.stepCount, positions > 0 ? positions - 1 : 0) << name;
    const int expectedFlags =
        ParameterInfo::kCanAutomate | (i == TypeParam::kOnOffIndex ? ParameterInfo::kIsBypass : 0);
    EXPECT_EQ(info.flags, expectedFlags) << name;
    EXPECT_EQ(info.defaultNormalizedValue, plugin.controller->getParamNormalized(info.id)) << name;
  }
  ParameterInfo program = {};
  ASSERT_EQ(plugin.controller->getParameterInfo(TypeParam::kParameterCount, program), kResultOk);
  EXPECT_EQ(program.id, kProgramParameterId);
  EXPECT_EQ(program.flags, ParameterInfo::kCanAutomate | ParameterInfo::kIsList | ParameterInfo::kIsProgramChange);
  EXPECT_EQ(program.stepCount, 11);
  EXPECT_EQ(program.unitId, kRootUnitId);
  UnitInfo unit = {};
  ASSERT_EQ(plugin.units->getUnitCount(), 1);
  ASSERT_EQ(plugin.units->getUnitInfo(0, unit), kResultOk);
  EXPECT_EQ(unit.id, kRootUnitId);
  ProgramListInfo list = {};
  ASSERT_EQ(plugin.units->getProgramListInfo(0, list), kResultOk);
  EXPECT_EQ(unit.programListId, list.id);
  EXPECT_EQ(list.programCount, 12);
}

TYPED_TEST(Vst3Plugin, ProgramsHaveTheVst2BuildsNames) {
  Instance plugin(this->bundle);
  std::string error;
  auto library = sorvane::host::PluginLibrary::open(sorvane::vst3::testing::vst2Path(Names<TypeParam>::kName), error);
  ASSERT_TRUE(library) << error;
  auto vst2 = sorvane::host::PluginInstance::create(*library, error);
  ASSERT_TRUE(vst2) << error;
  for (int p = 0; p < 12; ++p) {
    String128 name = {};
    ASSERT_EQ(plugin.units->getProgramName(kProgramListId, p, name), kResultOk);
    EXPECT_EQ(toUtf8(name, 128), vst2->programNameAt(p));
    String128 text = {};
    ASSERT_EQ(plugin.controller->getParamStringByValue(kProgramParameterId, p / 11.0, text), kResultOk);
    EXPECT_EQ(toUtf8(text, 128), vst2->programNameAt(p));
  }
  String128 name = {};
  EXPECT_NE(plugin.units->getProgramName(kProgramListId, 12, name), kResultOk);
}

TYPED_TEST(Vst3Plugin, EveryPrintedPositionIsATextAndTheTextGivesThePositionBack) {
  Instance plugin(this->bundle);
  int checked = 0;
  for (int i = 0; i < TypeParam::kParameterCount; ++i) {
    for (int p = 0; p < this->units.positionCount(i); ++p) {
      const float value = *this->units.positionValue(i, p);
      char expected[sorvane::kValueTextCapacity];
      ASSERT_TRUE(this->units.positionText(i, p, expected));
      String128 text = {};
      ASSERT_EQ(plugin.controller->getParamStringByValue(static_cast<ParamID>(i), value, text), kResultOk);
      EXPECT_EQ(toUtf8(text, 128), expected) << TypeParam::kParameters[i].name << " position " << p;
      ParamValue back = -1.0;
      ASSERT_EQ(plugin.controller->getParamValueByString(static_cast<ParamID>(i), text, back), kResultOk) << expected;
      EXPECT_EQ(this->units.positionOf(i, static_cast<float>(back)), p) << expected;
      ++checked;
    }
  }
  EXPECT_GT(checked, 20);
  const ParamID output = static_cast<ParamID>(TypeParam::kOutputIndex);
  String128 typed = {};
  copyUtf16(typed, "+10 dB");
  ParamValue value = 0.0;
  ASSERT_EQ(plugin.controller->getParamValueByString(output, typed, value), kResultOk);
  EXPECT_NEAR(value, 0.75, 1e-6);
  copyUtf16(typed, "loud");
  EXPECT_EQ(plugin.controller->getParamValueByString(output, typed, value), kResultFalse);
}

TYPED_TEST(Vst3Plugin, StateIsTheVst2BanksChunkByteForByteForEveryProgram) {
  std::string error;
  auto library = sorvane::host::PluginLibrary::open(sorvane::vst3::testing::vst2Path(Names<TypeParam>::kName), error);
  ASSERT_TRUE(library) << error;
  auto vst2 = sorvane::host::PluginInstance::create(*library, error);
  ASSERT_TRUE(vst2) << error;
  Instance plugin(this->bundle);
  for (int p = 0; p < 12; ++p) {
    vst2->setProgram(p);
    ASSERT_EQ(plugin.controller->setParamNormalized(kProgramParameterId, p / 11.0), kResultOk);
    EXPECT_EQ(plugin.state(), vst2->getChunk(false)) << "program " << p;
  }
  // Changed, saved, restored into a fresh instance as a host restores a
  // session (the component's state, then the controller's): the same bytes,
  // the same program and the same values.
  plugin.controller->setParamNormalized(kProgramParameterId, 7 / 11.0);
  plugin.controller->setParamNormalized(static_cast<ParamID>(TypeParam::kOutputIndex), 0.8125);
  const std::vector<std::uint8_t> saved = plugin.state();
  MemoryStream selection;
  ASSERT_EQ(plugin.controller->getState(&selection), kResultOk);
  Instance restored(this->bundle);
  MemoryStream stream(saved);
  ASSERT_EQ(restored.component->setState(&stream), kResultOk);
  MemoryStream again(saved);
  EXPECT_EQ(restored.controller->setComponentState(&again), kResultOk);
  selection.seek(0, kIBSeekSet, nullptr);
  ASSERT_EQ(restored.controller->setState(&selection), kResultOk);
  EXPECT_EQ(restored.state(), saved);
  EXPECT_DOUBLE_EQ(restored.controller->getParamNormalized(kProgramParameterId), 7 / 11.0);
  for (int i = 0; i < TypeParam::kParameterCount; ++i)
    EXPECT_EQ(restored.controller->getParamNormalized(static_cast<ParamID>(i)),
              plugin.controller->getParamNormalized(static_cast<ParamID>(i)))
        << TypeParam::kParameters[i].name;
}

TYPED_TEST(Vst3Plugin, TheControllersStateRefusesWhatNamesNoProgram) {
  Instance plugin(this->bundle);
  plugin.controller->setParamNormalized(kProgramParameterId, 2 / 11.0);
  MemoryStream good;
  ASSERT_EQ(plugin.controller->getState(&good), kResultOk);
  for (std::size_t cut : {std::size_t{0}, std::size_t{4}, good.bytes().size() - 1}) {
    MemoryStream stream(std::vector<std::uint8_t>(good.bytes().begin(), good.bytes().begin() + cut));
    EXPECT_NE(plugin.controller->setState(&stream), kResultOk) << cut << " bytes";
  }
  std::vector<std::uint8_t> beyond = good.bytes();
  beyond[4] = 12;
  MemoryStream stream(beyond);
  EXPECT_NE(plugin.controller->setState(&stream), kResultOk);
  MemoryStream bank(plugin.state());
  EXPECT_NE(plugin.controller->setState(&bank), kResultOk) << "the component's state is not the controller's";
  EXPECT_DOUBLE_EQ(plugin.controller->getParamNormalized(kProgramParameterId), 2 / 11.0);
}

TYPED_TEST(Vst3Plugin, ShortForeignHugeAndEmptyStreamsAreRefusedWithNothingChanged) {
  Instance plugin(this->bundle);
  plugin.controller->setParamNormalized(kProgramParameterId, 3 / 11.0);
  plugin.controller->setParamNormalized(static_cast<ParamID>(TypeParam::kOutputIndex), 0.25);
  const std::vector<std::uint8_t> before = plugin.state();

  Bundle otherBundle(Names<TypeParam>::kOther);
  Instance other(otherBundle);
  std::vector<std::uint8_t> shortBank(before.begin(), before.end() - 1);
  std::vector<std::uint8_t> huge(before);
  huge.resize(before.size() + (1u << 20), 0x5a);
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
  };
  const Case cases[] = {{"short", shortBank}, {"foreign", other.state()}, {"huge", huge}, {"empty", {}}};
  for (const Case& c : cases) {
    MemoryStream stream(c.bytes);
    EXPECT_NE(plugin.component->setState(&stream), kResultOk) << c.name;
    EXPECT_LE(stream.position(), before.size() + 1) << c.name << ": read further than a bank";
    EXPECT_EQ(plugin.state(), before) << c.name;
  }
  // A bank of the right size with a version no build wrote.
  std::vector<std::uint8_t> future(before);
  std::uint16_t version = 0;
  std::memcpy(&version, future.data() + offsetof(typename sorvane::Sorvane<TypeParam>::Bank, version), sizeof version);
  version = static_cast<std::uint16_t>(version + 7);
  std::memcpy(future.data() + offsetof(typename sorvane::Sorvane<TypeParam>::Bank, version), &version, sizeof version);
  MemoryStream stream(future);
  EXPECT_NE(plugin.component->setState(&stream), kResultOk);
  EXPECT_EQ(plugin.state(), before);
  EXPECT_EQ(plugin.component->setState(nullptr), kInvalidArgument);
}

TYPED_TEST(Vst3Plugin, AProgramChangeReportsEveryChangedParameterFromTheNextBlockAndNoRestart) {
  Instance plugin(this->bundle);
  Handler handler;
  plugin.controller->setComponentHandler(&handler);
  plugin.start();
  std::vector<ParamValue> before;
  for (int i = 0; i < TypeParam::kParameterCount; ++i)
    before.push_back(plugin.controller->getParamNormalized(static_cast<ParamID>(i)));
  ASSERT_EQ(plugin.controller->setParamNormalized(kProgramParameterId, 1 / 11.0), kResultOk);
  EXPECT_TRUE(handler.restarts.empty());
  Changes out;
  plugin.process(0.0f, 0, nullptr, &out);
  int changed = 0;
  for (int i = 0; i < TypeParam::kParameterCount; ++i) {
    const ParamValue now = plugin.controller->getParamNormalized(static_cast<ParamID>(i));
    const Queue* queue = out.find(static_cast<ParamID>(i));
    if (now == before[static_cast<std::size_t>(i)]) {
      EXPECT_EQ(queue, nullptr) << TypeParam::kParameters[i].name << " did not change";
      continue;
    }
    ++changed;
    ASSERT_NE(queue, nullptr) << TypeParam::kParameters[i].name;
    ASSERT_EQ(queue->values.size(), 1u);
    EXPECT_EQ(queue->values[0], now);
  }
  EXPECT_GT(changed, 0);
  ASSERT_NE(out.find(kProgramParameterId), nullptr);
  EXPECT_DOUBLE_EQ(out.find(kProgramParameterId)->values[0], 1 / 11.0);
  Changes next;
  plugin.process(0.0f, 0, nullptr, &next);
  EXPECT_TRUE(next.queues.empty()) << "reported once";
  plugin.controller->setComponentHandler(nullptr);
}

TYPED_TEST(Vst3Plugin, ProcessingTakesStereoOnlyBothSampleSizesAndTheLastQueuedValue) {
  Instance plugin(this->bundle);
  SpeakerArrangement stereo = speaker::kStereo;
  SpeakerArrangement mono = speaker::kMono;
  EXPECT_EQ(plugin.processor->setBusArrangements(&mono, 1, &mono, 1), kResultFalse);
  EXPECT_EQ(plugin.processor->setBusArrangements(&stereo, 1, &mono, 1), kResultFalse);
  EXPECT_EQ(plugin.processor->setBusArrangements(&stereo, 1, &stereo, 1), kResultTrue);
  EXPECT_EQ(plugin.processor->canProcessSampleSize(kSample32), kResultTrue);
  EXPECT_EQ(plugin.processor->canProcessSampleSize(kSample64), kResultTrue);
  EXPECT_EQ(plugin.processor->getLatencySamples(), 0u);
  EXPECT_EQ(plugin.processor->getTailSamples(), 0u);
  EXPECT_EQ(plugin.component->getBusCount(kEvent, kInput), 0);
  plugin.start();
  Changes in;
  int32 index = 0;
  IParamValueQueue* queue = in.addParameterData(static_cast<ParamID>(TypeParam::kOutputIndex), index);
  queue->addPoint(0, 0.2, index);
  queue->addPoint(10, 0.7, index);
  plugin.process(0.0f, 0, &in);
  EXPECT_EQ(plugin.controller->getParamNormalized(static_cast<ParamID>(TypeParam::kOutputIndex)),
            static_cast<double>(0.7f));
}

TYPED_TEST(Vst3Plugin, OutputIsFlaggedSilentOnlyWhenItIs) {
  Instance plugin(this->bundle);
  plugin.start();
  EXPECT_EQ(plugin.process(0.0f, 3), 3u) << "silence in, silence out";
  EXPECT_EQ(plugin.process(0.25f, 3), 0u) << "flags that lie about the input do not make the output silent";
  EXPECT_EQ(plugin.process(0.25f, 0), 0u);
}

}  // namespace
