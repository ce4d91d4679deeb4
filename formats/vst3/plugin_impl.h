// The VST3 plug-in of one product: one object that is at once the component
// (IComponent, IAudioProcessor) and its edit controller (IEditController,
// IUnitInfo), as hosts accept when the component answers IEditController
// itself. It holds the effect and drives it as a VST 2.4 host would (open,
// sample rate, block size, mains, setParameter, processReplacing and
// processDoubleReplacing, the bank chunk), so the sound and the state are the
// VST build's own; names, units, texts and positions come from the product
// tables through the units model.
//
// Parameters keep their VST 2.4 indices as identifiers and the effect's
// normalised values as theirs. One more, the program change, lists the 12
// programs of the root unit's program list; setting it loads the program on
// the user-interface thread, and every parameter that load changed goes back
// to the host as an output parameter change of the next block (a host that
// is told to reload every value from inside its own program change can
// deadlock, so nothing else is said).
//
// Thread contract: the host's user-interface thread calls everything but
// process, which runs on its audio thread and there neither allocates nor
// locks; setParameter reaches the effect from both, as in VST 2.4. The
// changes still to report are one atomic bit set, written by the
// user-interface thread and taken whole by process.
#pragma once

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "formats/vst3/identity.h"
#include "formats/vst3/interfaces.h"
#include "formats/vst3/text.h"
#include "formats/vst3/view_impl.h"
#include "plugin/sorvane.h"
#include "plugin/units.h"
#include "presets/preset_files.h"
#include "presets/records.h"

namespace sorvane::vst3 {

// The product's editor, as its VST entry makes it: each VST3 entry file
// specialises this with `static AEffEditor* make(AudioEffect*)`.
template <class Product>
struct EditorOf;

// Live instances of every product's plug-in, for the leak tests.
inline std::atomic<int> livePlugins{0};

// IComponent and IEditController name their states alike; these give the
// two a name each, so one object can keep both.
class ComponentStates : public IComponent {
 public:
  tresult SORVANE_VST3_API setState(IBStream* state) final { return setBank(state); }
  tresult SORVANE_VST3_API getState(IBStream* state) final { return getBank(state); }
  virtual tresult setBank(IBStream* state) = 0;
  virtual tresult getBank(IBStream* state) = 0;

 protected:
  ~ComponentStates() = default;
};
class ControllerStates : public IEditController {
 public:
  tresult SORVANE_VST3_API setState(IBStream* state) final { return setSelection(state); }
  tresult SORVANE_VST3_API getState(IBStream* state) final { return getSelection(state); }
  virtual tresult setSelection(IBStream* state) = 0;
  virtual tresult getSelection(IBStream* state) = 0;

 protected:
  ~ControllerStates() = default;
};

// The controller's state: which program is current. The bank does not say,
// and a VST 2.4 host keeps it beside the chunk; a VST3 host keeps the
// component's and the controller's states and restores them in that order.
struct SelectionRecord {
  char magic[4];         // "SvPr"
  std::int32_t program;  // little-endian, as every record here
};
static_assert(sizeof(SelectionRecord) == 8);

template <class Product>
class Plugin final : public ComponentStates,
                     public IAudioProcessor,
                     public ControllerStates,
                     public IUnitInfo,
                     private ViewOwner {
 public:
  static constexpr int kParameterCount = Product::kParameterCount;
  static constexpr int kProgramCount = sorvane::kProgramCount;
  static_assert(kParameterCount + 1 <= 64, "the changes to report are one 64-bit set");
  static constexpr int kProgramBit = kParameterCount;
  static constexpr char kSelectionMagic[4] = {'S', 'v', 'P', 'r'};

  // Made with one reference, the caller's; null when memory runs out.
  static Plugin* create() {
    try {
      return new Plugin();
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
  }

  Sorvane<Product>& effect() { return *effect_; }

  // ---- FUnknown
  tresult SORVANE_VST3_API queryInterface(const TUID iid, void** obj) override {
    if (!obj) return kInvalidArgument;
    *obj = nullptr;
    if (sameUid(iid, FUnknown::iid) || sameUid(iid, IPluginBase::iid) || sameUid(iid, IComponent::iid))
      *obj = static_cast<IComponent*>(static_cast<ComponentStates*>(this));
    else if (sameUid(iid, IAudioProcessor::iid))
      *obj = static_cast<IAudioProcessor*>(this);
    else if (sameUid(iid, IEditController::iid))
      *obj = static_cast<IEditController*>(static_cast<ControllerStates*>(this));
    else if (sameUid(iid, IUnitInfo::iid))
      *obj = static_cast<IUnitInfo*>(this);
    else
      return kNoInterface;
    addRef();
    return kResultOk;
  }
  uint32 SORVANE_VST3_API addRef() override { return ++references_; }
  uint32 SORVANE_VST3_API release() override {
    const uint32 left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // ---- IPluginBase
  tresult SORVANE_VST3_API initialize(FUnknown*) override { return kResultOk; }
  tresult SORVANE_VST3_API terminate() override {
    setComponentHandler(nullptr);
    return kResultOk;
  }

  // ---- IComponent
  // This object is its own controller: there is no other class to make.
  tresult SORVANE_VST3_API getControllerClassId(TUID) override { return kResultFalse; }
  tresult SORVANE_VST3_API setIoMode(IoMode) override { return kResultOk; }
  int32 SORVANE_VST3_API getBusCount(MediaType type, BusDirection) override { return type == kAudio ? 1 : 0; }
  tresult SORVANE_VST3_API getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus) override {
    if (type != kAudio || index != 0 || (dir != kInput && dir != kOutput)) return kInvalidArgument;
    bus.mediaType = kAudio;
    bus.direction = dir;
    bus.channelCount = 2;
    copyUtf16(bus.name, dir == kInput ? "Stereo In" : "Stereo Out");
    bus.busType = kMain;
    bus.flags = BusInfo::kDefaultActive;
    return kResultOk;
  }
  tresult SORVANE_VST3_API getRoutingInfo(RoutingInfo&, RoutingInfo&) override { return kNotImplemented; }
  tresult SORVANE_VST3_API activateBus(MediaType type, BusDirection dir, int32 index, TBool) override {
    return type == kAudio && index == 0 && (dir == kInput || dir == kOutput) ? kResultOk : kInvalidArgument;
  }
  // A VST host sets the rate and block size while suspended and then
  // switches the mains on; setupProcessing comes while inactive, as those do.
  tresult SORVANE_VST3_API setActive(TBool state) override {
    dispatch(effMainsChanged, 0, state ? 1 : 0);
    return kResultOk;
  }
  // The bank chunk of effGetChunk / effSetChunk, byte for byte. A stream of
  // any other length (short, another product's bank, a huge one) is refused
  // with nothing changed: at most one byte more than a bank is ever read.
  tresult setBank(IBStream* state) override {
    if (!state) return kInvalidArgument;
    std::vector<unsigned char> bytes;
    try {
      bytes.resize(sizeof(typename Sorvane<Product>::Bank) + 1);
    } catch (const std::bad_alloc&) {
      return kOutOfMemory;
    }
    std::size_t got = 0;
    while (got < bytes.size()) {
      int32 read = 0;
      const tresult result = state->read(bytes.data() + got, static_cast<int32>(bytes.size() - got), &read);
      if (result != kResultOk || read <= 0) break;
      got += static_cast<std::size_t>(read);
    }
    if (got != sizeof(typename Sorvane<Product>::Bank)) return kResultFalse;
    return dispatch(effSetChunk, 0, static_cast<VstIntPtr>(got), bytes.data()) ? kResultOk : kResultFalse;
  }
  tresult getBank(IBStream* state) override {
    if (!state) return kInvalidArgument;
    void* chunk = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, 0, 0, &chunk);
    if (!chunk || size <= 0) return kInternalError;
    int32 written = 0;
    const tresult result = state->write(chunk, static_cast<int32>(size), &written);
    return result == kResultOk && written == size ? kResultOk : kResultFalse;
  }

  // ---- IAudioProcessor
  tresult SORVANE_VST3_API setBusArrangements(SpeakerArrangement* inputs, int32 numIns, SpeakerArrangement* outputs,
                                              int32 numOuts) override {
    const bool stereo = numIns == 1 && numOuts == 1 && inputs && outputs && inputs[0] == speaker::kStereo &&
                        outputs[0] == speaker::kStereo;
    return stereo ? kResultTrue : kResultFalse;
  }
  tresult SORVANE_VST3_API getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arrangement) override {
    if (index != 0 || (dir != kInput && dir != kOutput)) return kInvalidArgument;
    arrangement = speaker::kStereo;
    return kResultOk;
  }
  tresult SORVANE_VST3_API canProcessSampleSize(int32 size) override {
    return size == kSample32 || size == kSample64 ? kResultTrue : kResultFalse;
  }
  uint32 SORVANE_VST3_API getLatencySamples() override { return 0; }
  tresult SORVANE_VST3_API setupProcessing(ProcessSetup& setup) override {
    if (setup.symbolicSampleSize != kSample32 && setup.symbolicSampleSize != kSample64) return kResultFalse;
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(setup.sampleRate));
    dispatch(effSetBlockSize, 0, setup.maxSamplesPerBlock);
    return kResultOk;
  }
  tresult SORVANE_VST3_API setProcessing(TBool) override { return kResultOk; }
  tresult SORVANE_VST3_API process(ProcessData& data) override {
    applyInputChanges(data.inputParameterChanges);
    reportChanges(data.outputParameterChanges);
    if (data.numSamples <= 0 || data.numOutputs < 1 || !data.outputs) return kResultOk;
    AudioBusBuffers& out = data.outputs[0];
    if (data.numInputs < 1 || !data.inputs) return kInvalidArgument;
    AudioBusBuffers& in = data.inputs[0];
    if (in.numChannels < 2 || out.numChannels < 2) return kInvalidArgument;
    bool silent = false;
    if (data.symbolicSampleSize == kSample64) {
      if (!buffersPresent(in.channelBuffers64, out.channelBuffers64)) return kInvalidArgument;
      effect_->processDoubleReplacing(in.channelBuffers64, out.channelBuffers64, data.numSamples);
      silent = (in.silenceFlags & 3u) == 3u && silenceIn(out.channelBuffers64, data.numSamples);
    } else if (data.symbolicSampleSize == kSample32) {
      if (!buffersPresent(in.channelBuffers32, out.channelBuffers32)) return kInvalidArgument;
      effect_->processReplacing(in.channelBuffers32, out.channelBuffers32, data.numSamples);
      silent = (in.silenceFlags & 3u) == 3u && silenceIn(out.channelBuffers32, data.numSamples);
    } else {
      return kInvalidArgument;
    }
    // Only a silent input can leave the output silent: the filters ring on
    // after it, so the output itself is looked at, and only then.
    out.silenceFlags = silent ? 3u : 0u;
    return kResultOk;
  }
  uint32 SORVANE_VST3_API getTailSamples() override { return kNoTail; }

  // ---- IEditController
  // The component's state is this object's own: nothing more to take.
  tresult SORVANE_VST3_API setComponentState(IBStream* state) override { return state ? kResultOk : kInvalidArgument; }
  // Anything but a selection record of a program there is is refused, with
  // the program left as it was.
  tresult setSelection(IBStream* state) override {
    if (!state) return kInvalidArgument;
    SelectionRecord record = {};
    int32 read = 0;
    if (state->read(&record, sizeof record, &read) != kResultOk || read != static_cast<int32>(sizeof record) ||
        std::memcmp(record.magic, kSelectionMagic, sizeof record.magic) != 0 || record.program < 0 ||
        record.program >= kProgramCount)
      return kResultFalse;
    loadProgram(record.program);
    return kResultOk;
  }
  tresult getSelection(IBStream* state) override {
    if (!state) return kInvalidArgument;
    SelectionRecord record = {};
    std::memcpy(record.magic, kSelectionMagic, sizeof record.magic);
    record.program = effect_->getProgram();
    int32 written = 0;
    const tresult result = state->write(&record, sizeof record, &written);
    return result == kResultOk && written == static_cast<int32>(sizeof record) ? kResultOk : kResultFalse;
  }

  int32 SORVANE_VST3_API getParameterCount() override { return kParameterCount + 1; }
  tresult SORVANE_VST3_API getParameterInfo(int32 index, ParameterInfo& info) override {
    if (index < 0 || index > kParameterCount) return kInvalidArgument;
    std::memset(&info, 0, sizeof info);
    info.unitId = kRootUnitId;
    if (index == kParameterCount) {
      info.id = kProgramParameterId;
      copyUtf16(info.title, "Program");
      copyUtf16(info.shortTitle, "Program");
      info.stepCount = kProgramCount - 1;
      info.flags = ParameterInfo::kCanAutomate | ParameterInfo::kIsList | ParameterInfo::kIsProgramChange;
      return kResultOk;
    }
    const ParameterUnits units = unitsOf<Product>();
    info.id = static_cast<ParamID>(index);
    copyUtf16(info.title, Product::kParameters[index].name);
    copyUtf16(info.shortTitle, Product::kParameters[index].name);
    copyUtf16(info.units, unitSymbol(units.unit(index)));
    const int positions = units.positionCount(index);
    info.stepCount = positions > 1 ? positions - 1 : 0;
    info.defaultNormalizedValue = defaults_[index];
    info.flags = ParameterInfo::kCanAutomate;
    if (index == Product::kOnOffIndex) info.flags |= ParameterInfo::kIsBypass;
    return kResultOk;
  }
  tresult SORVANE_VST3_API getParamStringByValue(ParamID id, ParamValue value, String128 string) override {
    if (!string) return kInvalidArgument;
    if (id == kProgramParameterId) {
      char name[kVstMaxProgNameLen + 1] = {};
      if (!effect_->getProgramNameIndexed(0, programOf(value), name)) return kInvalidArgument;
      copyUtf16({string, 128}, name);
      return kResultOk;
    }
    char text[kValueTextCapacity];
    if (id >= static_cast<ParamID>(kParameterCount) ||
        !unitsOf<Product>().format(static_cast<int>(id), static_cast<float>(clampUnit(value)), text))
      return kInvalidArgument;
    copyUtf16({string, 128}, text);
    return kResultOk;
  }
  tresult SORVANE_VST3_API getParamValueByString(ParamID id, TChar* string, ParamValue& value) override {
    if (!string) return kInvalidArgument;
    const std::string text = toUtf8(string, 128);
    if (id == kProgramParameterId) {
      for (int p = 0; p < kProgramCount; ++p) {
        char name[kVstMaxProgNameLen + 1] = {};
        if (effect_->getProgramNameIndexed(0, p, name) && text == name) {
          value = static_cast<ParamValue>(p) / (kProgramCount - 1);
          return kResultOk;
        }
      }
      return kResultFalse;
    }
    if (id >= static_cast<ParamID>(kParameterCount)) return kInvalidArgument;
    const auto parsed = unitsOf<Product>().parse(static_cast<int>(id), text);
    if (!parsed) return kResultFalse;
    value = *parsed;
    return kResultOk;
  }
  // The plain value is the normalised one: the host shows the texts above.
  ParamValue SORVANE_VST3_API normalizedParamToPlain(ParamID, ParamValue value) override { return value; }
  ParamValue SORVANE_VST3_API plainParamToNormalized(ParamID, ParamValue value) override { return value; }
  ParamValue SORVANE_VST3_API getParamNormalized(ParamID id) override {
    if (id == kProgramParameterId) return static_cast<ParamValue>(effect_->getProgram()) / (kProgramCount - 1);
    return id < static_cast<ParamID>(kParameterCount) ? effect_->getParameter(static_cast<VstInt32>(id)) : 0.0;
  }
  tresult SORVANE_VST3_API setParamNormalized(ParamID id, ParamValue value) override {
    if (id == kProgramParameterId) {
      loadProgram(programOf(value));
      return kResultOk;
    }
    if (id >= static_cast<ParamID>(kParameterCount)) return kInvalidArgument;
    setEffectParameter(static_cast<int>(id), value);
    return kResultOk;
  }
  tresult SORVANE_VST3_API setComponentHandler(IComponentHandler* handler) override {
    if (handler == handler_) return kResultOk;
    if (handler) handler->addRef();
    if (handler_) handler_->release();
    handler_ = handler;
    return kResultOk;
  }
  // The one view, "editor", while no other is open.
  IPlugView* SORVANE_VST3_API createView(FIDString name) override {
    if (!name || std::strcmp(name, "editor") != 0 || !viewEditor() || viewEditor()->isOpen()) return nullptr;
    try {
      return new View(*this);
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
  }

  // ---- IUnitInfo
  int32 SORVANE_VST3_API getUnitCount() override { return 1; }
  tresult SORVANE_VST3_API getUnitInfo(int32 index, UnitInfo& info) override {
    if (index != 0) return kInvalidArgument;
    info.id = kRootUnitId;
    info.parentUnitId = kNoParentUnitId;
    copyUtf16(info.name, "Root");
    info.programListId = kProgramListId;
    return kResultOk;
  }
  int32 SORVANE_VST3_API getProgramListCount() override { return 1; }
  tresult SORVANE_VST3_API getProgramListInfo(int32 index, ProgramListInfo& info) override {
    if (index != 0) return kInvalidArgument;
    info.id = kProgramListId;
    copyUtf16(info.name, "Programs");
    info.programCount = kProgramCount;
    return kResultOk;
  }
  tresult SORVANE_VST3_API getProgramName(ProgramListID list, int32 program, String128 name) override {
    char text[kVstMaxProgNameLen + 1] = {};
    if (list != kProgramListId || !name || !effect_->getProgramNameIndexed(0, program, text)) return kInvalidArgument;
    copyUtf16({name, 128}, text);
    return kResultOk;
  }
  tresult SORVANE_VST3_API getProgramInfo(ProgramListID, int32, CString, String128) override { return kResultFalse; }
  tresult SORVANE_VST3_API hasProgramPitchNames(ProgramListID, int32) override { return kResultFalse; }
  tresult SORVANE_VST3_API getProgramPitchName(ProgramListID, int32, int16, String128) override { return kResultFalse; }
  UnitID SORVANE_VST3_API getSelectedUnit() override { return kRootUnitId; }
  tresult SORVANE_VST3_API selectUnit(UnitID unit) override { return unit == kRootUnitId ? kResultOk : kResultFalse; }
  tresult SORVANE_VST3_API getUnitByBus(MediaType, BusDirection, int32, int32, UnitID& unit) override {
    unit = kRootUnitId;
    return kResultOk;
  }
  tresult SORVANE_VST3_API setUnitProgramData(int32, int32, IBStream*) override { return kNotImplemented; }

 private:
  Plugin() : effect_(std::make_unique<Sorvane<Product>>(answerAsHost, EditorOf<Product>::make)) {
    effect_->getAeffect()->user = this;
    dispatch(effOpen);
    for (int i = 0; i < kParameterCount; ++i) defaults_[i] = effect_->getParameter(i);
    ++livePlugins;
  }
  ~Plugin() {
    setComponentHandler(nullptr);
    dispatch(effClose);
    --livePlugins;
  }

  editor::AEffGUIEditor* viewEditor() override { return dynamic_cast<editor::AEffGUIEditor*>(effect_->getEditor()); }
  void viewAttached(View* view) override { view_ = view; }
  FUnknown* viewOwnerObject() override { return static_cast<IComponent*>(static_cast<ComponentStates*>(this)); }

  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f) {
    return effect_->dispatcher(opcode, index, value, ptr, opt);
  }

  static double clampUnit(double value) { return std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0); }
  static int programOf(double value) { return static_cast<int>(std::lround(clampUnit(value) * (kProgramCount - 1))); }

  // A value the effect already plays is left alone, so its exact value (and
  // the chunk bytes) stay as they are.
  void setEffectParameter(int index, double value) {
    const float next = static_cast<float>(clampUnit(value));
    if (effect_->getParameter(index) != next) effect_->setParameter(index, next);
  }

  void loadProgram(int program) {
    float before[kParameterCount];
    for (int i = 0; i < kParameterCount; ++i) before[i] = effect_->getParameter(i);
    const int was = effect_->getProgram();
    dispatch(effSetProgram, 0, program);
    std::uint64_t changed = effect_->getProgram() != was ? std::uint64_t{1} << kProgramBit : 0;
    for (int i = 0; i < kParameterCount; ++i) {
      const float now = effect_->getParameter(i);
      if (std::memcmp(&before[i], &now, sizeof now) != 0) changed |= std::uint64_t{1} << i;
    }
    toReport_.fetch_or(changed, std::memory_order_release);
  }

  // Each queue's last value, applied at the block's start: the effect's
  // own crossfades smooth the step over its update period, as they do for
  // a VST 2.4 host's automation between blocks. The program change is the
  // user-interface thread's (setParamNormalized): loading one touches the
  // editor and the program store, which the audio thread must not.
  void applyInputChanges(IParameterChanges* changes) {
    if (!changes) return;
    const int32 count = changes->getParameterCount();
    for (int32 q = 0; q < count; ++q) {
      IParamValueQueue* queue = changes->getParameterData(q);
      if (!queue) continue;
      const ParamID id = queue->getParameterId();
      const int32 points = queue->getPointCount();
      if (id >= static_cast<ParamID>(kParameterCount) || points <= 0) continue;
      int32 offset = 0;
      ParamValue value = 0.0;
      if (queue->getPoint(points - 1, offset, value) == kResultOk) setEffectParameter(static_cast<int>(id), value);
    }
  }

  void reportChanges(IParameterChanges* changes) {
    if (!changes || toReport_.load(std::memory_order_relaxed) == 0) return;
    const std::uint64_t bits = toReport_.exchange(0, std::memory_order_acquire);
    for (int bit = 0; bit <= kProgramBit; ++bit) {
      if (!(bits & (std::uint64_t{1} << bit))) continue;
      const ParamID id = bit == kProgramBit ? kProgramParameterId : static_cast<ParamID>(bit);
      int32 index = 0;
      if (IParamValueQueue* queue = changes->addParameterData(id, index))
        queue->addPoint(0, getParamNormalized(id), index);
    }
  }

  template <class Sample>
  static bool buffersPresent(Sample** in, Sample** out) {
    return in && out && in[0] && in[1] && out[0] && out[1];
  }
  // Whether both channels are silence: nothing above kSilenceFloor. The
  // filters' denormal guard leaves a constant near -2e-20 where silence
  // goes through them, so such a block is made exactly zero, as a host that
  // trusts the flags takes it.
  static constexpr double kSilenceFloor = 1e-15;  // -300 dBFS
  template <class Sample>
  static bool silenceIn(Sample** channels, int32 frames) {
    for (int c = 0; c < 2; ++c)
      for (int32 i = 0; i < frames; ++i)
        if (!(std::fabs(channels[c][i]) < kSilenceFloor)) return false;
    for (int c = 0; c < 2; ++c) std::fill(channels[c], channels[c] + frames, Sample{0});
    return true;
  }

  // The host side of the dispatch frame: the host's version, and the
  // editor's gestures, which go on to the host's component handler. Only
  // the editor calls these, on the user-interface thread. After the
  // editor changed what the host cannot see (a program, a side, a preset
  // file), every value goes back with the next block.
  static VstIntPtr VSTCALLBACK answerAsHost(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void*,
                                            float opt) {
    if (opcode == audioMasterVersion) return 2400;
    auto* self = effect ? static_cast<Plugin*>(effect->user) : nullptr;
    if (!self) return 0;
    IComponentHandler* handler = self->handler_;
    switch (opcode) {
      case audioMasterAutomate:
        if (handler) handler->performEdit(static_cast<ParamID>(index), opt);
        return 0;
      case audioMasterBeginEdit:
        return handler && handler->beginEdit(static_cast<ParamID>(index)) == kResultOk ? 1 : 0;
      case audioMasterEndEdit:
        return handler && handler->endEdit(static_cast<ParamID>(index)) == kResultOk ? 1 : 0;
      case audioMasterSizeWindow:
        return self->view_ && self->view_->resizeTo(index, static_cast<int>(value)) ? 1 : 0;
      case audioMasterUpdateDisplay:
        self->toReport_.fetch_or((std::uint64_t{2} << kProgramBit) - 1, std::memory_order_release);
        return 1;
      default:
        return 0;
    }
  }

  std::atomic<uint32> references_{1};
  std::unique_ptr<Sorvane<Product>> effect_;
  float defaults_[kParameterCount] = {};
  IComponentHandler* handler_ = nullptr;  // held, on the user-interface thread
  View* view_ = nullptr;                  // the attached view, on the user-interface thread
  std::atomic<std::uint64_t> toReport_{0};
};

}  // namespace sorvane::vst3
