// Hosts a VST3 bundle through the VST 2.4 effect record that every command
// drives. The module is entered once per library (ModuleEntry / InitDll)
// and left when the library is let go; each effect record made is one
// instance of the bundle's first audio effect class, its component and edit
// controller (the same object when the component answers IEditController,
// else the class the component names), initialised with a small host
// application and driven as a VST3 host drives it:
//
//   effSetSampleRate, effSetBlockSize  kept for setupProcessing
//   effMainsChanged 1 / 0              setupProcessing and setActive(true) / setActive(false)
//   effStartProcess / effStopProcess   setProcessing
//   setParameter                       setParamNormalized, and the value in the
//                                      next block's input parameter changes
//   processReplacing, ...Double        process with 32- or 64-bit samples
//   effGetChunk / effSetChunk          the component's getState / setState (banks only)
//   programs                           the program-change parameter and the program list
//
// The record's parameters are the controller's, less the program change.
// Thread contract: as the record's (plugin_host.h): setParameter may come
// from another thread while a block runs, so the values waiting for the next
// block are atomics, one per parameter.
#include "tools/sorvane-host/vst3_bridge.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>

#include "formats/vst3/text.h"
#include "tools/sorvane-host/plugin_host.h"

#if !defined(_WIN32)
#include <poll.h>
#endif

namespace sorvane::host {

using namespace sorvane::vst3;

tresult MemoryStream::queryInterface(const TUID iid, void** obj) {
  if (!obj) return kInvalidArgument;
  if (sameUid(iid, FUnknown::iid) || sameUid(iid, IBStream::iid)) {
    *obj = this;
    return kResultOk;
  }
  *obj = nullptr;
  return kNoInterface;
}

tresult MemoryStream::read(void* buffer, int32 numBytes, int32* numBytesRead) {
  if (numBytesRead) *numBytesRead = 0;
  if (!buffer || numBytes < 0) return kInvalidArgument;
  const std::size_t count = std::min(static_cast<std::size_t>(numBytes), bytes_.size() - position_);
  if (count) std::memcpy(buffer, bytes_.data() + position_, count);
  position_ += count;
  if (numBytesRead) *numBytesRead = static_cast<int32>(count);
  return kResultOk;
}

tresult MemoryStream::write(void* buffer, int32 numBytes, int32* numBytesWritten) {
  if (numBytesWritten) *numBytesWritten = 0;
  if (!buffer || numBytes < 0) return kInvalidArgument;
  const auto* bytes = static_cast<const std::uint8_t*>(buffer);
  try {
    if (bytes_.size() < position_ + static_cast<std::size_t>(numBytes)) bytes_.resize(position_ + numBytes);
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
  std::copy(bytes, bytes + numBytes, bytes_.begin() + static_cast<std::ptrdiff_t>(position_));
  position_ += static_cast<std::size_t>(numBytes);
  if (numBytesWritten) *numBytesWritten = numBytes;
  return kResultOk;
}

tresult MemoryStream::seek(int64 pos, int32 mode, int64* result) {
  const int64 base = mode == kIBSeekSet   ? 0
                     : mode == kIBSeekCur ? static_cast<int64>(position_)
                     : mode == kIBSeekEnd ? static_cast<int64>(bytes_.size())
                                          : -1;
  if (base < 0 || base + pos < 0 || base + pos > static_cast<int64>(bytes_.size())) return kInvalidArgument;
  position_ = static_cast<std::size_t>(base + pos);
  if (result) *result = static_cast<int64>(position_);
  return kResultOk;
}

tresult MemoryStream::tell(int64* pos) {
  if (!pos) return kInvalidArgument;
  *pos = static_cast<int64>(position_);
  return kResultOk;
}

std::string vst3BundleBinary(const std::string& bundle) {
  const std::filesystem::path path(bundle);
  const std::string name = path.stem().string();
#if defined(_WIN32)
  return (path / "Contents" / "x86_64-win" / (name + ".vst3")).string();
#else
  return (path / "Contents" / "x86_64-linux" / (name + ".so")).string();
#endif
}

namespace {

constexpr std::size_t kParameterNameMax = 15;
#if defined(_WIN32)
constexpr const char* kPlatformType = kPlatformTypeHWND;
#else
constexpr const char* kPlatformType = kPlatformTypeX11EmbedWindowID;
#endif
// effVendorSpecific's index and value for the host's scale factor ('PreS', 'AeCs').
constexpr VstInt32 kScaleFactorIndex = 0x50726553;
constexpr VstIntPtr kScaleFactorValue = 0x41654373;

const char* iidOf(const Uid& uid) { return reinterpret_cast<const char*>(uid.data()); }

// The loaded module: its factory, and its exit called once no instance and
// no library user is left.
struct Module {
  IPluginFactory* factory = nullptr;
  bool (*exit)() = nullptr;
  TUID classId = {};
  std::string className;
  VstInt32 version = 0;  // "1.2.3" as 1230, as VST 2.4 plug-ins number theirs
  ~Module() {
    if (factory) factory->release();
    if (exit) exit();
  }
};

// The host application an instance is initialised with: its name only.
class HostApplication final : public IHostApplication {
 public:
  tresult SORVANE_VST3_API queryInterface(const TUID iid, void** obj) override {
    if (!obj) return kInvalidArgument;
    *obj = sameUid(iid, FUnknown::iid) || sameUid(iid, IHostApplication::iid) ? this : nullptr;
    return *obj ? kResultOk : kNoInterface;
  }
  uint32 SORVANE_VST3_API addRef() override { return 1; }
  uint32 SORVANE_VST3_API release() override { return 1; }
  tresult SORVANE_VST3_API getName(String128 name) override {
    copyUtf16({name, 128}, "sorvane-host");
    return kResultOk;
  }
  tresult SORVANE_VST3_API createInstance(TUID, TUID, void** obj) override {
    if (obj) *obj = nullptr;
    return kResultFalse;
  }
};

// The frame a view is given: its resize requests go to the record's host
// as audioMasterSizeWindow, and on Linux it is the run loop too, whose
// timers and file descriptors run from the record's effEditIdle (the host's
// idle), on the host's user-interface thread.
class ViewFrame final : public IPlugFrame, public IRunLoop {
 public:
  using SizeRequest = bool (*)(void* context, int width, int height);
  ViewFrame(SizeRequest request, void* context) : request_(request), context_(context) {}

  tresult SORVANE_VST3_API queryInterface(const TUID iid, void** obj) override {
    if (!obj) return kInvalidArgument;
    *obj = nullptr;
    if (sameUid(iid, FUnknown::iid) || sameUid(iid, IPlugFrame::iid)) *obj = static_cast<IPlugFrame*>(this);
#if !defined(_WIN32)
    if (sameUid(iid, IRunLoop::iid)) *obj = static_cast<IRunLoop*>(this);
#endif
    return *obj ? kResultOk : kNoInterface;
  }
  uint32 SORVANE_VST3_API addRef() override { return 1; }
  uint32 SORVANE_VST3_API release() override { return 1; }

  tresult SORVANE_VST3_API resizeView(IPlugView* view, ViewRect* size) override {
    if (!view || !size || !request_(context_, size->right - size->left, size->bottom - size->top)) return kResultFalse;
    view->onSize(size);
    return kResultOk;
  }

  tresult SORVANE_VST3_API registerEventHandler(IEventHandler* handler, int fd) override {
    if (!handler || fd < 0) return kInvalidArgument;
    handlers_.push_back({handler, fd});
    return kResultOk;
  }
  tresult SORVANE_VST3_API unregisterEventHandler(IEventHandler* handler) override {
    std::erase_if(handlers_, [handler](const Watch& w) { return w.handler == handler; });
    return kResultOk;
  }
  tresult SORVANE_VST3_API registerTimer(ITimerHandler* handler, uint64 milliseconds) override {
    if (!handler || milliseconds == 0) return kInvalidArgument;
    timers_.push_back({handler, milliseconds, std::chrono::steady_clock::now()});
    return kResultOk;
  }
  tresult SORVANE_VST3_API unregisterTimer(ITimerHandler* handler) override {
    std::erase_if(timers_, [handler](const Timer& t) { return t.handler == handler; });
    return kResultOk;
  }

  // Calls each handler whose descriptor has input and each timer that is
  // due. A handler may unregister itself or others meanwhile.
  void run() {
#if !defined(_WIN32)
    for (std::size_t i = 0; i < handlers_.size(); ++i) {
      pollfd watch{handlers_[i].fd, POLLIN, 0};
      if (poll(&watch, 1, 0) > 0) handlers_[i].handler->onFDIsSet(handlers_[i].fd);
    }
#endif
    const auto now = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < timers_.size(); ++i) {
      Timer& timer = timers_[i];
      if (now - timer.last < std::chrono::milliseconds(timer.interval)) continue;
      timer.last = now;
      timer.handler->onTimer();
    }
  }
  bool empty() const { return handlers_.empty() && timers_.empty(); }

 private:
  struct Watch {
    IEventHandler* handler;
    int fd;
  };
  struct Timer {
    ITimerHandler* handler;
    uint64 interval;
    std::chrono::steady_clock::time_point last;
  };
  SizeRequest request_;
  void* context_;
  std::vector<Watch> handlers_;
  std::vector<Timer> timers_;
};

// One parameter's changes in a block: a single point at the block's start.
class ValueQueue final : public IParamValueQueue {
 public:
  tresult SORVANE_VST3_API queryInterface(const TUID iid, void** obj) override {
    if (!obj) return kInvalidArgument;
    *obj = sameUid(iid, FUnknown::iid) || sameUid(iid, IParamValueQueue::iid) ? this : nullptr;
    return *obj ? kResultOk : kNoInterface;
  }
  uint32 SORVANE_VST3_API addRef() override { return 1; }
  uint32 SORVANE_VST3_API release() override { return 1; }
  ParamID SORVANE_VST3_API getParameterId() override { return id; }
  int32 SORVANE_VST3_API getPointCount() override { return points; }
  tresult SORVANE_VST3_API getPoint(int32 index, int32& sampleOffset, ParamValue& pointValue) override {
    if (index != 0 || points == 0) return kInvalidArgument;
    sampleOffset = offset;
    pointValue = value;
    return kResultOk;
  }
  // A later point replaces the earlier one: the record's host sees a value per block.
  tresult SORVANE_VST3_API addPoint(int32 sampleOffset, ParamValue pointValue, int32& index) override {
    offset = sampleOffset;
    value = pointValue;
    points = 1;
    index = 0;
    return kResultOk;
  }

  ParamID id = 0;
  int32 points = 0;
  int32 offset = 0;
  ParamValue value = 0.0;
};

// A block's parameter changes, in room made before any block runs.
class ChangeList final : public IParameterChanges {
 public:
  explicit ChangeList(std::size_t capacity) : queues_(capacity) {}
  tresult SORVANE_VST3_API queryInterface(const TUID iid, void** obj) override {
    if (!obj) return kInvalidArgument;
    *obj = sameUid(iid, FUnknown::iid) || sameUid(iid, IParameterChanges::iid) ? this : nullptr;
    return *obj ? kResultOk : kNoInterface;
  }
  uint32 SORVANE_VST3_API addRef() override { return 1; }
  uint32 SORVANE_VST3_API release() override { return 1; }
  int32 SORVANE_VST3_API getParameterCount() override { return static_cast<int32>(used_); }
  IParamValueQueue* SORVANE_VST3_API getParameterData(int32 index) override {
    return index >= 0 && static_cast<std::size_t>(index) < used_ ? &queues_[static_cast<std::size_t>(index)] : nullptr;
  }
  IParamValueQueue* SORVANE_VST3_API addParameterData(const ParamID& id, int32& index) override {
    for (std::size_t i = 0; i < used_; ++i)
      if (queues_[i].id == id) {
        index = static_cast<int32>(i);
        return &queues_[i];
      }
    if (used_ == queues_.size()) return nullptr;
    ValueQueue& queue = queues_[used_];
    queue.id = id;
    queue.points = 0;
    index = static_cast<int32>(used_++);
    return &queue;
  }
  void clear() { used_ = 0; }

 private:
  std::vector<ValueQueue> queues_;
  std::size_t used_ = 0;
};

class Bridge final : public IComponentHandler {
 public:
  static AEffect* make(std::shared_ptr<Module> module, audioMasterCallback host) {
    Bridge* bridge = nullptr;
    try {
      bridge = new Bridge(std::move(module), host);
      if (bridge->start()) return &bridge->effect_;
    } catch (const std::bad_alloc&) {
    }
    delete bridge;
    return nullptr;
  }

  tresult SORVANE_VST3_API queryInterface(const TUID iid, void** obj) override {
    if (!obj) return kInvalidArgument;
    *obj = sameUid(iid, FUnknown::iid) || sameUid(iid, IComponentHandler::iid) ? this : nullptr;
    return *obj ? kResultOk : kNoInterface;
  }
  uint32 SORVANE_VST3_API addRef() override { return 1; }
  uint32 SORVANE_VST3_API release() override { return 1; }
  // The controller's gestures become the record's host calls.
  tresult SORVANE_VST3_API beginEdit(ParamID id) override {
    const int index = indexOf(id);
    if (index >= 0) callHost(audioMasterBeginEdit, index);
    return kResultOk;
  }
  tresult SORVANE_VST3_API performEdit(ParamID id, ParamValue value) override {
    const int index = indexOf(id);
    if (index >= 0) callHost(audioMasterAutomate, index, 0, nullptr, static_cast<float>(value));
    return kResultOk;
  }
  tresult SORVANE_VST3_API endEdit(ParamID id) override {
    const int index = indexOf(id);
    if (index >= 0) callHost(audioMasterEndEdit, index);
    return kResultOk;
  }
  tresult SORVANE_VST3_API restartComponent(int32 flags) override {
    if (flags & kParamValuesChanged) callHost(audioMasterUpdateDisplay);
    if (flags & kLatencyChanged) {
      effect_.initialDelay = static_cast<VstInt32>(processor_->getLatencySamples());
      callHost(audioMasterIOChanged);
    }
    return kResultOk;
  }

 private:
  Bridge(std::shared_ptr<Module> module, audioMasterCallback host)
      : module_(std::move(module)), host_(host), inputChanges_(0), outputChanges_(0), frame_(askHostToResize, this) {
    std::memset(&effect_, 0, sizeof effect_);
  }
  ~Bridge() {
    closeView();
    if (active_) component_->setActive(0);
    if (controller_) {
      controller_->setComponentHandler(nullptr);
      if (separateController_) controller_->terminate();
      controller_->release();
    }
    if (units_) units_->release();
    if (processor_) processor_->release();
    if (component_) {
      component_->terminate();
      component_->release();
    }
  }

  static Bridge* of(AEffect* effect) { return static_cast<Bridge*>(effect->object); }

  bool start() {
    if (module_->factory->createInstance(module_->classId, iidOf(IComponent::iid),
                                         reinterpret_cast<void**>(&component_)) != kResultOk ||
        !component_)
      return false;
    if (component_->initialize(&application_) != kResultOk) {
      component_->release();
      component_ = nullptr;
      return false;
    }
    if (component_->queryInterface(iidOf(IAudioProcessor::iid), reinterpret_cast<void**>(&processor_)) != kResultOk)
      return false;
    if (component_->queryInterface(iidOf(IEditController::iid), reinterpret_cast<void**>(&controller_)) != kResultOk) {
      controller_ = nullptr;
      TUID controllerId = {};
      if (component_->getControllerClassId(controllerId) != kResultOk ||
          module_->factory->createInstance(controllerId, iidOf(IEditController::iid),
                                           reinterpret_cast<void**>(&controller_)) != kResultOk ||
          !controller_)
        return false;
      separateController_ = true;
      if (controller_->initialize(&application_) != kResultOk) return false;
      MemoryStream state;
      if (component_->getState(&state) == kResultOk) {
        state.seek(0, kIBSeekSet, nullptr);
        controller_->setComponentState(&state);
      }
    }
    controller_->setComponentHandler(this);
    if (controller_->queryInterface(iidOf(IUnitInfo::iid), reinterpret_cast<void**>(&units_)) != kResultOk)
      units_ = nullptr;

    SpeakerArrangement in = speaker::kStereo;
    SpeakerArrangement out = speaker::kStereo;
    processor_->setBusArrangements(&in, 1, &out, 1);
    component_->activateBus(kAudio, kInput, 0, 1);
    component_->activateBus(kAudio, kOutput, 0, 1);

    const int32 count = controller_->getParameterCount();
    for (int32 i = 0; i < count; ++i) {
      ParameterInfo info = {};
      if (controller_->getParameterInfo(i, info) != kResultOk) continue;
      if (info.flags & ParameterInfo::kIsProgramChange) {
        programId_ = info.id;
        hasProgramParameter_ = true;
        programSteps_ = info.stepCount;
        continue;
      }
      ids_.push_back(info.id);
      names_.push_back(toUtf8(info.title, 128));
      labels_.push_back(toUtf8(info.units, 128));
    }
    programCount_ = hasProgramParameter_ ? programSteps_ + 1 : 0;
    if (units_) {
      UnitInfo unit = {};
      ProgramListInfo list = {};
      if (units_->getUnitInfo(0, unit) == kResultOk && unit.programListId != kNoProgramListId &&
          units_->getProgramListInfo(0, list) == kResultOk) {
        programListId_ = list.id;
        if (hasProgramParameter_) programCount_ = std::min(programCount_, list.programCount);
      }
    }
    pending_ = std::make_unique<Pending[]>(ids_.size());
    inputChanges_ = ChangeList(ids_.size());
    outputChanges_ = ChangeList(ids_.size() + 1);

    BusInfo bus = {};
    effect_.magic = kEffectMagic;
    effect_.object = this;
    effect_.dispatcher = dispatchThunk;
    effect_.setParameter = setParameterThunk;
    effect_.getParameter = getParameterThunk;
    effect_.processReplacing = processThunk<float>;
    effect_.processDoubleReplacing =
        processor_->canProcessSampleSize(kSample64) == kResultTrue ? processThunk<double> : nullptr;
    effect_.numParams = static_cast<VstInt32>(ids_.size());
    effect_.numPrograms = programCount_;
    effect_.numInputs = component_->getBusInfo(kAudio, kInput, 0, bus) == kResultOk ? bus.channelCount : 0;
    effect_.numOutputs = component_->getBusInfo(kAudio, kOutput, 0, bus) == kResultOk ? bus.channelCount : 0;
    effect_.flags = effFlagsCanReplacing | effFlagsProgramChunks |
                    (effect_.processDoubleReplacing ? effFlagsCanDoubleReplacing : 0);
    if (IPlugView* view = controller_->createView("editor")) {
      effect_.flags |= effFlagsHasEditor;
      view->release();
    }
    effect_.initialDelay = static_cast<VstInt32>(processor_->getLatencySamples());
    std::memcpy(&effect_.uniqueID, module_->classId, sizeof effect_.uniqueID);
    effect_.version = 1;
    return true;
  }

  VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f) {
    return host_ ? host_(&effect_, opcode, index, value, ptr, opt) : 0;
  }
  int indexOf(ParamID id) const {
    const auto found = std::find(ids_.begin(), ids_.end(), id);
    return found == ids_.end() ? -1 : static_cast<int>(found - ids_.begin());
  }
  bool validIndex(VstInt32 index) const { return index >= 0 && static_cast<std::size_t>(index) < ids_.size(); }

  static VstIntPtr VSTCALLBACK dispatchThunk(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                             void* ptr, float opt) {
    Bridge* self = of(effect);
    if (opcode == effClose) {
      delete self;
      return 0;
    }
    return self->dispatch(opcode, index, value, ptr, opt);
  }
  static void VSTCALLBACK setParameterThunk(AEffect* effect, VstInt32 index, float value) {
    of(effect)->setParameter(index, value);
  }
  static float VSTCALLBACK getParameterThunk(AEffect* effect, VstInt32 index) {
    Bridge* self = of(effect);
    return self->validIndex(index)
               ? static_cast<float>(self->controller_->getParamNormalized(self->ids_[static_cast<std::size_t>(index)]))
               : 0.0f;
  }
  template <class Sample>
  static void VSTCALLBACK processThunk(AEffect* effect, Sample** inputs, Sample** outputs, VstInt32 frames) {
    of(effect)->process(inputs, outputs, frames);
  }

  void setParameter(VstInt32 index, float value) {
    if (!validIndex(index)) return;
    const auto i = static_cast<std::size_t>(index);
    controller_->setParamNormalized(ids_[i], value);
    pending_[i].value.store(value, std::memory_order_relaxed);
    pending_[i].waiting.store(true, std::memory_order_release);
  }

  template <class Sample>
  void process(Sample** inputs, Sample** outputs, VstInt32 frames) {
    inputChanges_.clear();
    for (std::size_t i = 0; i < ids_.size(); ++i) {
      // A plain load first: most blocks bring no change, and an exchange is a locked instruction.
      if (!pending_[i].waiting.load(std::memory_order_relaxed) ||
          !pending_[i].waiting.exchange(false, std::memory_order_acquire))
        continue;
      int32 slot = 0;
      if (IParamValueQueue* queue = inputChanges_.addParameterData(ids_[i], slot))
        queue->addPoint(0, pending_[i].value.load(std::memory_order_relaxed), slot);
    }
    outputChanges_.clear();
    AudioBusBuffers in = {};
    AudioBusBuffers out = {};
    in.numChannels = effect_.numInputs;
    out.numChannels = effect_.numOutputs;
    ProcessData data = {};
    data.processMode = kRealtime;
    if constexpr (sizeof(Sample) == sizeof(double)) {
      data.symbolicSampleSize = kSample64;
      in.channelBuffers64 = inputs;
      out.channelBuffers64 = outputs;
    } else {
      data.symbolicSampleSize = kSample32;
      in.channelBuffers32 = inputs;
      out.channelBuffers32 = outputs;
    }
    data.numSamples = frames;
    data.numInputs = 1;
    data.numOutputs = 1;
    data.inputs = &in;
    data.outputs = &out;
    data.inputParameterChanges = &inputChanges_;
    data.outputParameterChanges = &outputChanges_;
    processor_->process(data);
    // What the plug-in reports is the record's automation.
    for (int32 q = 0; q < outputChanges_.getParameterCount(); ++q) {
      IParamValueQueue* queue = outputChanges_.getParameterData(q);
      const int index = indexOf(queue->getParameterId());
      int32 offset = 0;
      ParamValue value = 0.0;
      if (index >= 0 && queue->getPoint(queue->getPointCount() - 1, offset, value) == kResultOk)
        callHost(audioMasterAutomate, index, 0, nullptr, static_cast<float>(value));
    }
  }

  void setupProcessing(int32 sampleSize) {
    ProcessSetup setup = {};
    setup.processMode = kRealtime;
    setup.symbolicSampleSize = sampleSize;
    setup.maxSamplesPerBlock = blockSize_;
    setup.sampleRate = sampleRate_;
    processor_->setupProcessing(setup);
  }

  int currentProgram() {
    if (!hasProgramParameter_ || programSteps_ <= 0) return 0;
    return static_cast<int>(std::lround(controller_->getParamNormalized(programId_) * programSteps_));
  }
  std::string programName(int program) {
    String128 name = {};
    if (!units_ || units_->getProgramName(programListId_, program, name) != kResultOk) return {};
    return toUtf8(name, 128);
  }

  static VstIntPtr copyText(void* ptr, const std::string& text, std::size_t capacity) {
    if (!ptr) return 0;
    auto* out = static_cast<char*>(ptr);
    const std::size_t length = std::min(text.size(), capacity);
    std::memcpy(out, text.data(), length);
    out[length] = 0;
    return 1;
  }

  static bool askHostToResize(void* context, int width, int height) {
    return static_cast<Bridge*>(context)->callHost(audioMasterSizeWindow, width, height) != 0;
  }

  // The view lives from the first question about the editor to its closing.
  IPlugView* view() {
    if (!view_) {
      view_ = controller_->createView("editor");
      if (view_ && scaleFactor_ > 0.0f) {
        IPlugViewContentScaleSupport* scaling = nullptr;
        if (view_->queryInterface(iidOf(IPlugViewContentScaleSupport::iid), reinterpret_cast<void**>(&scaling)) ==
                kResultOk &&
            scaling) {
          scaling->setContentScaleFactor(scaleFactor_);
          scaling->release();
        }
      }
    }
    return view_;
  }
  void closeView() {
    if (!view_) return;
    if (viewAttached_) view_->removed();
    viewAttached_ = false;
    view_->setFrame(nullptr);
    view_->release();
    view_ = nullptr;
  }

  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    switch (opcode) {
      case effEditGetRect: {
        ViewRect size = {};
        if (!ptr || !view() || view_->getSize(&size) != kResultOk) return 0;
        rect_ = {0, 0, static_cast<VstInt16>(size.bottom - size.top), static_cast<VstInt16>(size.right - size.left)};
        *static_cast<ERect**>(ptr) = &rect_;
        return 1;
      }
      case effEditOpen:
        if (!ptr || viewAttached_ || !view()) return 0;
        view_->setFrame(&frame_);
        viewAttached_ = view_->attached(ptr, kPlatformType) == kResultOk;
        if (!viewAttached_) closeView();
        return viewAttached_ ? 1 : 0;
      case effEditClose:
        closeView();
        return 0;
      case effEditIdle:
        if (viewAttached_) frame_.run();
        return 0;
      case effVendorSpecific:
        // The host's scale factor, as the VST build takes it.
        if (index == kScaleFactorIndex && value == kScaleFactorValue && opt > 0.0f) {
          scaleFactor_ = opt;
          IPlugViewContentScaleSupport* scaling = nullptr;
          if (view_ &&
              view_->queryInterface(iidOf(IPlugViewContentScaleSupport::iid), reinterpret_cast<void**>(&scaling)) ==
                  kResultOk &&
              scaling) {
            scaling->setContentScaleFactor(opt);
            scaling->release();
          }
          return 1;
        }
        return 0;
      case effCanDo:
        return ptr && std::strcmp(static_cast<const char*>(ptr), "supportsViewDpiScaling") == 0 ? 1 : 0;
      case effSetSampleRate:
        if (opt > 0.0f) sampleRate_ = opt;
        return 0;
      case effSetBlockSize:
        if (value > 0) blockSize_ = static_cast<int32>(value);
        return 0;
      case effMainsChanged:
        if (value && !active_) {
          setupProcessing(kSample32);
          active_ = component_->setActive(1) == kResultOk;
        } else if (!value && active_) {
          if (processing_) processor_->setProcessing(0);
          processing_ = false;
          component_->setActive(0);
          active_ = false;
        }
        return 0;
      case effStartProcess:
        if (active_ && !processing_) processing_ = processor_->setProcessing(1) == kResultOk;
        return 0;
      case effStopProcess:
        if (processing_) processor_->setProcessing(0);
        processing_ = false;
        return 0;
      case effSetProgram:
        if (hasProgramParameter_ && programSteps_ > 0 && value >= 0 && value < programCount_)
          controller_->setParamNormalized(programId_, static_cast<double>(value) / programSteps_);
        return 0;
      case effGetProgram:
        return currentProgram();
      case effGetProgramName:
        return copyText(ptr, programName(currentProgram()), kVstMaxProgNameLen);
      case effGetProgramNameIndexed:
        if (index < 0 || index >= programCount_) return 0;
        return copyText(ptr, programName(index), kVstMaxProgNameLen);
      case effGetParamName:
        // Hosts give 16 bytes or more, as the VST 2.4 build's whole names need.
        return validIndex(index) ? copyText(ptr, names_[static_cast<std::size_t>(index)], kParameterNameMax) : 0;
      case effGetParamLabel:
        return validIndex(index) ? copyText(ptr, labels_[static_cast<std::size_t>(index)], kVstMaxParamStrLen) : 0;
      case effGetParamDisplay: {
        if (!validIndex(index)) return 0;
        const ParamID id = ids_[static_cast<std::size_t>(index)];
        String128 text = {};
        if (controller_->getParamStringByValue(id, controller_->getParamNormalized(id), text) != kResultOk) return 0;
        return copyText(ptr, toUtf8(text, 128), kVstMaxParamStrLen);
      }
      case effString2Parameter: {
        if (!validIndex(index) || !ptr) return 0;
        String128 text = {};
        copyUtf16(text, static_cast<const char*>(ptr));
        ParamValue parsed = 0.0;
        const ParamID id = ids_[static_cast<std::size_t>(index)];
        if (controller_->getParamValueByString(id, text, parsed) != kResultOk) return 0;
        setParameter(index, static_cast<float>(parsed));
        return 1;
      }
      case effCanBeAutomated:
        return validIndex(index) ? 1 : 0;
      case effGetChunk: {
        // A VST3 component keeps one state; there is no program's own.
        if (!ptr || index != 0) return 0;
        MemoryStream state;
        if (component_->getState(&state) != kResultOk) return 0;
        chunk_ = state.bytes();
        *static_cast<void**>(ptr) = chunk_.data();
        return static_cast<VstIntPtr>(chunk_.size());
      }
      case effSetChunk: {
        if (!ptr || index != 0 || value < 0) return 0;
        const auto* bytes = static_cast<const std::uint8_t*>(ptr);
        MemoryStream state(std::vector<std::uint8_t>(bytes, bytes + value));
        if (component_->setState(&state) != kResultOk) return 0;
        if (separateController_) {
          state.seek(0, kIBSeekSet, nullptr);
          controller_->setComponentState(&state);
        }
        return 1;
      }
      case effGetEffectName:
        return copyText(ptr, module_->className, kVstMaxEffectNameLen);
      case effGetVendorString: {
        PFactoryInfo info = {};
        if (module_->factory->getFactoryInfo(&info) != kResultOk) return 0;
        info.vendor[sizeof info.vendor - 1] = 0;
        return copyText(ptr, info.vendor, kVstMaxVendorStrLen);
      }
      case effGetProductString:
        return copyText(ptr, module_->className, kVstMaxProductStrLen);
      case effGetVendorVersion:
        return module_->version;
      case effGetPlugCategory:
        return kPlugCategEffect;
      case effGetTailSize:
        return static_cast<VstIntPtr>(processor_->getTailSamples());
      case effGetVstVersion:
        return 2400;
      default:
        return 0;
    }
  }

  struct Pending {
    std::atomic<float> value{0.0f};
    std::atomic<bool> waiting{false};
  };

  AEffect effect_;
  std::shared_ptr<Module> module_;
  audioMasterCallback host_;
  HostApplication application_;
  IComponent* component_ = nullptr;
  IAudioProcessor* processor_ = nullptr;
  IEditController* controller_ = nullptr;
  IUnitInfo* units_ = nullptr;
  bool separateController_ = false;
  std::vector<ParamID> ids_;  // record index to parameter identifier
  std::vector<std::string> names_;
  std::vector<std::string> labels_;
  bool hasProgramParameter_ = false;
  ParamID programId_ = 0;
  int32 programSteps_ = 0;
  int32 programCount_ = 0;
  ProgramListID programListId_ = kNoProgramListId;
  std::unique_ptr<Pending[]> pending_;
  ChangeList inputChanges_;
  ChangeList outputChanges_;
  std::vector<std::uint8_t> chunk_;  // the last effGetChunk's bytes
  ViewFrame frame_;
  IPlugView* view_ = nullptr;
  bool viewAttached_ = false;
  float scaleFactor_ = 0.0f;  // the host's, 0 until it gives one
  ERect rect_ = {};
  double sampleRate_ = 44100.0;
  int32 blockSize_ = 1024;
  bool active_ = false;
  bool processing_ = false;
};

}  // namespace

std::unique_ptr<PluginLibrary> openVst3Bundle(const std::string& path, std::string& error) {
  const std::string binary = vst3BundleBinary(path);
  std::string reason;
  hostkit::Library library = hostkit::Library::load(binary, reason);
  if (!library.isLoaded()) {
    error = "cannot load the VST3 bundle '" + path + "': " + reason;
    return nullptr;
  }
  auto module = std::make_shared<Module>();
  // Windows modules may do without InitDll and ExitDll; Linux ones must
  // have both. The library's handle is not ours to give: none is passed.
#if defined(_WIN32)
  auto* enter = reinterpret_cast<ModuleInitProc>(library.symbol("InitDll"));
  const bool entered = !enter || enter();
  module->exit = reinterpret_cast<ModuleInitProc>(library.symbol("ExitDll"));
#else
  auto* enter = reinterpret_cast<ModuleEntryProc>(library.symbol("ModuleEntry"));
  auto* exit = reinterpret_cast<ModuleExitProc>(library.symbol("ModuleExit"));
  if (!enter || !exit) {
    error = "'" + binary + "' is no VST3 module: it exports no ModuleEntry and ModuleExit";
    return nullptr;
  }
  const bool entered = enter(nullptr);
  module->exit = exit;
#endif
  if (!entered) {
    module->exit = nullptr;
    error = "'" + binary + "': the module refused to start";
    return nullptr;
  }
  auto* getFactory = reinterpret_cast<GetFactoryProc>(library.symbol("GetPluginFactory"));
  module->factory = getFactory ? getFactory() : nullptr;
  if (!module->factory) {
    error = "'" + binary + "' is no VST3 module: it gives no plug-in factory";
    return nullptr;
  }
  bool found = false;
  for (int32 i = 0; i < module->factory->countClasses() && !found; ++i) {
    PClassInfo info = {};
    if (module->factory->getClassInfo(i, &info) != kResultOk) continue;
    info.category[sizeof info.category - 1] = 0;
    info.name[sizeof info.name - 1] = 0;
    if (std::strcmp(info.category, kAudioEffectClass) != 0) continue;
    std::memcpy(module->classId, info.cid, sizeof info.cid);
    module->className = info.name;
    IPluginFactory2* factory2 = nullptr;
    PClassInfo2 detail = {};
    if (module->factory->queryInterface(iidOf(IPluginFactory2::iid), reinterpret_cast<void**>(&factory2)) ==
            kResultOk &&
        factory2) {
      if (factory2->getClassInfo2(i, &detail) == kResultOk) {
        int major = 0, minor = 0, patch = 0;
        detail.version[sizeof detail.version - 1] = 0;
        if (std::sscanf(detail.version, "%d.%d.%d", &major, &minor, &patch) >= 1)
          module->version = major * 1000 + minor * 100 + patch * 10;
      }
      factory2->release();
    }
    found = true;
  }
  if (!found) {
    error = "'" + path + "' holds no audio effect class";
    return nullptr;
  }
  EffectMaker maker = [module](audioMasterCallback host) { return Bridge::make(module, host); };
  return PluginLibrary::fromMaker(path, std::move(library), std::move(maker), "GetPluginFactory");
}

}  // namespace sorvane::host
