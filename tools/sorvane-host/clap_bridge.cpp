// Hosts a CLAP file through the VST 2.4 effect record that every command
// drives. The record is the first member of a bridge object that is also
// the CLAP host of its plug-in: the dispatcher, process and parameter calls
// become the plug-in's, and what the plug-in tells its host (gestures,
// values, rescans, resize requests) comes back through the VST host
// callback. Normalised parameter values map linearly onto each parameter's
// CLAP range (rounded to the step for a stepped one).
//
// Threads: a VST host may call setParameter from any thread, also while a
// block runs; CLAP wants parameter values in the block's input events (or
// a flush while nothing processes). So while the plug-in is active the
// values wait, under a lock of the host side's own, for the next block,
// which takes them at its start; while inactive, params.flush takes them at
// once. effEditIdle serves the main-thread calls: timers, file
// descriptors, flush and callback requests.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <poll.h>
#endif

#include "formats/clap/abi/events.h"
#include "formats/clap/abi/extensions.h"
#include "tools/sorvane-host/plugin_host.h"

namespace sorvane::host {
namespace {

#if defined(_WIN32)
constexpr const char* kWindowApi = CLAP_WINDOW_API_WIN32;
#else
constexpr const char* kWindowApi = CLAP_WINDOW_API_X11;
#endif

struct Range {
  double minimum = 0.0;
  double maximum = 1.0;
  bool stepped = false;
};

// The effects of one library share its entry, initialised once.
struct Entry {
  const clap_plugin_entry_t* entry = nullptr;
  const clap_plugin_factory_t* factory = nullptr;
  const clap_plugin_descriptor_t* descriptor = nullptr;
  ~Entry() {
    if (entry && entry->deinit) entry->deinit();
  }
};

class Bridge {
 public:
  // Must stay the first member: the record's address is the bridge's.
  AEffect effect{};

  static AEffect* make(std::shared_ptr<Entry> entry, audioMasterCallback master) {
    auto bridge = std::unique_ptr<Bridge>(new Bridge(std::move(entry), master));
    if (!bridge->start()) return nullptr;
    return &bridge.release()->effect;
  }

  ~Bridge() {
    if (plugin_) {
      closeEditor();
      suspend();
      plugin_->destroy(plugin_);
    }
  }

 private:
  Bridge(std::shared_ptr<Entry> entry, audioMasterCallback master) : entry_(std::move(entry)), master_(master) {
    host_ = {CLAP_VERSION, this,          "sorvane-host", "Sorvane",      "https://www.sorvane.com",
             "1.0.0",      hostExtension, requestNothing, requestNothing, requestCallback};
  }

  static Bridge* of(AEffect* effect) { return reinterpret_cast<Bridge*>(effect); }
  static Bridge* of(const clap_host_t* host) { return static_cast<Bridge*>(host->host_data); }

  template <class T>
  const T* extension(const char* id) const {
    return static_cast<const T*>(plugin_->get_extension ? plugin_->get_extension(plugin_, id) : nullptr);
  }

  bool start() {
    plugin_ = entry_->factory->create_plugin(entry_->factory, &host_, entry_->descriptor->id);
    if (!plugin_) return false;
    if (!plugin_->init || !plugin_->init(plugin_)) {
      plugin_->destroy(plugin_);
      plugin_ = nullptr;
      return false;
    }
    params_ = extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
    state_ = extension<clap_plugin_state_t>(CLAP_EXT_STATE);
    gui_ = extension<clap_plugin_gui_t>(CLAP_EXT_GUI);
    timers_ = extension<clap_plugin_timer_support_t>(CLAP_EXT_TIMER_SUPPORT);
    fds_ = extension<clap_plugin_posix_fd_support_t>(CLAP_EXT_POSIX_FD_SUPPORT);
    const auto* ports = extension<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
    const std::uint32_t count = params_ ? params_->count(plugin_) : 0;
    for (std::uint32_t i = 0; i < count; ++i) {
      clap_param_info_t info{};
      if (!params_->get_info(plugin_, i, &info)) return false;
      ids_.push_back(info.id);
      ranges_.push_back({info.min_value, info.max_value, (info.flags & CLAP_PARAM_IS_STEPPED) != 0});
      names_.emplace_back(info.name);
    }
    bool sixtyFour = false;
    int inputs = 0, outputs = 0;
    if (ports) {
      clap_audio_port_info_t info{};
      if (ports->count(plugin_, true) > 0 && ports->get(plugin_, 0, true, &info))
        inputs = static_cast<int>(info.channel_count);
      if (ports->count(plugin_, false) > 0 && ports->get(plugin_, 0, false, &info)) {
        outputs = static_cast<int>(info.channel_count);
        sixtyFour = (info.flags & CLAP_AUDIO_PORT_SUPPORTS_64BITS) != 0;
      }
    }
    effect.magic = kEffectMagic;
    effect.dispatcher = dispatcher;
    effect.setParameter = setParameter;
    effect.getParameter = getParameter;
    effect.processReplacing = processReplacing;
    effect.processDoubleReplacing = sixtyFour ? processDoubleReplacing : nullptr;
    effect.numPrograms = 0;
    effect.numParams = static_cast<VstInt32>(ids_.size());
    effect.numInputs = inputs;
    effect.numOutputs = outputs;
    effect.flags = effFlagsCanReplacing | (state_ ? effFlagsProgramChunks : 0) |
                   (sixtyFour ? effFlagsCanDoubleReplacing : 0) | (gui_ ? effFlagsHasEditor : 0);
    effect.uniqueID = idOf(entry_->descriptor->id);
    effect.version = 1;
    return true;
  }

  // A stable 32-bit number for the plug-in's id (FNV-1a), for hosts that file effects by it.
  static VstInt32 idOf(const char* id) {
    std::uint32_t hash = 2166136261u;
    for (const char* c = id; *c; ++c) hash = (hash ^ static_cast<unsigned char>(*c)) * 16777619u;
    return static_cast<VstInt32>(hash);
  }

  // --- the host the plug-in sees ---

  static const void* CLAP_ABI hostExtension(const clap_host_t*, const char* id) {
    static const clap_host_params_t params = {rescan, clearNothing, requestFlush};
    static const clap_host_gui_t gui = {resizeHintsChanged, requestResize, requestShowHide, requestShowHide, closed};
    static const clap_host_timer_support_t timers = {registerTimer, unregisterTimer};
    static const clap_host_posix_fd_support_t fds = {registerFd, modifyFd, unregisterFd};
    static const clap_host_state_t state = {markDirty};
    static const clap_host_latency_t latency = {latencyChanged};
    if (!id) return nullptr;
    if (std::strcmp(id, CLAP_EXT_PARAMS) == 0) return &params;
    if (std::strcmp(id, CLAP_EXT_GUI) == 0) return &gui;
    if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0) return &timers;
    if (std::strcmp(id, CLAP_EXT_STATE) == 0) return &state;
    if (std::strcmp(id, CLAP_EXT_LATENCY) == 0) return &latency;
#if !defined(_WIN32)
    if (std::strcmp(id, CLAP_EXT_POSIX_FD_SUPPORT) == 0) return &fds;
#else
    (void)fds;
#endif
    return nullptr;
  }
  static void CLAP_ABI requestNothing(const clap_host_t*) {}
  static void CLAP_ABI requestCallback(const clap_host_t* host) { of(host)->callbackRequested_ = true; }
  static void CLAP_ABI requestFlush(const clap_host_t* host) { of(host)->flushRequested_ = true; }
  static void CLAP_ABI clearNothing(const clap_host_t*, clap_id, std::uint32_t) {}
  static void CLAP_ABI rescan(const clap_host_t* host, std::uint32_t flags) {
    Bridge* self = of(host);
    if (flags & (CLAP_PARAM_RESCAN_VALUES | CLAP_PARAM_RESCAN_TEXT | CLAP_PARAM_RESCAN_ALL))
      self->callHost(audioMasterUpdateDisplay);
  }
  static void CLAP_ABI markDirty(const clap_host_t*) {}
  static void CLAP_ABI latencyChanged(const clap_host_t* host) { of(host)->callHost(audioMasterIOChanged); }
  static void CLAP_ABI resizeHintsChanged(const clap_host_t*) {}
  static bool CLAP_ABI requestResize(const clap_host_t* host, std::uint32_t width, std::uint32_t height) {
    return of(host)->callHost(audioMasterSizeWindow, static_cast<VstInt32>(width), static_cast<VstIntPtr>(height)) != 0;
  }
  static bool CLAP_ABI requestShowHide(const clap_host_t*) { return false; }
  static void CLAP_ABI closed(const clap_host_t*, bool) {}

  struct Timer {
    clap_id id;
    std::chrono::milliseconds period;
    std::chrono::steady_clock::time_point due;
  };
  static bool CLAP_ABI registerTimer(const clap_host_t* host, std::uint32_t period, clap_id* id) {
    Bridge* self = of(host);
    if (!id) return false;
    const auto every = std::chrono::milliseconds(std::max<std::uint32_t>(period, 1));
    *id = self->nextTimer_++;
    self->timerList_.push_back({*id, every, std::chrono::steady_clock::now() + every});
    return true;
  }
  static bool CLAP_ABI unregisterTimer(const clap_host_t* host, clap_id id) {
    auto& list = of(host)->timerList_;
    const auto found = std::find_if(list.begin(), list.end(), [id](const Timer& t) { return t.id == id; });
    if (found == list.end()) return false;
    list.erase(found);
    return true;
  }
  static bool CLAP_ABI registerFd(const clap_host_t* host, int fd, std::uint32_t flags) {
    auto& list = of(host)->fdList_;
    if (fd < 0 || std::any_of(list.begin(), list.end(), [fd](const auto& f) { return f.first == fd; })) return false;
    list.emplace_back(fd, flags);
    return true;
  }
  static bool CLAP_ABI modifyFd(const clap_host_t* host, int fd, std::uint32_t flags) {
    for (auto& f : of(host)->fdList_)
      if (f.first == fd) {
        f.second = flags;
        return true;
      }
    return false;
  }
  static bool CLAP_ABI unregisterFd(const clap_host_t* host, int fd) {
    auto& list = of(host)->fdList_;
    const auto found = std::find_if(list.begin(), list.end(), [fd](const auto& f) { return f.first == fd; });
    if (found == list.end()) return false;
    list.erase(found);
    return true;
  }

  VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, float opt = 0.0f) {
    return master_ ? master_(&effect, opcode, index, value, nullptr, opt) : 0;
  }

  // --- events both ways ---

  struct InEvents {
    clap_input_events_t list;
    const clap_event_param_value_t* events;
    std::uint32_t count;
  };
  static std::uint32_t CLAP_ABI inSize(const clap_input_events_t* list) {
    return static_cast<const InEvents*>(list->ctx)->count;
  }
  static const clap_event_header_t* CLAP_ABI inGet(const clap_input_events_t* list, std::uint32_t index) {
    const auto* events = static_cast<const InEvents*>(list->ctx);
    return index < events->count ? &events->events[index].header : nullptr;
  }

  // The plug-in's gestures and values reach the host as a VST plug-in's
  // would: begin, automate (normalised), end.
  static bool CLAP_ABI tryPush(const clap_output_events_t* list, const clap_event_header_t* event) {
    Bridge* self = static_cast<Bridge*>(list->ctx);
    if (!event || event->space_id != CLAP_CORE_EVENT_SPACE_ID) return true;
    if (event->type == CLAP_EVENT_PARAM_VALUE && event->size >= sizeof(clap_event_param_value_t)) {
      const auto* value = reinterpret_cast<const clap_event_param_value_t*>(event);
      const int index = self->indexOf(value->param_id);
      if (index >= 0) self->callHost(audioMasterAutomate, index, 0, self->normalised(index, value->value));
    } else if ((event->type == CLAP_EVENT_PARAM_GESTURE_BEGIN || event->type == CLAP_EVENT_PARAM_GESTURE_END) &&
               event->size >= sizeof(clap_event_param_gesture_t)) {
      const auto* gesture = reinterpret_cast<const clap_event_param_gesture_t*>(event);
      const int index = self->indexOf(gesture->param_id);
      if (index >= 0)
        self->callHost(event->type == CLAP_EVENT_PARAM_GESTURE_BEGIN ? audioMasterBeginEdit : audioMasterEndEdit,
                       index);
    }
    return true;
  }

  int indexOf(clap_id id) const {
    for (std::size_t i = 0; i < ids_.size(); ++i)
      if (ids_[i] == id) return static_cast<int>(i);
    return -1;
  }
  float normalised(int index, double value) const {
    const Range& r = ranges_[static_cast<std::size_t>(index)];
    if (!(r.maximum > r.minimum)) return 0.0f;
    return static_cast<float>((value - r.minimum) / (r.maximum - r.minimum));
  }
  double clapValue(int index, float value) const {
    const Range& r = ranges_[static_cast<std::size_t>(index)];
    if (std::isnan(value)) return value;
    const double v = std::clamp(static_cast<double>(value), 0.0, 1.0);
    const double scaled = r.minimum + v * (r.maximum - r.minimum);
    return r.stepped ? std::round(scaled) : scaled;
  }

  // --- the VST record ---

  static void VSTCALLBACK setParameter(AEffect* effect, VstInt32 index, float value) {
    Bridge* self = of(effect);
    if (index < 0 || index >= effect->numParams || !self->params_) return;
    clap_event_param_value_t event{};
    event.header = {sizeof event, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
    event.param_id = self->ids_[static_cast<std::size_t>(index)];
    event.note_id = -1;
    event.port_index = -1;
    event.channel = -1;
    event.key = -1;
    event.value = self->clapValue(index, value);
    {
      std::lock_guard<std::mutex> hold(self->pendingLock_);
      if (self->active_) {
        self->pending_.push_back(event);
        return;
      }
    }
    self->flushWith(&event, 1);
  }

  void flushWith(const clap_event_param_value_t* events, std::uint32_t count) {
    InEvents in{{nullptr, inSize, inGet}, events, count};
    in.list.ctx = &in;
    const clap_output_events_t out{this, tryPush};
    params_->flush(plugin_, &in.list, &out);
  }

  static float VSTCALLBACK getParameter(AEffect* effect, VstInt32 index) {
    Bridge* self = of(effect);
    double value = 0.0;
    if (index >= 0 && index < effect->numParams) {
      // A value still on its way to the plug-in is the parameter's value already.
      std::lock_guard<std::mutex> hold(self->pendingLock_);
      for (auto e = self->pending_.rbegin(); e != self->pending_.rend(); ++e)
        if (e->param_id == self->ids_[static_cast<std::size_t>(index)]) return self->normalised(index, e->value);
    }
    if (index < 0 || index >= effect->numParams || !self->params_ ||
        !self->params_->get_value(self->plugin_, self->ids_[static_cast<std::size_t>(index)], &value))
      return 0.0f;
    return self->normalised(index, value);
  }

  template <class Sample>
  void process(Sample** inputs, Sample** outputs, VstInt32 frames) {
    if (frames <= 0) return;
    if (!active_) {
      for (int c = 0; c < effect.numOutputs; ++c) std::fill(outputs[c], outputs[c] + frames, Sample(0));
      return;
    }
    if (!started_) started_ = !plugin_->start_processing || plugin_->start_processing(plugin_);
    clap_audio_buffer_t in{};
    clap_audio_buffer_t out{};
    in.channel_count = static_cast<std::uint32_t>(effect.numInputs);
    out.channel_count = static_cast<std::uint32_t>(effect.numOutputs);
    if constexpr (sizeof(Sample) == sizeof(double)) {
      in.data64 = inputs;
      out.data64 = outputs;
    } else {
      in.data32 = inputs;
      out.data32 = outputs;
    }
    {
      std::lock_guard<std::mutex> hold(pendingLock_);
      taking_.swap(pending_);
    }
    InEvents values{{nullptr, inSize, inGet}, taking_.data(), static_cast<std::uint32_t>(taking_.size())};
    values.list.ctx = &values;
    const clap_output_events_t events{this, tryPush};
    clap_process_t process{};
    process.steady_time = steadyTime_;
    process.frames_count = static_cast<std::uint32_t>(frames);
    process.audio_inputs = &in;
    process.audio_outputs = &out;
    process.audio_inputs_count = 1;
    process.audio_outputs_count = 1;
    process.in_events = &values.list;
    process.out_events = &events;
    plugin_->process(plugin_, &process);
    taking_.clear();
    steadyTime_ += frames;
  }
  static void VSTCALLBACK processReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
    of(effect)->process(inputs, outputs, frames);
  }
  static void VSTCALLBACK processDoubleReplacing(AEffect* effect, double** inputs, double** outputs, VstInt32 frames) {
    of(effect)->process(inputs, outputs, frames);
  }

  void resume() {
    if (active_) return;
    const bool activated = plugin_->activate(plugin_, rate_, 1, block_);
    std::lock_guard<std::mutex> hold(pendingLock_);
    active_ = activated;
  }
  // Values no block took yet go to the plug-in before it stops.
  void suspend() {
    if (started_ && plugin_->stop_processing) plugin_->stop_processing(plugin_);
    started_ = false;
    if (active_) plugin_->deactivate(plugin_);
    std::vector<clap_event_param_value_t> left;
    {
      std::lock_guard<std::mutex> hold(pendingLock_);
      active_ = false;
      left.swap(pending_);
    }
    if (!left.empty() && params_) flushWith(left.data(), static_cast<std::uint32_t>(left.size()));
  }

  // What the plug-in asked to be called back for on the main thread.
  void serveMainThread() {
    if (callbackRequested_) {
      callbackRequested_ = false;
      if (plugin_->on_main_thread) plugin_->on_main_thread(plugin_);
    }
    if (flushRequested_ && params_) {
      flushRequested_ = false;
      flushWith(nullptr, 0);
    }
  }

  void idleEditor() {
    const auto now = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < timerList_.size(); ++i) {
      if (timerList_[i].due > now) continue;
      timerList_[i].due = now + timerList_[i].period;
      if (timers_) timers_->on_timer(plugin_, timerList_[i].id);
    }
#if !defined(_WIN32)
    for (std::size_t i = 0; i < fdList_.size(); ++i) {
      pollfd watch{fdList_[i].first, 0, 0};
      if (fdList_[i].second & CLAP_POSIX_FD_READ) watch.events |= POLLIN;
      if (fdList_[i].second & CLAP_POSIX_FD_WRITE) watch.events |= POLLOUT;
      if (poll(&watch, 1, 0) <= 0 || !fds_) continue;
      std::uint32_t flags = 0;
      if (watch.revents & POLLIN) flags |= CLAP_POSIX_FD_READ;
      if (watch.revents & POLLOUT) flags |= CLAP_POSIX_FD_WRITE;
      if (watch.revents & (POLLERR | POLLHUP)) flags |= CLAP_POSIX_FD_ERROR;
      fds_->on_fd(plugin_, watch.fd, flags);
    }
#endif
    serveMainThread();
  }

  bool openEditor(void* parent) {
    if (!gui_ || editorOpen_ || !gui_->create(plugin_, kWindowApi, false)) return false;
    if (hostScale_ > 0.0) gui_->set_scale(plugin_, hostScale_);
    clap_window_t window{};
    window.api = kWindowApi;
#if defined(_WIN32)
    window.win32 = parent;
#else
    window.x11 = static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(parent));
#endif
    if (!gui_->set_parent(plugin_, &window)) {
      gui_->destroy(plugin_);
      return false;
    }
    gui_->show(plugin_);
    editorOpen_ = true;
    return true;
  }
  void closeEditor() {
    if (!editorOpen_) return;
    gui_->hide(plugin_);
    gui_->destroy(plugin_);
    editorOpen_ = false;
    serveMainThread();
  }

  bool editorRect(void* ptr) {
    std::uint32_t width = 0, height = 0;
    if (!gui_ || !ptr || !gui_->get_size(plugin_, &width, &height)) return false;
    rect_ = {0, 0, static_cast<VstInt16>(height), static_cast<VstInt16>(width)};
    *static_cast<ERect**>(ptr) = &rect_;
    return true;
  }

  // --- the state through memory streams ---

  static std::int64_t CLAP_ABI writeChunk(const clap_ostream_t* stream, const void* data, std::uint64_t size) {
    auto* bytes = static_cast<std::vector<std::uint8_t>*>(stream->ctx);
    const auto* from = static_cast<const std::uint8_t*>(data);
    bytes->insert(bytes->end(), from, from + size);
    return static_cast<std::int64_t>(size);
  }
  struct Reading {
    const std::uint8_t* data;
    std::uint64_t left;
  };
  static std::int64_t CLAP_ABI readChunk(const clap_istream_t* stream, void* data, std::uint64_t size) {
    auto* reading = static_cast<Reading*>(stream->ctx);
    const std::uint64_t n = std::min(size, reading->left);
    if (n) std::memcpy(data, reading->data, static_cast<std::size_t>(n));
    reading->data += n;
    reading->left -= n;
    return static_cast<std::int64_t>(n);
  }

  VstIntPtr getChunk(void* ptr) {
    if (!state_ || !ptr) return 0;
    chunk_.clear();
    const clap_ostream_t stream{&chunk_, writeChunk};
    if (!state_->save(plugin_, &stream) || chunk_.empty()) return 0;
    *static_cast<void**>(ptr) = chunk_.data();
    return static_cast<VstIntPtr>(chunk_.size());
  }
  VstIntPtr setChunk(VstIntPtr size, void* ptr) {
    if (!state_ || !ptr || size < 0) return 0;
    Reading reading{static_cast<const std::uint8_t*>(ptr), static_cast<std::uint64_t>(size)};
    const clap_istream_t stream{&reading, readChunk};
    const bool loaded = state_->load(plugin_, &stream);
    serveMainThread();
    return loaded ? 1 : 0;
  }

  static void copyText(void* ptr, const char* text, std::size_t capacity) {
    if (!ptr) return;
    auto* out = static_cast<char*>(ptr);
    std::strncpy(out, text ? text : "", capacity - 1);
    out[capacity - 1] = '\0';
  }

  static VstIntPtr VSTCALLBACK dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                          float opt) {
    Bridge* self = of(effect);
    const clap_plugin_descriptor_t* d = self->entry_->descriptor;
    const bool param = index >= 0 && index < effect->numParams;
    switch (opcode) {
      case effClose:
        delete self;
        return 1;
      case effSetSampleRate:
        if (opt > 0.0f) self->rate_ = opt;
        return 1;
      case effSetBlockSize:
        if (value > 0) self->block_ = static_cast<std::uint32_t>(value);
        return 1;
      case effMainsChanged:
        if (value)
          self->resume();
        else
          self->suspend();
        return 1;
      case effGetParamName:
        copyText(ptr, param ? self->names_[static_cast<std::size_t>(index)].c_str() : "", 64);
        return param ? 1 : 0;
      case effGetParamLabel:
        copyText(ptr, "", 8);
        return 0;
      case effGetParamDisplay: {
        char text[64] = {};
        double v = 0.0;
        const bool ok = param &&
                        self->params_->get_value(self->plugin_, self->ids_[static_cast<std::size_t>(index)], &v) &&
                        self->params_->value_to_text(self->plugin_, self->ids_[static_cast<std::size_t>(index)], v,
                                                     text, sizeof text);
        copyText(ptr, ok ? text : "", 64);
        return ok ? 1 : 0;
      }
      case effString2Parameter: {
        double v = 0.0;
        if (!param || !ptr ||
            !self->params_->text_to_value(self->plugin_, self->ids_[static_cast<std::size_t>(index)],
                                          static_cast<const char*>(ptr), &v))
          return 0;
        setParameter(effect, index, self->normalised(index, v));
        return 1;
      }
      case effCanBeAutomated:
        return param ? 1 : 0;
      // A CLAP plug-in has one state and no programs: it is the bank and
      // the program chunk alike.
      case effGetChunk:
        return self->getChunk(ptr);
      case effSetChunk:
        return self->setChunk(value, ptr);
      case effGetEffectName:
        copyText(ptr, d->name, 64);
        return 1;
      case effGetProductString:
        copyText(ptr, d->name, 64);
        return 1;
      case effGetVendorString:
        copyText(ptr, d->vendor, 64);
        return 1;
      case effGetVstVersion:
        return 2400;
      case effEditGetRect:
        return self->editorRect(ptr) ? 1 : 0;
      case effEditOpen:
        return self->openEditor(ptr) ? 1 : 0;
      case effEditClose:
        self->closeEditor();
        return 1;
      case effEditIdle:
        self->idleEditor();
        return 1;
      case effVendorSpecific:
        // The host's scale factor, as VST hosts send it.
        if (index == 0x50726553 && value == 0x41654373 && opt > 0.0f) {
          self->hostScale_ = opt;
          if (self->editorOpen_) self->gui_->set_scale(self->plugin_, opt);
          return 1;
        }
        return 0;
      case effCanDo:
        return ptr && self->gui_ && std::strcmp(static_cast<const char*>(ptr), "supportsViewDpiScaling") == 0 ? 1 : 0;
      default:
        return 0;
    }
  }

  std::shared_ptr<Entry> entry_;  // keeps the entry initialised while the plug-in lives
  audioMasterCallback master_;
  clap_host_t host_{};
  const clap_plugin_t* plugin_ = nullptr;
  const clap_plugin_params_t* params_ = nullptr;
  const clap_plugin_state_t* state_ = nullptr;
  const clap_plugin_gui_t* gui_ = nullptr;
  const clap_plugin_timer_support_t* timers_ = nullptr;
  const clap_plugin_posix_fd_support_t* fds_ = nullptr;
  std::vector<clap_id> ids_;
  std::vector<Range> ranges_;
  std::vector<std::string> names_;
  double rate_ = 44100.0;
  std::uint32_t block_ = 512;
  bool active_ = false;  // written under pendingLock_
  bool started_ = false;
  std::mutex pendingLock_;
  std::vector<clap_event_param_value_t> pending_;  // values for the next block
  std::vector<clap_event_param_value_t> taking_;   // those the block in progress takes
  std::int64_t steadyTime_ = 0;
  std::vector<std::uint8_t> chunk_;
  std::vector<Timer> timerList_;
  clap_id nextTimer_ = 1;
  std::vector<std::pair<int, std::uint32_t>> fdList_;
  std::atomic<bool> callbackRequested_{false};
  std::atomic<bool> flushRequested_{false};
  bool editorOpen_ = false;
  double hostScale_ = 0.0;
  ERect rect_{};
};

}  // namespace

std::unique_ptr<PluginLibrary> openClapFile(const std::string& path, std::string& error) {
  std::string reason;
  hostkit::Library library = hostkit::Library::load(path, reason);
  if (!library.isLoaded()) {
    error = "cannot load '" + path + "': " + reason;
    return nullptr;
  }
  auto entry = std::make_shared<Entry>();
  entry->entry = static_cast<const clap_plugin_entry_t*>(library.symbol("clap_entry"));
  if (!entry->entry) {
    error = "'" + path + "' is no CLAP plug-in: it exports no clap_entry";
    return nullptr;
  }
  if (!clap_version_is_compatible(entry->entry->clap_version) || !entry->entry->init || !entry->entry->get_factory) {
    entry->entry = nullptr;
    error = "'" + path + "': its clap_entry is of an unknown CLAP version";
    return nullptr;
  }
  if (!entry->entry->init(path.c_str())) {
    entry->entry = nullptr;
    error = "'" + path + "': clap_entry.init refused the file";
    return nullptr;
  }
  entry->factory = static_cast<const clap_plugin_factory_t*>(entry->entry->get_factory(CLAP_PLUGIN_FACTORY_ID));
  if (!entry->factory || entry->factory->get_plugin_count(entry->factory) < 1 ||
      !(entry->descriptor = entry->factory->get_plugin_descriptor(entry->factory, 0)) || !entry->descriptor->id) {
    error = "'" + path + "': its CLAP factory offers no plug-in";
    return nullptr;
  }
  EffectMaker maker = [entry](audioMasterCallback master) { return Bridge::make(entry, master); };
  return PluginLibrary::fromMaker(path, std::move(library), std::move(maker), "clap_entry");
}

}  // namespace sorvane::host
