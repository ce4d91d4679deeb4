// The adapter template's body, included by each product's LV2 entry file.
#pragma once

#include <lv2/atom/atom.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <vector>

#include "formats/common/session_state.h"
#include "formats/common/unit_values.h"
#include "formats/lv2/adapter.h"
#include "formats/lv2/identity.h"
#include "plugin/sorvane.h"

namespace sorvane::lv2 {

// Where the editor's host calls go while the LV2 UI shows it.
class EditorLink {
 public:
  virtual void beginEdit(int index) = 0;
  virtual void endEdit(int index) = 0;
  virtual void automated(int index, float value) = 0;
  virtual bool sizeWindow(int width, int height) = 0;

 protected:
  ~EditorLink() = default;
};

template <class Product>
class Adapter {
 public:
  static constexpr int kParameterCount = Product::kParameterCount;
  static constexpr int kPortCount = kParameterCount + kAudioPortCount;

  static const LV2_Descriptor* descriptor() {
    static const LV2_Descriptor d = {
        Identity<Product>::kUri, instantiate, connectPort, activate, run, deactivate, cleanup, extensionData};
    return &d;
  }

  // The UI reaches the effect through instance-access (the plug-in's
  // handle is the adapter) and takes the editor's host calls while open.
  Sorvane<Product>& effect() { return *effect_; }
  void linkEditor(EditorLink* link) { link_ = link; }

 private:
  Adapter(std::unique_ptr<Sorvane<Product>> effect, LV2_URID bankKey, LV2_URID chunkType)
      : effect_(std::move(effect)), bankKey_(bankKey), chunkType_(chunkType) {
    effect_->getAeffect()->user = this;
    // Not a value any port can hold as the same bits, so the first block reads every port.
    for (std::uint32_t& bits : lastPortBits_) bits = kNoPortBits;
  }

  static LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char*, const LV2_Feature* const* features) {
    const LV2_URID_Map* map = nullptr;
    for (int i = 0; features && features[i]; ++i)
      if (std::strcmp(features[i]->URI, LV2_URID__map) == 0) map = static_cast<const LV2_URID_Map*>(features[i]->data);
    // Without a map (a host that keeps no state, such as a command-line
    // renderer) the plug-in plays as well and refuses to save or restore.
    const bool mapped = map && map->map;
    try {
      auto effect = std::make_unique<Sorvane<Product>>(answerAsHost, EditorOf<Product>::make);
      auto* adapter = new Adapter(std::move(effect), mapped ? map->map(map->handle, Identity<Product>::kBankKey) : 0,
                                  mapped ? map->map(map->handle, LV2_ATOM__Chunk) : 0);
      adapter->dispatch(effOpen);
      adapter->dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
      return adapter;
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
  }

  static void connectPort(LV2_Handle instance, std::uint32_t port, void* data) {
    auto* self = static_cast<Adapter*>(instance);
    if (port < kParameterCount)
      self->controls_[port] = static_cast<const float*>(data);
    else if (port < kPortCount)
      self->audio_[port - kParameterCount] = static_cast<float*>(data);
  }

  // A VST host sets the program and parameters and then switches the mains
  // on, so the filters start at their settings instead of crossfading to
  // them from the last ones; the first block after activation does the same
  // with the ports the host set meanwhile (a preset, a session).
  static void activate(LV2_Handle instance) { static_cast<Adapter*>(instance)->starting_ = true; }
  static void deactivate(LV2_Handle instance) {
    auto* self = static_cast<Adapter*>(instance);
    if (!self->starting_) self->dispatch(effMainsChanged, 0, 0);
    self->starting_ = false;
  }
  static void cleanup(LV2_Handle instance) {
    auto* self = static_cast<Adapter*>(instance);
    self->dispatch(effClose);
    delete self;
  }

  static void run(LV2_Handle instance, std::uint32_t frames) {
    auto* self = static_cast<Adapter*>(instance);
    self->readControls();
    if (self->starting_) {
      self->dispatch(effMainsChanged, 0, 1);
      self->starting_ = false;
    }
    if (frames == 0) return;
    for (float* buffer : self->audio_)
      if (!buffer) return;
    float* inputs[2] = {self->audio_[kInLeft], self->audio_[kInRight]};
    float* outputs[2] = {self->audio_[kOutLeft], self->audio_[kOutRight]};
    // An LV2 block may be longer than a VST one can say.
    constexpr std::uint32_t kLongest = static_cast<std::uint32_t>(std::numeric_limits<VstInt32>::max());
    for (std::uint32_t done = 0; done < frames;) {
      const std::uint32_t span = frames - done < kLongest ? frames - done : kLongest;
      float* in[2] = {inputs[0] + done, inputs[1] + done};
      float* out[2] = {outputs[0] + done, outputs[1] + done};
      self->effect_->processReplacing(in, out, static_cast<VstInt32>(span));
      done += span;
    }
  }

  static const void* extensionData(const char* uri) {
    static const LV2_State_Interface state = {save, restore};
    return std::strcmp(uri, LV2_STATE__interface) == 0 ? &state : nullptr;
  }

  static LV2_State_Status save(LV2_Handle instance, LV2_State_Store_Function store, LV2_State_Handle handle,
                               std::uint32_t, const LV2_Feature* const*) {
    auto* self = static_cast<Adapter*>(instance);
    if (!self->bankKey_) return LV2_STATE_ERR_NO_FEATURE;
    const std::vector<std::uint8_t> session = formats::saveSession(*self->effect_->getAeffect());
    if (session.empty()) return LV2_STATE_ERR_UNKNOWN;
    // The record layout is fixed and little-endian on every platform we build, as in VST sessions.
    return store(handle, self->bankKey_, session.data(), session.size(), self->chunkType_,
                 LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
  }

  static LV2_State_Status restore(LV2_Handle instance, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                                  std::uint32_t, const LV2_Feature* const*) {
    auto* self = static_cast<Adapter*>(instance);
    if (!self->bankKey_) return LV2_STATE_ERR_NO_FEATURE;
    std::size_t size = 0;
    std::uint32_t type = 0;
    std::uint32_t flags = 0;
    const void* chunk = retrieve(handle, self->bankKey_, &size, &type, &flags);
    if (!chunk) return LV2_STATE_ERR_NO_PROPERTY;
    if (type != self->chunkType_) return LV2_STATE_ERR_BAD_TYPE;
    if (!formats::restoreSession(*self->effect_->getAeffect(), static_cast<const std::uint8_t*>(chunk), size))
      return LV2_STATE_ERR_UNKNOWN;
    self->portsFollowRestore_ = true;
    return LV2_STATE_SUCCESS;
  }

  // The host side of the dispatch frame: the host's version, and the
  // editor's gestures, values and window size for the UI that shows it.
  // Only the editor calls these, on the user-interface thread.
  static VstIntPtr VSTCALLBACK answerAsHost(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void*,
                                            float opt) {
    if (opcode == audioMasterVersion) return 2400;
    auto* self = effect ? static_cast<Adapter*>(effect->user) : nullptr;
    EditorLink* link = self ? self->link_ : nullptr;
    if (!link) return 0;
    switch (opcode) {
      case audioMasterAutomate:
        link->automated(index, opt);
        return 0;
      case audioMasterBeginEdit:
        link->beginEdit(index);
        return 1;
      case audioMasterEndEdit:
        link->endEdit(index);
        return 1;
      case audioMasterSizeWindow:
        return link->sizeWindow(index, static_cast<int>(value)) ? 1 : 0;
      default:
        return 0;
    }
  }

  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f) {
    return effect_->dispatcher(opcode, index, value, ptr, opt);
  }

  // A port the host moved is automation; one that still shows what the
  // effect plays is left alone, so the effect's exact values and the chunk
  // bytes stay as they are. After a restore the bank is the whole truth:
  // the ports as the next block finds them (a host restores them with the
  // state, or leaves them) count as the host's view of it, and only moves
  // after that are applied.
  void readControls() {
    const ParameterUnits units = unitsOf<Product>();
    const bool rebase = portsFollowRestore_;
    portsFollowRestore_ = false;
    for (int i = 0; i < kParameterCount; ++i) {
      if (!controls_[i]) continue;
      const float port = *controls_[i];
      std::uint32_t bits;
      std::memcpy(&bits, &port, sizeof bits);
      if (bits == lastPortBits_[i]) continue;
      lastPortBits_[i] = bits;
      if (!rebase && !formats::portShows(units, i, port, effect_->getParameter(i)))
        effect_->setParameter(i, formats::parameterValueOf(units, i, port));
    }
  }

  // A signalling NaN with a payload no host writes.
  static constexpr std::uint32_t kNoPortBits = 0x7fa5a5a5u;

  std::unique_ptr<Sorvane<Product>> effect_;
  LV2_URID bankKey_;  // 0 without the host's map
  LV2_URID chunkType_;
  const float* controls_[kParameterCount] = {};
  float* audio_[kAudioPortCount] = {};
  std::uint32_t lastPortBits_[kParameterCount];
  bool starting_ = false;            // activated, mains not yet on
  bool portsFollowRestore_ = false;  // a bank was restored since the last block
  EditorLink* link_ = nullptr;       // the open UI's, on the user-interface thread
};

template <class Product>
const LV2_Descriptor* descriptorOf() {
  return Adapter<Product>::descriptor();
}

}  // namespace sorvane::lv2
