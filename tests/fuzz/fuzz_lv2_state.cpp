// The LV2 plug-in's state restore, as a session file or a hostile host hands
// it over: the real descriptor of each product, a host's URID map, control
// ports left where the host had them, and the bytes under the bank key.
#include <lv2/atom/atom.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <array>
#include <string>
#include <vector>

#include "formats/lv2/adapter_impl.h"
#include "fuzz_checks.h"
#include "fuzz_support.h"

// No panel: the restore path never reaches the editor.
template <>
struct sorvane::lv2::EditorOf<tessaro::Product> {
  static AEffEditor* make(AudioEffect*) { return nullptr; }
};
template <>
struct sorvane::lv2::EditorOf<pallido::Product> {
  static AEffEditor* make(AudioEffect*) { return nullptr; }
};

namespace sorvane::fuzz {
namespace {

class UridMap {
 public:
  LV2_URID map(const char* uri) {
    for (size_t i = 0; i < uris_.size(); ++i)
      if (uris_[i] == uri) return static_cast<LV2_URID>(i + 1);
    uris_.emplace_back(uri);
    return static_cast<LV2_URID>(uris_.size());
  }
  static LV2_URID callback(LV2_URID_Map_Handle handle, const char* uri) {
    return static_cast<UridMap*>(handle)->map(uri);
  }

 private:
  std::vector<std::string> uris_;
};

// What the host holds under the bank key, and how it answers a retrieve.
struct Stored {
  Bytes bytes;
  LV2_URID type = 0;
  bool present = true;

  static const void* retrieve(LV2_State_Handle handle, uint32_t, size_t* size, uint32_t* type, uint32_t* flags) {
    const auto* self = static_cast<const Stored*>(handle);
    if (!self->present) return nullptr;
    *size = self->bytes.size();
    *type = self->type;
    *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
    // Never null for a present value, even an empty one.
    static const uint8_t kEmpty = 0;
    return self->bytes.empty() ? &kEmpty : self->bytes.data();
  }
  static LV2_State_Status store(LV2_State_Handle handle, uint32_t, const void* value, size_t size, uint32_t type,
                                uint32_t) {
    auto* self = static_cast<Stored*>(handle);
    const auto* bytes = static_cast<const uint8_t*>(value);
    self->bytes.assign(bytes, bytes + size);
    self->type = type;
    return LV2_STATE_SUCCESS;
  }
};

template <class Product>
class Lv2Instance {
 public:
  Lv2Instance() {
    mapFeature_.URI = LV2_URID__map;
    mapFeature_.data = &mapData_;
    descriptor_ = lv2::descriptorOf<Product>();
    handle_ = descriptor_->instantiate(descriptor_, 48000.0, "", features_);
    if (!handle_) return;
    state_ = static_cast<const LV2_State_Interface*>(descriptor_->extension_data(LV2_STATE__interface));
    // Ports show the factory program, as a host that restored no port values would leave them.
    auto& effect = static_cast<lv2::Adapter<Product>*>(handle_)->effect();
    const ParameterUnits units = unitsOf<Product>();
    for (int i = 0; i < Product::kParameterCount; ++i) {
      controls_[i] = formats::portValueOf(units, i, effect.getParameter(i));
      descriptor_->connect_port(handle_, static_cast<uint32_t>(i), &controls_[i]);
    }
    for (int a = 0; a < lv2::kAudioPortCount; ++a)
      descriptor_->connect_port(handle_, static_cast<uint32_t>(Product::kParameterCount + a), audio_[a].data());
    descriptor_->activate(handle_);
  }
  ~Lv2Instance() {
    if (!handle_) return;
    descriptor_->deactivate(handle_);
    descriptor_->cleanup(handle_);
  }
  bool ready() const { return handle_ && state_; }
  LV2_URID chunkType() { return map_.map(LV2_ATOM__Chunk); }

  Stored save() {
    Stored saved;
    saved.present = state_->save(handle_, &Stored::store, &saved, 0, features_) == LV2_STATE_SUCCESS;
    return saved;
  }
  LV2_State_Status restore(const Stored& stored) {
    return state_->restore(handle_, &Stored::retrieve, const_cast<Stored*>(&stored), 0, features_);
  }
  // One block of the check signal; false when the output is not finite.
  bool run() {
    const float* signal = checkSignal();
    for (int i = 0; i < kCheckFrames; ++i) {
      audio_[lv2::kInLeft][i] = signal[i];
      audio_[lv2::kInRight][i] = -signal[kCheckFrames - 1 - i];
    }
    descriptor_->run(handle_, kCheckFrames);
    return allFinite(audio_[lv2::kOutLeft].data(), kCheckFrames) &&
           allFinite(audio_[lv2::kOutRight].data(), kCheckFrames);
  }

 private:
  UridMap map_;
  LV2_URID_Map mapData_{&map_, &UridMap::callback};
  LV2_Feature mapFeature_{};
  const LV2_Feature* features_[2] = {&mapFeature_, nullptr};
  const LV2_Descriptor* descriptor_ = nullptr;
  LV2_Handle handle_ = nullptr;
  const LV2_State_Interface* state_ = nullptr;
  float controls_[Product::kParameterCount] = {};
  std::array<std::array<float, kCheckFrames>, lv2::kAudioPortCount> audio_{};
};

// The first byte says how the host answers (bit 0: under another type,
// bit 1: nothing stored); the rest is the value.
template <class Product>
std::string restoreThroughLv2(const uint8_t* data, size_t size) {
  Lv2Instance<Product> instance;
  if (!instance.ready()) return "the plug-in did not instantiate with a map";
  const uint8_t how = size > 0 ? data[0] : 0;
  Stored offered;
  offered.bytes.assign(size > 0 ? data + 1 : data, data + size);
  offered.type = (how & 1) ? offered.type + 1000 : instance.chunkType();
  offered.present = (how & 2) == 0;

  Problem problem;
  if (!instance.run()) problem.set("non-finite output before the restore");
  const Stored before = instance.save();
  const LV2_State_Status status = instance.restore(offered);
  if (!offered.present && status != LV2_STATE_ERR_NO_PROPERTY) problem.set("nothing stored answered ", status);
  if (offered.present && (how & 1) && status != LV2_STATE_ERR_BAD_TYPE) problem.set("a wrong type answered ", status);
  // The ports still show the old bank; the block after a restore must not write them over the new one.
  if (!instance.run()) problem.set("non-finite output after the restore");
  const Stored after = instance.save();
  if (!after.present || after.type != instance.chunkType()) problem.set("the state could not be saved back");
  if (status != LV2_STATE_SUCCESS) {
    if (after.bytes != before.bytes) problem.set("a refused state changed the bank");
  } else {
    if (after.bytes.size() != before.bytes.size()) problem.set("a restored bank saves with another size");
    Lv2Instance<Product> twin;
    if (!twin.ready() || twin.restore(after) != LV2_STATE_SUCCESS || twin.save().bytes != after.bytes)
      problem.set("the saved state does not restore to itself");
  }
  return problem.text();
}

}  // namespace

std::string checkLv2State(const uint8_t* data, size_t size) {
  Problem problem;
  problem.add(restoreThroughLv2<tessaro::Product>(data, size), "Tessaro");
  problem.add(restoreThroughLv2<pallido::Product>(data, size), "Pallido");
  return problem.text();
}

}  // namespace sorvane::fuzz
