// Both bundles through lilv, as an LV2 host loads them: the description the
// host reads, the factory presets against the VST build's programs, ports
// in the panel's units against the VST parameters, processing in place, and
// the bank chunk as state, byte for byte.
#include <gtest/gtest.h>
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/presets/presets.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "formats/common/unit_values.h"
#include "formats/lv2/identity.h"
#include "plugin/pallido.h"
#include "plugin/tessaro.h"

namespace {

using sorvane::lv2::Identity;

constexpr double kRate = 48000.0;
constexpr int kFrames = 6000;
constexpr int kBlock = 256;

VstIntPtr VSTCALLBACK quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

// A fixed signal that reaches every band: a sweep on the left, noise from a
// fixed seed on the right, both at -6 dB.
std::vector<float> makeTestSignal(int channel) {
  std::vector<float> s(kFrames);
  std::uint32_t seed = 12345;
  double phase = 0.0;
  for (int i = 0; i < kFrames; ++i) {
    if (channel == 0) {
      phase += 2.0 * 3.14159265358979 * (30.0 * std::pow(600.0, static_cast<double>(i) / kFrames)) / kRate;
      s[i] = static_cast<float>(0.5 * std::sin(phase));
    } else {
      seed = seed * 1664525u + 1013904223u;
      s[i] = static_cast<float>(static_cast<double>(seed >> 8) / 16777216.0 - 0.5);
    }
  }
  return s;
}

const std::vector<float>& testSignal(int channel) {
  static const std::vector<float> signal[2] = {makeTestSignal(0), makeTestSignal(1)};
  return signal[channel != 0];
}

struct Stereo {
  std::vector<float> left, right;
};

// What the VST build plays: the effect driven as a VST host drives it.
template <class Product>
struct VstRender {
  std::unique_ptr<sorvane::Sorvane<Product>> effect = std::make_unique<sorvane::Sorvane<Product>>(quietHost);
  // As a host starts a plug-in: rate, then program and parameters, then mains on.
  VstRender() { effect->dispatcher(effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate)); }
  bool mainsOn = false;
  Stereo render() {
    if (!mainsOn) effect->dispatcher(effMainsChanged, 0, 1, nullptr, 0.0f);
    mainsOn = true;
    Stereo in{testSignal(0), testSignal(1)};
    Stereo out{std::vector<float>(kFrames), std::vector<float>(kFrames)};
    for (int done = 0; done < kFrames; done += kBlock) {
      float* i[2] = {in.left.data() + done, in.right.data() + done};
      float* o[2] = {out.left.data() + done, out.right.data() + done};
      effect->processReplacing(i, o, std::min(kBlock, kFrames - done));
    }
    return out;
  }
};

class UridMap {
 public:
  UridMap() {
    map_.handle = this;
    map_.map = [](LV2_URID_Map_Handle handle, const char* uri) -> LV2_URID {
      auto& ids = static_cast<UridMap*>(handle)->ids_;
      auto [it, added] = ids.emplace(uri, static_cast<LV2_URID>(ids.size() + 1));
      return it->second;
    };
    unmap_.handle = this;
    unmap_.unmap = [](LV2_URID_Unmap_Handle handle, LV2_URID id) -> const char* {
      for (const auto& [uri, known] : static_cast<UridMap*>(handle)->ids_)
        if (known == id) return uri.c_str();
      return nullptr;
    };
  }
  LV2_URID id(const char* uri) { return map_.map(this, uri); }
  const LV2_Feature* const* features() { return features_; }
  LV2_URID_Map* map() { return &map_; }
  LV2_URID_Unmap* unmap() { return &unmap_; }

 private:
  std::map<std::string, LV2_URID> ids_;
  LV2_URID_Map map_{};
  LV2_URID_Unmap unmap_{};
  LV2_Feature mapFeature_{LV2_URID__map, &map_};
  LV2_Feature unmapFeature_{LV2_URID__unmap, &unmap_};
  const LV2_Feature* features_[3] = {&mapFeature_, &unmapFeature_, nullptr};
};

// One world over the build tree's bundles, shared by every test.
LilvWorld* world() {
  static LilvWorld* w = [] {
    LilvWorld* created = lilv_world_new();
    LilvNode* path = lilv_new_string(created, SORVANE_LV2_DIR);
    lilv_world_set_option(created, LILV_OPTION_LV2_PATH, path);
    lilv_node_free(path);
    lilv_world_load_all(created);
    return created;
  }();
  return w;
}

template <class Product>
const LilvPlugin* pluginOf() {
  LilvNode* uri = lilv_new_uri(world(), Identity<Product>::kUri);
  const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world()), uri);
  lilv_node_free(uri);
  return plugin;
}

// One instance with its port buffers, run in blocks as a host runs it.
template <class Product>
class Host {
 public:
  static constexpr int kControls = Product::kParameterCount;

  explicit Host(bool withMap = true) {
    plugin_ = pluginOf<Product>();
    if (!plugin_) return;
    static const LV2_Feature* const none[] = {nullptr};
    instance_ = lilv_plugin_instantiate(plugin_, kRate, withMap ? urids.features() : none);
    if (!instance_) return;
    const sorvane::ParameterUnits units = sorvane::unitsOf<Product>();
    for (int i = 0; i < kControls; ++i) {
      controls[i] =
          sorvane::formats::portValueOf(units, i, static_cast<float>(Product::presets().factoryPrograms[0].values[i]));
      lilv_instance_connect_port(instance_, static_cast<uint32_t>(i), &controls[i]);
    }
    lilv_instance_activate(instance_);
  }
  ~Host() {
    if (!instance_) return;
    lilv_instance_deactivate(instance_);
    lilv_instance_free(instance_);
  }
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  bool ok() const { return instance_ != nullptr; }
  LilvInstance* instance() { return instance_; }

  // Renders the test signal; in place when asked (one buffer per side for
  // input and output, as Ardour connects them).
  Stereo render(bool inPlace = false) {
    Stereo in{testSignal(0), testSignal(1)};
    Stereo out{std::vector<float>(kFrames), std::vector<float>(kFrames)};
    Stereo& written = inPlace ? in : out;
    for (int done = 0; done < kFrames; done += kBlock) {
      connectAudio(in.left.data() + done, in.right.data() + done, written.left.data() + done,
                   written.right.data() + done);
      lilv_instance_run(instance_, static_cast<uint32_t>(std::min(kBlock, kFrames - done)));
    }
    return written;
  }
  // One block of the test signal, in place; true when every sample out is finite.
  bool runOneBlock() {
    std::vector<float> l = testSignal(0), r = testSignal(1);
    connectAudio(l.data(), r.data(), l.data(), r.data());
    lilv_instance_run(instance_, kBlock);
    for (int i = 0; i < kBlock; ++i)
      if (!std::isfinite(l[i]) || !std::isfinite(r[i])) return false;
    return true;
  }

  void runBlock(float* inL, float* inR, float* outL, float* outR, int frames) {
    connectAudio(inL, inR, outL, outR);
    lilv_instance_run(instance_, static_cast<uint32_t>(frames));
  }

  const LV2_State_Interface* state() {
    return static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(instance_, LV2_STATE__interface));
  }

  // The bytes the plug-in saves as its state, through its state interface.
  struct Saved {
    LV2_State_Status status = LV2_STATE_ERR_UNKNOWN;
    std::vector<unsigned char> bytes;
    uint32_t key = 0, type = 0, flags = 0;
  };
  Saved save() {
    Saved saved;
    saved.status = state()->save(
        lilv_instance_get_handle(instance_),
        [](LV2_State_Handle handle, uint32_t key, const void* value, size_t size, uint32_t type, uint32_t flags) {
          auto* s = static_cast<Saved*>(handle);
          const auto* bytes = static_cast<const unsigned char*>(value);
          s->bytes.assign(bytes, bytes + size);
          s->key = key;
          s->type = type;
          s->flags = flags;
          return LV2_STATE_SUCCESS;
        },
        &saved, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, urids.features());
    return saved;
  }
  // Offers bytes under key and type to the plug-in's restore.
  LV2_State_Status restore(std::vector<unsigned char> bytes, uint32_t offeredKey, uint32_t offeredType) {
    struct Offer {
      std::vector<unsigned char> bytes;
      uint32_t key, type;
    } offer{std::move(bytes), offeredKey, offeredType};
    return state()->restore(
        lilv_instance_get_handle(instance_),
        [](LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags) -> const void* {
          auto* o = static_cast<Offer*>(handle);
          if (key != o->key) return nullptr;
          *size = o->bytes.size();
          *type = o->type;
          *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
          return o->bytes.data();
        },
        &offer, 0, urids.features());
  }
  uint32_t bankKey() { return urids.id(Identity<Product>::kBankKey); }
  uint32_t chunkType() { return urids.id(LV2_ATOM__Chunk); }

  UridMap urids;
  float controls[kControls] = {};

 private:
  void connectAudio(float* inL, float* inR, float* outL, float* outR) {
    float* audio[] = {inL, inR, outL, outR};
    for (int a = 0; a < sorvane::lv2::kAudioPortCount; ++a)
      lilv_instance_connect_port(instance_, static_cast<uint32_t>(kControls + a), audio[a]);
  }

  const LilvPlugin* plugin_ = nullptr;
  LilvInstance* instance_ = nullptr;
};

// Largest difference; counts the samples that differ at all.
struct Difference {
  double largest = 0.0;
  int differing = 0;
};
Difference compare(const Stereo& a, const Stereo& b) {
  Difference d;
  for (int i = 0; i < kFrames; ++i)
    for (const auto& [x, y] : {std::pair(a.left[i], b.left[i]), std::pair(a.right[i], b.right[i])}) {
      const double diff = std::fabs(static_cast<double>(x) - y);
      if (!(diff == 0.0)) ++d.differing;
      if (!(diff <= d.largest)) d.largest = diff;
    }
  return d;
}

bool allFinite(const Stereo& s) {
  for (int i = 0; i < kFrames; ++i)
    if (!std::isfinite(s.left[i]) || !std::isfinite(s.right[i])) return false;
  return true;
}

template <class Product>
class Lv2Host : public ::testing::Test {};
using Products = ::testing::Types<tessaro::Product, pallido::Product>;
TYPED_TEST_SUITE(Lv2Host, Products);

TYPED_TEST(Lv2Host, TheHostFindsTheStereoPluginWithOnePortPerParameterAndNoLatency) {
  const LilvPlugin* plugin = pluginOf<TypeParam>();
  ASSERT_NE(plugin, nullptr) << "no " << Identity<TypeParam>::kUri << " under " << SORVANE_LV2_DIR;
  EXPECT_TRUE(lilv_plugin_verify(plugin));
  EXPECT_EQ(lilv_plugin_get_num_ports(plugin), static_cast<uint32_t>(TypeParam::kParameterCount + 4));
  EXPECT_FALSE(lilv_plugin_has_latency(plugin));
  LilvNode* name = lilv_plugin_get_name(plugin);
  EXPECT_STREQ(lilv_node_as_string(name), TypeParam::kEffectName);
  lilv_node_free(name);
  for (int i = 0; i < TypeParam::kParameterCount; ++i) {
    const LilvPort* port = lilv_plugin_get_port_by_index(plugin, static_cast<uint32_t>(i));
    LilvNode* portName = lilv_port_get_name(plugin, port);
    EXPECT_STREQ(lilv_node_as_string(portName), TypeParam::kParameters[i].name);
    lilv_node_free(portName);
  }
}

TYPED_TEST(Lv2Host, EachControlPortShowsTheRangeDefaultAndPrintedPositionsOfTheUnitsModel) {
  const LilvPlugin* plugin = pluginOf<TypeParam>();
  ASSERT_NE(plugin, nullptr);
  const sorvane::ParameterUnits units = sorvane::unitsOf<TypeParam>();
  LilvNode* integer = lilv_new_uri(world(), LV2_CORE__integer);
  LilvNode* enumeration = lilv_new_uri(world(), LV2_CORE__enumeration);
  LilvNode* toggled = lilv_new_uri(world(), LV2_CORE__toggled);
  LilvNode* unitOf = lilv_new_uri(world(), "http://lv2plug.in/ns/extensions/units#unit");
  LilvNode* decibels = lilv_new_uri(world(), "http://lv2plug.in/ns/extensions/units#db");
  for (int i = 0; i < TypeParam::kParameterCount; ++i) {
    const char* name = TypeParam::kParameters[i].name;
    const LilvPort* port = lilv_plugin_get_port_by_index(plugin, static_cast<uint32_t>(i));
    const auto range = *sorvane::formats::controlPortRange(units, i);
    LilvNode *def = nullptr, *min = nullptr, *max = nullptr;
    lilv_port_get_range(plugin, port, &def, &min, &max);
    ASSERT_TRUE(def && min && max) << name;
    EXPECT_EQ(lilv_node_as_float(min), range.minimum) << name;
    EXPECT_EQ(lilv_node_as_float(max), range.maximum) << name;
    EXPECT_EQ(
        lilv_node_as_float(def),
        sorvane::formats::portValueOf(units, i, static_cast<float>(TypeParam::presets().factoryPrograms[0].values[i])))
        << name;
    lilv_node_free(def);
    lilv_node_free(min);
    lilv_node_free(max);
    const bool isDecibels = range.kind == sorvane::formats::PortKind::Decibels;
    EXPECT_EQ(lilv_port_has_property(plugin, port, integer), range.kind == sorvane::formats::PortKind::Enumeration)
        << name;
    EXPECT_EQ(lilv_port_has_property(plugin, port, enumeration), range.kind == sorvane::formats::PortKind::Enumeration)
        << name;
    EXPECT_EQ(lilv_port_has_property(plugin, port, toggled), range.kind == sorvane::formats::PortKind::Toggle) << name;
    LilvNodes* unit = lilv_port_get_value(plugin, port, unitOf);
    EXPECT_EQ(unit && lilv_nodes_contains(unit, decibels), isDecibels) << name;
    lilv_nodes_free(unit);
    // One scale point per printed position, labelled as the panel prints it.
    LilvScalePoints* points = lilv_port_get_scale_points(plugin, port);
    const int positions = isDecibels ? 0 : units.positionCount(i);
    EXPECT_EQ(points ? static_cast<int>(lilv_scale_points_size(points)) : 0, positions) << name;
    LILV_FOREACH(scale_points, it, points) {
      const LilvScalePoint* point = lilv_scale_points_get(points, it);
      const float value = lilv_node_as_float(lilv_scale_point_get_value(point));
      char text[sorvane::kValueTextCapacity];
      ASSERT_TRUE(units.positionText(i, static_cast<int>(value), text)) << name << " " << value;
      EXPECT_STREQ(lilv_node_as_string(lilv_scale_point_get_label(point)), text) << name;
    }
    lilv_scale_points_free(points);
  }
  for (LilvNode* node : {integer, enumeration, toggled, unitOf, decibels}) lilv_node_free(node);
}

TYPED_TEST(Lv2Host, EveryFactoryPresetPlaysAsTheVstBuildsProgramOfTheSameName) {
  const LilvPlugin* plugin = pluginOf<TypeParam>();
  ASSERT_NE(plugin, nullptr);
  LilvNode* presetClass = lilv_new_uri(world(), LV2_PRESETS__Preset);
  LilvNode* label = lilv_new_uri(world(), LILV_NS_RDFS "label");
  LilvNodes* presets = lilv_plugin_get_related(plugin, presetClass);
  EXPECT_EQ(lilv_nodes_size(presets), static_cast<unsigned>(sorvane::kProgramCount));
  int exactPrograms = 0;
  for (int p = 0; p < sorvane::kProgramCount; ++p) {
    const std::string uri = std::string(Identity<TypeParam>::kUri) + "/presets/" + std::to_string(p + 1);
    LilvNode* presetUri = lilv_new_uri(world(), uri.c_str());
    lilv_world_load_resource(world(), presetUri);
    LilvNode* name = lilv_world_get(world(), presetUri, label, nullptr);
    ASSERT_NE(name, nullptr) << uri;
    EXPECT_STREQ(lilv_node_as_string(name), TypeParam::presets().factoryPrograms[p].name);
    lilv_node_free(name);

    Host<TypeParam> host;
    ASSERT_TRUE(host.ok());
    LilvState* state = lilv_state_new_from_world(world(), host.urids.map(), presetUri);
    ASSERT_NE(state, nullptr) << uri;
    EXPECT_EQ(lilv_state_get_num_properties(state), 0u) << "a preset carries ports only, never the bank";
    lilv_state_restore(
        state, host.instance(),
        [](const char* symbol, void* data, const void* value, uint32_t size, uint32_t) {
          auto* h = static_cast<Host<TypeParam>*>(data);
          const LilvPlugin* pl = pluginOf<TypeParam>();
          LilvNode* sym = lilv_new_string(world(), symbol);
          const LilvPort* port = lilv_plugin_get_port_by_symbol(pl, sym);
          lilv_node_free(sym);
          if (port && size == sizeof(float)) std::memcpy(&h->controls[lilv_port_get_index(pl, port)], value, size);
        },
        &host, 0, nullptr);
    lilv_state_free(state);
    lilv_node_free(presetUri);

    VstRender<TypeParam> vst;
    vst.effect->dispatcher(effSetProgram, 0, p, nullptr, 0.0f);
    const Difference d = compare(host.render(), vst.render());
    EXPECT_LE(d.largest, 1e-6) << TypeParam::presets().factoryPrograms[p].name;
    exactPrograms += d.differing == 0;
  }
  // Programs whose gains make the trip through decibels exactly play bit for bit.
  EXPECT_GE(exactPrograms, 1);
  std::printf("%s: %d of %d presets bit for bit\n", TypeParam::kEffectName, exactPrograms, sorvane::kProgramCount);
  lilv_nodes_free(presets);
  lilv_node_free(label);
  lilv_node_free(presetClass);
}

TYPED_TEST(Lv2Host, APortInThePanelsUnitsPlaysTheVstParameterOfTheSamePrintedValue) {
  // Every port at its top (steps, switches on, +20 dB), then every port at
  // a middle value, each against the VST build with the same printed values.
  const sorvane::ParameterUnits units = sorvane::unitsOf<TypeParam>();
  for (const bool top : {true, false}) {
    Host<TypeParam> host;
    ASSERT_TRUE(host.ok());
    VstRender<TypeParam> vst;
    for (int i = 0; i < TypeParam::kParameterCount; ++i) {
      const auto range = *sorvane::formats::controlPortRange(units, i);
      float port = top ? range.maximum : std::round(0.5f * (range.minimum + range.maximum));
      if (range.kind == sorvane::formats::PortKind::Decibels) port = top ? 20.0f : -7.5f;
      // Keep the plug-in in: only the switch's off position passes the effect.
      if (i == TypeParam::kOnOffIndex) port = 0.0f;
      host.controls[i] = port;
      std::optional<float> value = range.kind == sorvane::formats::PortKind::Decibels
                                       ? units.parse(i, std::to_string(port) + " dB")
                                       : units.positionValue(i, static_cast<int>(port));
      ASSERT_TRUE(value) << TypeParam::kParameters[i].name;
      vst.effect->setParameter(i, *value);
    }
    const Difference d = compare(host.render(), vst.render());
    EXPECT_EQ(d.differing, 0) << (top ? "top" : "middle") << ", largest difference " << d.largest;
  }
}

TYPED_TEST(Lv2Host, ProcessingInPlaceGivesWhatSeparateBuffersGive) {
  Host<TypeParam> separate, inPlace;
  ASSERT_TRUE(separate.ok() && inPlace.ok());
  const Difference d = compare(separate.render(false), inPlace.render(true));
  EXPECT_EQ(d.differing, 0) << d.largest;
}

TYPED_TEST(Lv2Host, PortValuesOutOfRangeOrNanPlayTheNearestValidOnesAndNeverNan) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const sorvane::ParameterUnits units = sorvane::unitsOf<TypeParam>();
  for (const bool high : {true, false}) {
    Host<TypeParam> bad, held;
    ASSERT_TRUE(bad.ok() && held.ok());
    for (int i = 0; i < TypeParam::kParameterCount; ++i) {
      if (i == TypeParam::kOnOffIndex) continue;
      const auto range = *sorvane::formats::controlPortRange(units, i);
      bad.controls[i] = high ? range.maximum + 1000.0f : -std::numeric_limits<float>::infinity();
      held.controls[i] = high ? range.maximum : range.minimum;
    }
    const Stereo out = bad.render();
    EXPECT_TRUE(allFinite(out));
    EXPECT_EQ(compare(out, held.render()).differing, 0) << (high ? "above" : "below");
  }
  Host<TypeParam> withNan;
  ASSERT_TRUE(withNan.ok());
  for (float& control : withNan.controls) control = nan;
  EXPECT_TRUE(allFinite(withNan.render()));
}

TYPED_TEST(Lv2Host, AHostWithoutAMapGetsAPlayingPluginThatRefusesState) {
  Host<TypeParam> host(false);
  ASSERT_TRUE(host.ok());
  EXPECT_TRUE(allFinite(host.render()));
  EXPECT_EQ(host.save().status, LV2_STATE_ERR_NO_FEATURE);
}

// A bank a session might hold: program 5 current, its B side in use with
// values of its own, one program renamed.
template <class Product>
std::vector<unsigned char> sessionBank() {
  VstRender<Product> vst;
  auto& effect = *vst.effect;
  effect.dispatcher(effSetProgram, 0, 5, nullptr, 0.0f);
  effect.toggleActiveSide();
  effect.setParameter(Product::kOutputIndex, 0.8125f);
  effect.setParameter(3, 0.3f);
  char name[] = "Session";
  effect.dispatcher(effSetProgramName, 0, 0, name, 0.0f);
  void* data = nullptr;
  const auto size = effect.dispatcher(effGetChunk, 0, 0, &data, 0.0f);
  const auto* bytes = static_cast<const unsigned char*>(data);
  return {bytes, bytes + size};
}

// The state a session holds: the bank, then the current program.
std::vector<unsigned char> withProgram(std::vector<unsigned char> bank, std::uint32_t program) {
  bank.insert(bank.end(), {'S', 'v', 'P', 'g'});
  for (int shift = 0; shift < 32; shift += 8) bank.push_back(static_cast<unsigned char>(program >> shift));
  return bank;
}

TYPED_TEST(Lv2Host, StateSavesTheVstBuildsBankChunkAndRestoresItByteForByte) {
  Host<TypeParam> fresh;
  ASSERT_TRUE(fresh.ok());
  VstRender<TypeParam> vst;
  void* data = nullptr;
  const auto size = vst.effect->dispatcher(effGetChunk, 0, 0, &data, 0.0f);
  const auto saved = fresh.save();
  ASSERT_EQ(saved.status, LV2_STATE_SUCCESS);
  EXPECT_EQ(saved.key, fresh.bankKey());
  EXPECT_EQ(saved.type, fresh.chunkType());
  EXPECT_EQ(saved.flags & LV2_STATE_IS_POD, static_cast<uint32_t>(LV2_STATE_IS_POD));
  const auto* fresh0 = static_cast<const unsigned char*>(data);
  EXPECT_EQ(saved.bytes, withProgram({fresh0, fresh0 + size}, 0)) << "a fresh instance's bank, on program 0";

  // A VST session's bare bank restores and leaves the program as it is.
  const std::vector<unsigned char> bank = sessionBank<TypeParam>();
  Host<TypeParam> host;
  ASSERT_TRUE(host.ok());
  ASSERT_EQ(host.restore(bank, host.bankKey(), host.chunkType()), LV2_STATE_SUCCESS);
  EXPECT_EQ(host.save().bytes, withProgram(bank, 0));
  // A session's state brings its program back, playing what it played.
  ASSERT_EQ(host.restore(withProgram(bank, 5), host.bankKey(), host.chunkType()), LV2_STATE_SUCCESS);
  EXPECT_EQ(host.save().bytes, withProgram(bank, 5));
  // A program that does not exist is refused with the rest.
  const std::vector<unsigned char> before = host.save().bytes;
  EXPECT_NE(host.restore(withProgram(bank, 12), host.bankKey(), host.chunkType()), LV2_STATE_SUCCESS);
  EXPECT_EQ(host.save().bytes, before);
}

TYPED_TEST(Lv2Host, ASessionThroughLilvsOwnStateCarriesTheBankToANewInstance) {
  const std::vector<unsigned char> bank = sessionBank<TypeParam>();
  const std::vector<unsigned char> session = withProgram(bank, 5);
  Host<TypeParam> first;
  ASSERT_TRUE(first.ok());
  ASSERT_EQ(first.restore(session, first.bankKey(), first.chunkType()), LV2_STATE_SUCCESS);
  // The ports a host restores with the session show the restored program,
  // so the block the host runs before saving changes nothing.
  const sorvane::ParameterUnits units = sorvane::unitsOf<TypeParam>();
  {
    VstRender<TypeParam> vst;
    vst.effect->dispatcher(effSetChunk, 0, static_cast<VstIntPtr>(bank.size()), const_cast<unsigned char*>(bank.data()),
                           0.0f);
    vst.effect->dispatcher(effSetProgram, 0, 5, nullptr, 0.0f);
    for (int i = 0; i < TypeParam::kParameterCount; ++i)
      first.controls[i] = sorvane::formats::portValueOf(units, i, vst.effect->getParameter(i));
  }
  first.runOneBlock();

  LilvState* state = lilv_state_new_from_instance(
      pluginOf<TypeParam>(), first.instance(), first.urids.map(), nullptr, nullptr, nullptr, nullptr,
      [](const char* symbol, void* data, uint32_t* size, uint32_t* type) -> const void* {
        auto* h = static_cast<Host<TypeParam>*>(data);
        const LilvPlugin* pl = pluginOf<TypeParam>();
        LilvNode* sym = lilv_new_string(world(), symbol);
        const LilvPort* port = lilv_plugin_get_port_by_symbol(pl, sym);
        lilv_node_free(sym);
        const uint32_t index = port ? lilv_port_get_index(pl, port) : 0;
        if (!port || index >= static_cast<uint32_t>(TypeParam::kParameterCount)) return nullptr;
        *size = sizeof(float);
        *type = h->urids.id(LV2_ATOM__Float);
        return &h->controls[index];
      },
      &first, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, nullptr);
  ASSERT_NE(state, nullptr);
  char* text =
      lilv_state_to_string(world(), first.urids.map(), first.urids.unmap(), state, "urn:sorvane:test-session", nullptr);
  lilv_state_free(state);
  ASSERT_NE(text, nullptr);

  Host<TypeParam> second;
  ASSERT_TRUE(second.ok());
  LilvState* read = lilv_state_new_from_string(world(), second.urids.map(), text);
  lilv_free(text);
  ASSERT_NE(read, nullptr);
  lilv_state_restore(read, second.instance(), nullptr, nullptr, 0, nullptr);
  lilv_state_free(read);
  EXPECT_EQ(second.save().bytes, session);
}

TYPED_TEST(Lv2Host, BadStateIsRefusedAndLeavesTheBankAsItWas) {
  Host<TypeParam> host;
  ASSERT_TRUE(host.ok());
  const std::vector<unsigned char> before = host.save().bytes;
  std::vector<unsigned char> bank = sessionBank<TypeParam>();

  std::vector<unsigned char> shorter(bank.begin(), bank.end() - 1);
  EXPECT_NE(host.restore(shorter, host.bankKey(), host.chunkType()), LV2_STATE_SUCCESS);
  EXPECT_NE(host.restore({}, host.bankKey(), host.chunkType()), LV2_STATE_SUCCESS);
  EXPECT_EQ(host.restore(bank, host.bankKey(), host.urids.id(LV2_ATOM__String)), LV2_STATE_ERR_BAD_TYPE);
  EXPECT_EQ(host.restore(bank, host.urids.id("urn:sorvane:another-key"), host.chunkType()), LV2_STATE_ERR_NO_PROPERTY);
  std::vector<unsigned char> newer = bank;
  const size_t versionOffset = offsetof(typename sorvane::Sorvane<TypeParam>::Bank, version);
  newer[versionOffset] = 0x7f;
  EXPECT_NE(host.restore(newer, host.bankKey(), host.chunkType()), LV2_STATE_SUCCESS);
  EXPECT_EQ(host.save().bytes, before);
}

// The bank chunk the VST build holds after the same steps.
template <class Product>
std::vector<unsigned char> vstBankAfter(const std::vector<unsigned char>& bank, int index, float value) {
  VstRender<Product> vst;
  vst.effect->dispatcher(effSetChunk, 0, static_cast<VstIntPtr>(bank.size()), const_cast<unsigned char*>(bank.data()),
                         0.0f);
  vst.effect->setParameter(index, value);
  void* data = nullptr;
  const auto size = vst.effect->dispatcher(effGetChunk, 0, 0, &data, 0.0f);
  const auto* bytes = static_cast<const unsigned char*>(data);
  return {bytes, bytes + size};
}

TYPED_TEST(Lv2Host, AfterARestoreTheBankWinsOverThePortsAndAPortMovedLaterIsAutomation) {
  Host<TypeParam> host;
  ASSERT_TRUE(host.ok());
  ASSERT_TRUE(host.runOneBlock());
  const std::vector<unsigned char> bank = sessionBank<TypeParam>();
  ASSERT_EQ(host.restore(bank, host.bankKey(), host.chunkType()), LV2_STATE_SUCCESS);
  // The ports still show program 0, which the restored bank does not play:
  // the bank wins, whether the host leaves the ports as they were or sets
  // them before the next block.
  ASSERT_TRUE(host.runOneBlock());
  EXPECT_EQ(host.save().bytes, withProgram(bank, 0));
  ASSERT_EQ(host.restore(bank, host.bankKey(), host.chunkType()), LV2_STATE_SUCCESS);
  host.controls[3] = host.controls[3] > 0.0f ? 0.0f : 1.0f;
  ASSERT_TRUE(host.runOneBlock());
  EXPECT_EQ(host.save().bytes, withProgram(bank, 0));
  // A port moved afterwards is a change like any automation: it goes into
  // the restored program's side in use, as setParameter does in the VST build.
  host.controls[TypeParam::kOutputIndex] = 6.0f;
  ASSERT_TRUE(host.runOneBlock());
  EXPECT_EQ(host.save().bytes, withProgram(vstBankAfter<TypeParam>(bank, TypeParam::kOutputIndex, 0.65f), 0));
}

// Damaged banks from a fixed seed, as a session file might hold them: each
// is refused with the bank left as it was, or restored into a plug-in that
// plays finite samples and saves a bank that restores to itself.
TYPED_TEST(Lv2Host, DamagedBanksAreRefusedOrRestoredIntoAPlayingPlugin) {
  Host<TypeParam> host;
  ASSERT_TRUE(host.ok());
  const std::vector<unsigned char> bank = sessionBank<TypeParam>();
  std::uint32_t seed = 20261209;
  auto next = [&seed](std::uint32_t range) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % range;
  };
  int restored = 0;
  for (int round = 0; round < 300; ++round) {
    std::vector<unsigned char> damaged = bank;
    const std::uint32_t flips = 1 + next(16);
    for (std::uint32_t f = 0; f < flips; ++f)
      damaged[next(static_cast<std::uint32_t>(damaged.size()))] = static_cast<unsigned char>(next(256));
    if (next(8) == 0) damaged.resize(next(static_cast<std::uint32_t>(damaged.size() + 64)));
    const std::vector<unsigned char> before = host.save().bytes;
    if (host.restore(damaged, host.bankKey(), host.chunkType()) != LV2_STATE_SUCCESS) {
      EXPECT_EQ(host.save().bytes, before) << "round " << round;
      continue;
    }
    ++restored;
    ASSERT_TRUE(host.runOneBlock()) << "round " << round;
    const std::vector<unsigned char> after = host.save().bytes;
    ASSERT_EQ(host.restore(after, host.bankKey(), host.chunkType()), LV2_STATE_SUCCESS) << "round " << round;
    EXPECT_EQ(host.save().bytes, after) << "round " << round;
  }
  EXPECT_GT(restored, 100) << "too few damaged banks got past the size and version checks to test anything";
}

// The figure of per-frame cost, LV2 against the VST build in one run
// (interleaved rounds, the quickest of each counted, so a busy machine slows
// both alike). Not part of the suite, whose machines are shared; run it with
// --gtest_also_run_disabled_tests --gtest_filter='*PerFrameCost*'.
TYPED_TEST(Lv2Host, DISABLED_PerFrameCostAgainstTheVstBuild) {
  Host<TypeParam> lv2;
  ASSERT_TRUE(lv2.ok());
  VstRender<TypeParam> vst;
  vst.render();
  Stereo in{testSignal(0), testSignal(1)};
  Stereo out{std::vector<float>(kFrames), std::vector<float>(kFrames)};
  constexpr int kWhole = kFrames / kBlock * kBlock;
  using Clock = std::chrono::steady_clock;
  double fastestLv2 = 1e300, fastestVst = 1e300;
  for (int round = 0; round < 30; ++round) {
    const auto t0 = Clock::now();
    for (int done = 0; done < kWhole; done += kBlock)
      lv2.runBlock(in.left.data() + done, in.right.data() + done, out.left.data() + done, out.right.data() + done,
                   kBlock);
    const auto t1 = Clock::now();
    for (int done = 0; done < kWhole; done += kBlock) {
      float* i[2] = {in.left.data() + done, in.right.data() + done};
      float* o[2] = {out.left.data() + done, out.right.data() + done};
      vst.effect->processReplacing(i, o, kBlock);
    }
    const auto t2 = Clock::now();
    fastestLv2 = std::min(fastestLv2, std::chrono::duration<double, std::nano>(t1 - t0).count() / kWhole);
    fastestVst = std::min(fastestVst, std::chrono::duration<double, std::nano>(t2 - t1).count() / kWhole);
  }
  std::printf("%s: %.1f ns per frame as LV2, %.1f as VST 2.4 (%+.1f %%)\n", TypeParam::kEffectName, fastestLv2,
              fastestVst, 100.0 * (fastestLv2 / fastestVst - 1.0));
}

}  // namespace
