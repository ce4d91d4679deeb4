#include "tools/sorvane-host/plugin_host.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstring>

namespace sorvane::host {

namespace {

// Which context belongs to which AEffect. A fixed lock-free table: the
// callback may run on an audio thread once per block.
struct RegistrySlot {
  std::atomic<AEffect*> effect{nullptr};
  std::atomic<HostContext*> context{nullptr};
};
std::array<RegistrySlot, 512> registry;

// During the entry point the plug-in may call back before the host knows its
// AEffect (with a null effect or its own record): that instance's context.
thread_local HostContext* constructingContext = nullptr;

HostContext& fallbackContext() {
  static HostContext context;
  return context;
}

bool registerInstance(AEffect* effect, HostContext* context) {
  for (auto& slot : registry) {
    AEffect* expected = nullptr;
    if (slot.effect.load() == nullptr) {
      slot.context.store(context);
      if (slot.effect.compare_exchange_strong(expected, effect)) return true;
    }
  }
  return false;
}

void unregisterInstance(AEffect* effect) {
  for (auto& slot : registry) {
    if (slot.effect.load() == effect) {
      slot.effect.store(nullptr);
      return;
    }
  }
}

HostContext& contextFor(AEffect* effect) {
  if (effect != nullptr) {
    for (auto& slot : registry) {
      if (slot.effect.load(std::memory_order_acquire) == effect) {
        HostContext* context = slot.context.load(std::memory_order_acquire);
        if (context != nullptr) return *context;
      }
    }
  }
  if (constructingContext != nullptr) return *constructingContext;
  return fallbackContext();
}

// Copies text into a host-provided buffer of the interface's size.
void copyText(void* ptr, const char* text, size_t capacity) {
  if (ptr == nullptr) return;
  std::strncpy(static_cast<char*>(ptr), text, capacity - 1);
  static_cast<char*>(ptr)[capacity - 1] = '\0';
}

bool hostCanDo(const char* what) {
  if (what == nullptr) return false;
  static const char* const supported[] = {"sendVstTimeInfo", "startStopProcess", "supplyIdle"};
  for (const char* name : supported) {
    if (std::strcmp(name, what) == 0) return true;
  }
  return false;
}

}  // namespace

void updateTimeInfo(HostContext& context) {
  constexpr double kTempo = 120.0;
  VstTimeInfo& info = context.timeInfo;
  info = VstTimeInfo{};
  info.samplePos = context.samplePosition;
  info.sampleRate = context.sampleRate;
  // Derived from the sample position, so a render is reproducible.
  info.nanoSeconds = context.samplePosition / context.sampleRate * 1e9;
  info.tempo = kTempo;
  info.ppqPos = context.samplePosition / context.sampleRate * kTempo / 60.0;
  info.barStartPos = std::floor(info.ppqPos / 4.0) * 4.0;
  info.timeSigNumerator = 4;
  info.timeSigDenominator = 4;
  info.flags =
      kVstTransportPlaying | kVstNanosValid | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
  if (context.transportJustStarted) info.flags |= kVstTransportChanged;
}

VstIntPtr VSTCALLBACK hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr /*value*/, void* ptr,
                                   float opt) {
  if (opcode == audioMasterVersion) return 2400;
  HostContext& context = contextFor(effect);
  if (context.gestureLog && (opcode == audioMasterAutomate || opcode == audioMasterBeginEdit ||
                             opcode == audioMasterEndEdit || opcode == audioMasterUpdateDisplay))
    context.gestureLog->push_back({opcode, index, opt});
  switch (opcode) {
    case audioMasterAutomate:
      ++context.counters.automate;
      return 0;
    case audioMasterCurrentId:
      return context.uniqueId;
    case audioMasterIdle:
      ++context.counters.idle;
      return 0;
    case audioMasterGetTime:
      ++context.counters.getTime;
      updateTimeInfo(context);
      return reinterpret_cast<VstIntPtr>(&context.timeInfo);
    case audioMasterIOChanged:
      ++context.counters.ioChanged;
      return 0;
    case audioMasterGetSampleRate:
      return static_cast<VstIntPtr>(context.sampleRate);
    case audioMasterGetBlockSize:
      return context.blockSize;
    case audioMasterGetCurrentProcessLevel:
      return context.processing ? 2 : 1;  // realtime inside a block, user otherwise
    case audioMasterGetAutomationState:
      return 1;  // off
    case audioMasterGetVendorString:
      copyText(ptr, "Sorvane", kVstMaxVendorStrLen);
      return 1;
    case audioMasterGetProductString:
      copyText(ptr, "sorvane-host", kVstMaxProductStrLen);
      return 1;
    case audioMasterGetVendorVersion:
      return 1000;
    case audioMasterCanDo:
      return hostCanDo(static_cast<const char*>(ptr)) ? 1 : 0;
    case audioMasterGetLanguage:
      return 1;  // English
    case audioMasterUpdateDisplay:
      ++context.counters.updateDisplay;
      return 0;
    case audioMasterBeginEdit:
      ++context.counters.beginEdit;
      return 0;
    case audioMasterEndEdit:
      ++context.counters.endEdit;
      return 0;
    default:
      ++context.counters.unknown;
      return 0;
  }
}

namespace {

bool endsWith(const std::string& text, const std::string& suffix) {
  if (text.size() < suffix.size()) return false;
  std::string tail = text.substr(text.size() - suffix.size());
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == suffix;
}

}  // namespace

std::unique_ptr<PluginLibrary> PluginLibrary::fromMaker(const std::string& path, hostkit::Library library,
                                                        EffectMaker maker, const char* entryName) {
  auto result = std::unique_ptr<PluginLibrary>(new PluginLibrary());
  result->library_ = std::move(library);
  result->maker_ = std::move(maker);
  result->entryName_ = entryName;
  result->path_ = path;
  return result;
}

std::unique_ptr<PluginLibrary> PluginLibrary::open(const std::string& path, std::string& error) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && (trimmed.back() == '/' || trimmed.back() == '\\')) trimmed.pop_back();
  if (endsWith(trimmed, ".vst3")) return openVst3Bundle(trimmed, error);
  if (endsWith(trimmed, ".clap")) return openClapFile(trimmed, error);
  auto result = std::unique_ptr<PluginLibrary>(new PluginLibrary());
  std::string reason;
  result->library_ = hostkit::Library::load(path, reason);
  if (!result->library_.isLoaded()) {
    error = "cannot load '" + path + "': " + reason;
    return nullptr;
  }
  for (const char* name : {"VSTPluginMain", "main"}) {
    if (void* symbol = result->library_.symbol(name)) {
      result->maker_ = reinterpret_cast<VstPluginMainProc>(symbol);
      result->entryName_ = name;
      break;
    }
  }
  if (!result->maker_) {
    error = "'" + path + "' is no VST 2.4 plug-in: it exports neither VSTPluginMain nor main";
    return nullptr;
  }
  result->path_ = path;
  return result;
}

std::unique_ptr<PluginInstance> PluginInstance::create(const PluginLibrary& library, std::string& error) {
  auto instance = std::unique_ptr<PluginInstance>(new PluginInstance());
  instance->context_ = std::make_unique<HostContext>();
  HostContext* previous = constructingContext;
  constructingContext = instance->context_.get();
  AEffect* effect = library.makeEffect(hostCallback);
  constructingContext = previous;
  if (effect == nullptr) {
    error = "'" + library.path() + "': the entry point " + library.entryPointName() + " returned no effect";
    return nullptr;
  }
  if (effect->magic != kEffectMagic) {
    error = "'" + library.path() + "': the effect record has the wrong magic " + fourCharText(effect->magic);
    return nullptr;
  }
  if (effect->dispatcher == nullptr) {
    error = "'" + library.path() + "': the effect record has no dispatcher";
    return nullptr;
  }
  instance->effect_ = effect;
  instance->context_->uniqueId = effect->uniqueID;
  if (!registerInstance(effect, instance->context_.get())) {
    instance->dispatch(effClose);
    instance->closed_ = true;
    error = "too many plug-in instances open at once";
    return nullptr;
  }
  instance->dispatch(effOpen);
  instance->setSampleRate(instance->context_->sampleRate);
  instance->setBlockSize(instance->context_->blockSize);
  return instance;
}

PluginInstance::~PluginInstance() { close(); }

void PluginInstance::close() {
  if (closed_ || effect_ == nullptr) return;
  if (resumed_) suspend();
  AEffect* effect = effect_;
  effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
  unregisterInstance(effect);
  closed_ = true;
}

VstIntPtr PluginInstance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void PluginInstance::setSampleRate(double rate) {
  context_->sampleRate = rate;
  dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
}

void PluginInstance::setBlockSize(int frames) {
  context_->blockSize = frames;
  dispatch(effSetBlockSize, 0, frames);
}

void PluginInstance::resume() {
  dispatch(effMainsChanged, 0, 1);
  dispatch(effStartProcess);
  resumed_ = true;
  context_->samplePosition = 0.0;
  context_->transportJustStarted = true;
}

void PluginInstance::suspend() {
  dispatch(effStopProcess);
  dispatch(effMainsChanged, 0, 0);
  resumed_ = false;
}

void PluginInstance::process(float** inputs, float** outputs, int frames) {
  context_->processing = true;
  updateTimeInfo(*context_);
  effect_->processReplacing(effect_, inputs, outputs, frames);
  context_->processing = false;
  context_->samplePosition += frames > 0 ? frames : 0;
  context_->transportJustStarted = false;
}

void PluginInstance::processDouble(double** inputs, double** outputs, int frames) {
  context_->processing = true;
  updateTimeInfo(*context_);
  effect_->processDoubleReplacing(effect_, inputs, outputs, frames);
  context_->processing = false;
  context_->samplePosition += frames > 0 ? frames : 0;
  context_->transportJustStarted = false;
}

float PluginInstance::getParameter(int index) { return effect_->getParameter(effect_, index); }

void PluginInstance::setParameter(int index, float value) { effect_->setParameter(effect_, index, value); }

std::string PluginInstance::text(VstInt32 opcode, VstInt32 index) {
  // Generous: many plug-ins write past the interface's 8 or 24 characters.
  char buffer[512] = {};
  dispatch(opcode, index, 0, buffer);
  buffer[sizeof buffer - 1] = '\0';
  return buffer;
}

std::string PluginInstance::parameterName(int index) { return text(effGetParamName, index); }
std::string PluginInstance::parameterDisplay(int index) { return text(effGetParamDisplay, index); }
std::string PluginInstance::parameterLabel(int index) { return text(effGetParamLabel, index); }
int PluginInstance::currentProgram() { return static_cast<int>(dispatch(effGetProgram)); }
void PluginInstance::setProgram(int index) { dispatch(effSetProgram, 0, index); }
std::string PluginInstance::programName() { return text(effGetProgramName, 0); }
std::string PluginInstance::effectName() { return text(effGetEffectName, 0); }
std::string PluginInstance::vendorString() { return text(effGetVendorString, 0); }
std::string PluginInstance::productString() { return text(effGetProductString, 0); }

std::string PluginInstance::programNameAt(int index) {
  char buffer[512] = {};
  if (dispatch(effGetProgramNameIndexed, index, -1, buffer) != 0) {
    buffer[sizeof buffer - 1] = '\0';
    return buffer;
  }
  int current = currentProgram();
  if (current == index) return programName();
  setProgram(index);
  std::string name = programName();
  setProgram(current);
  return name;
}

std::vector<uint8_t> PluginInstance::getChunk(bool program) {
  void* data = nullptr;
  VstIntPtr size = dispatch(effGetChunk, program ? 1 : 0, 0, &data);
  if (size <= 0 || data == nullptr) return {};
  const auto* bytes = static_cast<const uint8_t*>(data);
  return std::vector<uint8_t>(bytes, bytes + size);
}

bool PluginInstance::setChunk(const std::vector<uint8_t>& data, bool program) {
  // The plug-in may keep the pointer during the call only; a copy keeps our
  // buffer const for the caller.
  std::vector<uint8_t> copy = data;
  return dispatch(effSetChunk, program ? 1 : 0, static_cast<VstIntPtr>(copy.size()), copy.data()) != 0;
}

std::string fourCharText(VstInt32 code) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    auto c = static_cast<unsigned char>((static_cast<uint32_t>(code) >> shift) & 0xFF);
    text += (c >= 32 && c < 127) ? static_cast<char>(c) : '?';
  }
  return text;
}

}  // namespace sorvane::host
