// The adapter template's body, included by each product's CLAP entry file.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "editor/aeffguieditor.h"
#include "formats/clap/abi/events.h"
#include "formats/clap/abi/extensions.h"
#include "formats/clap/adapter.h"
#include "formats/clap/gesture_queue.h"
#include "formats/clap/identity.h"
#include "formats/clap/streams.h"
#include "formats/clap/window_pump.h"
#include "formats/common/session_state.h"
#include "formats/common/unit_values.h"
#include "gui/draw/scaling.h"
#include "plugin/sorvane.h"
#include "presets/preset_files.h"

namespace sorvane::clap {

#if defined(_WIN32)
inline constexpr const char* kNativeWindowApi = CLAP_WINDOW_API_WIN32;
inline constexpr bool kWindowHasTimer = true;
#else
inline constexpr bool kWindowHasTimer = false;
inline constexpr const char* kNativeWindowApi = CLAP_WINDOW_API_X11;
#endif

// How often the editor is pumped: about as often as VST hosts send effEditIdle.
inline constexpr std::uint32_t kEditorTickMs = 30;

// A CLAP value is the units model's reading of a parameter, the same as an
// LV2 control port's: a stepped knob's position index, a switch's 0 or 1,
// decibels for the gains and Output.
inline double clapValueOf(const ParameterUnits& units, int index, float value) {
  return formats::portValueOf(units, index, value);
}
inline float parameterValueOf(const ParameterUnits& units, int index, double value) {
  const double held = value > std::numeric_limits<float>::max()    ? std::numeric_limits<float>::max()
                      : value < -std::numeric_limits<float>::max() ? -std::numeric_limits<float>::max()
                                                                   : value;
  return formats::parameterValueOf(units, index, static_cast<float>(held));
}

// What every instance of a product shares: its descriptor, with the
// strings the effect itself reports to VST hosts.
template <class Product>
struct Catalogue {
  char name[kVstMaxEffectNameLen + 1] = {};
  char vendor[kVstMaxVendorStrLen + 1] = {};
  char version[16] = {};
  clap_plugin_descriptor_t descriptor{};

  static const Catalogue& get() {
    static const Catalogue catalogue;
    return catalogue;
  }

 private:
  static VstIntPtr VSTCALLBACK quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
  }

  Catalogue() {
    static const char* const kFeatures[] = {"audio-effect", "equalizer", "stereo", nullptr};
    Sorvane<Product> probe(quietHost);
    AEffect* effect = probe.getAeffect();
    effect->dispatcher(effect, effGetEffectName, 0, 0, name, 0.0f);
    effect->dispatcher(effect, effGetVendorString, 0, 0, vendor, 0.0f);
    const auto v = static_cast<int>(effect->dispatcher(effect, effGetVendorVersion, 0, 0, nullptr, 0.0f));
    std::snprintf(version, sizeof version, "%d.%d.%d", v / 1000, v / 100 % 10, v % 100);
    descriptor = {CLAP_VERSION,  Identity<Product>::kId, name,    vendor, kMakerWebSite,
                  kMakerWebSite, kMakerWebSite,          version, "",     kFeatures};
  }
};

template <class Product>
class Plugin {
 public:
  static constexpr int kParameterCount = Product::kParameterCount;

  static const clap_plugin_t* create(const clap_host_t* host) {
    auto* self = new (std::nothrow) Plugin(host);
    return self ? &self->plugin_ : nullptr;
  }

 private:
  explicit Plugin(const clap_host_t* host) : host_(host) {
    plugin_ = {&Catalogue<Product>::get().descriptor,
               this,
               init,
               destroy,
               activate,
               deactivate,
               startProcessing,
               stopProcessing,
               reset,
               process,
               getExtension,
               onMainThread};
  }

  static Plugin* self(const clap_plugin_t* plugin) { return static_cast<Plugin*>(plugin->plugin_data); }

  template <class T>
  T* hostExtension(const char* id) const {
    return host_->get_extension ? static_cast<T*>(host_->get_extension(host_, id)) : nullptr;
  }

  // --- life cycle (main thread) ---

  static bool CLAP_ABI init(const clap_plugin_t* plugin) {
    Plugin* p = self(plugin);
    if (p->effect_) return true;
    p->hostParams_ = p->hostExtension<const clap_host_params_t>(CLAP_EXT_PARAMS);
    p->hostGui_ = p->hostExtension<const clap_host_gui_t>(CLAP_EXT_GUI);
    p->hostTimers_ = p->hostExtension<const clap_host_timer_support_t>(CLAP_EXT_TIMER_SUPPORT);
    p->hostFds_ = p->hostExtension<const clap_host_posix_fd_support_t>(CLAP_EXT_POSIX_FD_SUPPORT);
    try {
      p->effect_ = std::make_unique<Sorvane<Product>>(answerAsHost, EditorOf<Product>::make);
    } catch (const std::bad_alloc&) {
      return false;
    }
    p->effect_->getAeffect()->user = p;
    p->dispatch(effOpen);
    for (int i = 0; i < kParameterCount; ++i) p->defaults_[i] = p->effect_->getParameter(i);
    return true;
  }

  static void CLAP_ABI destroy(const clap_plugin_t* plugin) {
    Plugin* p = self(plugin);
    if (p->guiCreated_) guiDestroy(plugin);
    if (p->active_) deactivate(plugin);
    if (p->effect_) p->dispatch(effClose);
    delete p;
  }

  // A VST host sets the rate and the largest block while suspended, then
  // switches the mains on, so the filters start at their settings.
  static bool CLAP_ABI activate(const clap_plugin_t* plugin, double rate, std::uint32_t, std::uint32_t maxFrames) {
    Plugin* p = self(plugin);
    if (!p->effect_ || p->active_ || !(rate > 0.0)) return false;
    p->dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    const std::uint32_t block = maxFrames < kLongestSpan ? maxFrames : kLongestSpan;
    p->dispatch(effSetBlockSize, 0, static_cast<VstIntPtr>(block));
    p->dispatch(effMainsChanged, 0, 1);
    p->active_ = true;
    return true;
  }

  static void CLAP_ABI deactivate(const clap_plugin_t* plugin) {
    Plugin* p = self(plugin);
    if (!p->active_) return;
    p->dispatch(effMainsChanged, 0, 0);
    p->active_ = false;
  }

  // --- audio thread ---

  static bool CLAP_ABI startProcessing(const clap_plugin_t* plugin) {
    self(plugin)->processing_.store(true, std::memory_order_release);
    return true;
  }
  static void CLAP_ABI stopProcessing(const clap_plugin_t* plugin) {
    self(plugin)->processing_.store(false, std::memory_order_release);
  }
  // The VST build has no call that clears the filters' memory (a VST host's
  // suspend and resume keep it), so the adapter adds none: a reset plays on.
  static void CLAP_ABI reset(const clap_plugin_t*) {}

  // Parameter events take effect at their own sample: the block is split
  // there, as a VST host splits its blocks around automation.
  static clap_process_status CLAP_ABI process(const clap_plugin_t* plugin, const clap_process_t* process) {
    Plugin* p = self(plugin);
    if (!p->active_ || !process) return CLAP_PROCESS_ERROR;
    const std::uint32_t frames = process->frames_count;
    const clap_input_events_t* in = process->in_events;
    const std::uint32_t events = in && in->size && in->get ? in->size(in) : 0;
    const bool audio = process->audio_inputs_count >= 1 && process->audio_outputs_count >= 1 && process->audio_inputs &&
                       process->audio_outputs && process->audio_inputs[0].channel_count >= 2 &&
                       process->audio_outputs[0].channel_count >= 2;
    std::uint32_t done = 0;
    for (std::uint32_t i = 0; i < events; ++i) {
      const clap_event_header_t* event = in->get(in, i);
      if (!event) continue;
      const std::uint32_t at = event->time < frames ? event->time : frames;
      if (audio && at > done) p->render(*process, done, at);
      if (at > done) done = at;
      p->apply(event);
    }
    if (audio && frames > done) p->render(*process, done, frames);
    p->sendGestures(process->out_events);
    return CLAP_PROCESS_CONTINUE;
  }

  void render(const clap_process_t& process, std::uint32_t from, std::uint32_t to) {
    const clap_audio_buffer_t& in = process.audio_inputs[0];
    clap_audio_buffer_t& out = process.audio_outputs[0];
    out.constant_mask = 0;
    if (out.data64 && in.data64)
      renderSpans(in.data64, out.data64, from, to,
                  [this](double** i, double** o, VstInt32 n) { effect_->processDoubleReplacing(i, o, n); });
    else if (out.data32 && in.data32)
      renderSpans(in.data32, out.data32, from, to,
                  [this](float** i, float** o, VstInt32 n) { effect_->processReplacing(i, o, n); });
  }

  template <class Sample, class Fn>
  static void renderSpans(Sample** in, Sample** out, std::uint32_t from, std::uint32_t to, Fn&& fn) {
    if (!in[0] || !in[1] || !out[0] || !out[1]) return;
    for (std::uint32_t done = from; done < to;) {
      const std::uint32_t span = to - done < kLongestSpan ? to - done : kLongestSpan;
      Sample* i[2] = {in[0] + done, in[1] + done};
      Sample* o[2] = {out[0] + done, out[1] + done};
      fn(i, o, static_cast<VstInt32>(span));
      done += span;
    }
  }

  // A value the effect already plays is left alone, so its exact value and
  // the chunk bytes stay as they are (a host echoing values back changes
  // nothing).
  void apply(const clap_event_header_t* event) {
    if (event->space_id != CLAP_CORE_EVENT_SPACE_ID || event->type != CLAP_EVENT_PARAM_VALUE ||
        event->size < sizeof(clap_event_param_value_t))
      return;
    const auto* value = reinterpret_cast<const clap_event_param_value_t*>(event);
    if (value->param_id >= static_cast<clap_id>(kParameterCount)) return;
    const int index = static_cast<int>(value->param_id);
    const ParameterUnits units = unitsOf<Product>();
    const float held = static_cast<float>(value->value);
    if (held == held && formats::portShows(units, index, held, effect_->getParameter(index))) return;
    effect_->setParameter(index, parameterValueOf(units, index, value->value));
  }

  // What the editor queued goes out in order; what the host cannot take now
  // waits for its next call.
  void sendGestures(const clap_output_events_t* out) {
    if (!out || !out->try_push) return;
    Gesture gesture;
    while (gestures_.peek(gesture)) {
      bool taken;
      if (gesture.kind == Gesture::Kind::Value) {
        clap_event_param_value_t event{};
        event.header = {sizeof event, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, CLAP_EVENT_IS_LIVE};
        event.param_id = gesture.param;
        event.note_id = -1;
        event.port_index = -1;
        event.channel = -1;
        event.key = -1;
        event.value = gesture.value;
        taken = out->try_push(out, &event.header);
      } else {
        clap_event_param_gesture_t event{};
        const std::uint16_t type =
            gesture.kind == Gesture::Kind::Begin ? CLAP_EVENT_PARAM_GESTURE_BEGIN : CLAP_EVENT_PARAM_GESTURE_END;
        event.header = {sizeof event, 0, CLAP_CORE_EVENT_SPACE_ID, type, CLAP_EVENT_IS_LIVE};
        event.param_id = gesture.param;
        taken = out->try_push(out, &event.header);
      }
      if (!taken) return;
      gestures_.pop();
    }
  }

  // --- parameters ---

  static std::uint32_t CLAP_ABI paramCount(const clap_plugin_t*) { return kParameterCount; }

  static bool CLAP_ABI paramInfo(const clap_plugin_t* plugin, std::uint32_t index, clap_param_info_t* info) {
    Plugin* p = self(plugin);
    if (!info || index >= static_cast<std::uint32_t>(kParameterCount) || !p->effect_) return false;
    const int i = static_cast<int>(index);
    const ParameterUnits units = unitsOf<Product>();
    const std::optional<formats::ControlPortRange> range = formats::controlPortRange(units, i);
    if (!range) return false;
    *info = {};
    info->id = index;
    info->flags = CLAP_PARAM_IS_AUTOMATABLE;
    if (range->kind != formats::PortKind::Decibels) info->flags |= CLAP_PARAM_IS_STEPPED;
    if (Product::kParameters[i].role == ParameterRole::OnOff) info->flags |= CLAP_PARAM_IS_BYPASS;
    std::snprintf(info->name, sizeof info->name, "%s", Product::kParameters[i].name);
    info->min_value = range->minimum;
    info->max_value = range->maximum;
    info->default_value = clapValueOf(units, i, p->defaults_[i]);
    return true;
  }

  static bool CLAP_ABI paramValue(const clap_plugin_t* plugin, clap_id id, double* value) {
    Plugin* p = self(plugin);
    if (!value || id >= static_cast<clap_id>(kParameterCount) || !p->effect_) return false;
    const int i = static_cast<int>(id);
    *value = clapValueOf(unitsOf<Product>(), i, p->effect_->getParameter(i));
    return true;
  }

  static bool CLAP_ABI valueToText(const clap_plugin_t*, clap_id id, double value, char* text, std::uint32_t capacity) {
    if (!text || capacity == 0 || id >= static_cast<clap_id>(kParameterCount)) return false;
    const int i = static_cast<int>(id);
    const ParameterUnits units = unitsOf<Product>();
    char printed[kValueTextCapacity];
    if (!units.format(i, parameterValueOf(units, i, value), printed)) return false;
    const std::size_t length = std::strlen(printed);
    if (length >= capacity) return false;
    std::memcpy(text, printed, length + 1);
    return true;
  }

  static bool CLAP_ABI textToValue(const clap_plugin_t*, clap_id id, const char* text, double* value) {
    if (!text || !value || id >= static_cast<clap_id>(kParameterCount)) return false;
    const int i = static_cast<int>(id);
    const ParameterUnits units = unitsOf<Product>();
    const std::optional<float> parsed = units.parse(i, text);
    if (!parsed) return false;
    *value = clapValueOf(units, i, *parsed);
    return true;
  }

  static void CLAP_ABI flush(const clap_plugin_t* plugin, const clap_input_events_t* in,
                             const clap_output_events_t* out) {
    Plugin* p = self(plugin);
    if (!p->effect_) return;
    const std::uint32_t events = in && in->size && in->get ? in->size(in) : 0;
    for (std::uint32_t i = 0; i < events; ++i)
      if (const clap_event_header_t* event = in->get(in, i)) p->apply(event);
    p->sendGestures(out);
  }

  // --- state (main thread): the bank chunk of effGetChunk / effSetChunk,
  // then the current program (formats/common/session_state.h) ---

  static bool CLAP_ABI save(const clap_plugin_t* plugin, const clap_ostream_t* stream) {
    Plugin* p = self(plugin);
    if (!p->effect_) return false;
    std::vector<std::uint8_t> session;
    try {
      session = formats::saveSession(*p->effect_->getAeffect());
    } catch (const std::bad_alloc&) {
      return false;
    }
    if (session.empty()) return false;
    return writeAll(stream, session.data(), session.size());
  }

  // Every state but a bank with or without its program trailer is refused,
  // so no stream is read further than one byte past the longer of the two.
  static bool CLAP_ABI load(const clap_plugin_t* plugin, const clap_istream_t* stream) {
    Plugin* p = self(plugin);
    if (!p->effect_) return false;
    void* current = nullptr;
    const VstIntPtr bankSize = p->dispatch(effGetChunk, 0, 0, &current);
    if (bankSize <= 0) return false;
    std::optional<std::vector<std::uint8_t>> data;
    try {
      data = readAtMost(stream, static_cast<std::uint64_t>(bankSize) + formats::kProgramTrailerSize);
    } catch (const std::bad_alloc&) {
      return false;
    }
    if (!data || data->empty()) return false;
    return formats::restoreSession(*p->effect_->getAeffect(), data->data(), data->size());
  }

  // --- audio ports and latency ---

  static std::uint32_t CLAP_ABI portCount(const clap_plugin_t*, bool) { return 1; }
  static bool CLAP_ABI portInfo(const clap_plugin_t*, std::uint32_t index, bool isInput, clap_audio_port_info_t* info) {
    if (index != 0 || !info) return false;
    *info = {};
    info->id = 0;
    std::snprintf(info->name, sizeof info->name, "%s", isInput ? "Input" : "Output");
    info->flags = CLAP_AUDIO_PORT_IS_MAIN | CLAP_AUDIO_PORT_SUPPORTS_64BITS;
    info->channel_count = 2;
    info->port_type = CLAP_PORT_STEREO;
    info->in_place_pair = 0;  // the port of the same id on the other side
    return true;
  }

  static std::uint32_t CLAP_ABI latency(const clap_plugin_t*) { return 0; }

  // --- the editor (main thread) ---

  editor::AEffGUIEditor* editor() const {
    return effect_ ? dynamic_cast<editor::AEffGUIEditor*>(effect_->getEditor()) : nullptr;
  }

  static bool CLAP_ABI guiApiSupported(const clap_plugin_t*, const char* api, bool floating) {
    return !floating && api && std::strcmp(api, kNativeWindowApi) == 0;
  }
  static bool CLAP_ABI guiPreferredApi(const clap_plugin_t*, const char** api, bool* floating) {
    if (!api || !floating) return false;
    *api = kNativeWindowApi;
    *floating = false;
    return true;
  }

  static bool CLAP_ABI guiCreate(const clap_plugin_t* plugin, const char* api, bool floating) {
    Plugin* p = self(plugin);
    editor::AEffGUIEditor* e = p->editor();
    if (!guiApiSupported(plugin, api, floating) || p->guiCreated_ || !e || e->isOpen()) return false;
    p->guiCreated_ = true;
    // Windows drives the panel from a timer on its own window (set_parent).
    if (!kWindowHasTimer && p->hostTimers_ && p->hostTimers_->register_timer &&
        !p->hostTimers_->register_timer(p->host_, kEditorTickMs, &p->timerId_))
      p->timerId_ = CLAP_INVALID_ID;
    return true;
  }

  static void CLAP_ABI guiDestroy(const clap_plugin_t* plugin) {
    Plugin* p = self(plugin);
    if (!p->guiCreated_) return;
    p->closeWindow();
    if (p->timerId_ != CLAP_INVALID_ID && p->hostTimers_ && p->hostTimers_->unregister_timer)
      p->hostTimers_->unregister_timer(p->host_, p->timerId_);
    p->timerId_ = CLAP_INVALID_ID;
    p->guiCreated_ = false;
  }

  void closeWindow() {
    if (!windowOpen_) return;
    editor::AEffGUIEditor* e = editor();
    void* window = e && e->getFrame() ? e->getFrame()->getSystemWindow() : nullptr;
    if (windowTimer_) stopWindowTimer(window);
    windowTimer_ = false;
    if (fd_ >= 0 && hostFds_ && hostFds_->unregister_fd) hostFds_->unregister_fd(host_, fd_);
    fd_ = -1;
    if (e) e->close();
    windowOpen_ = false;
    // A drag the panel's closing cuts short still ends its gesture at the host.
    bool ended = false;
    for (int i = 0; i < kParameterCount; ++i)
      if (gestureOpen_[i]) {
        gestureOpen_[i] = false;
        gestures_.push({Gesture::Kind::End, static_cast<std::uint32_t>(i), 0.0});
        ended = true;
      }
    if (ended) requestFlushIfIdle();
  }

  static bool CLAP_ABI guiSetParent(const clap_plugin_t* plugin, const clap_window_t* window) {
    Plugin* p = self(plugin);
    editor::AEffGUIEditor* e = p->editor();
    if (!p->guiCreated_ || p->windowOpen_ || !e || !window || !window->api ||
        std::strcmp(window->api, kNativeWindowApi) != 0)
      return false;
#if defined(_WIN32)
    void* parent = window->win32;
#else
    void* parent = reinterpret_cast<void*>(static_cast<std::uintptr_t>(window->x11));
#endif
    if (!parent || !e->open(parent) || !e->getFrame() || !e->getFrame()->getSystemWindow()) {
      e->close();
      return false;
    }
    p->windowOpen_ = true;
    void* system = e->getFrame()->getSystemWindow();
    p->windowTimer_ = startWindowTimer(system, kEditorTickMs, tick, p);
    const int fd = windowConnectionFd(system);
    if (fd >= 0 && p->hostFds_ && p->hostFds_->register_fd &&
        p->hostFds_->register_fd(p->host_, fd, CLAP_POSIX_FD_READ))
      p->fd_ = fd;
    return true;
  }

  // The host shows and hides its own window around ours.
  static bool CLAP_ABI guiShow(const clap_plugin_t* plugin) { return self(plugin)->guiCreated_; }
  static bool CLAP_ABI guiHide(const clap_plugin_t* plugin) { return self(plugin)->guiCreated_; }

  // The host's factor is one of the editor's size sources (the user's
  // choice comes first); a change while open is applied at the next tick.
  static bool CLAP_ABI guiSetScale(const clap_plugin_t* plugin, double scale) {
    editor::AEffGUIEditor* e = self(plugin)->editor();
    if (!e || !(scale > 0.0)) return false;
    e->setScale(editor::AEffGUIEditor::ScaleSource::Host, nearestEditorScale(scale));
    return true;
  }

  static bool CLAP_ABI guiGetSize(const clap_plugin_t* plugin, std::uint32_t* width, std::uint32_t* height) {
    editor::AEffGUIEditor* e = self(plugin)->editor();
    ERect* rect = nullptr;
    if (!e || !width || !height || !e->getRect(&rect) || !rect) return false;
    *width = static_cast<std::uint32_t>(rect->right - rect->left);
    *height = static_cast<std::uint32_t>(rect->bottom - rect->top);
    return true;
  }

  // The panel has fixed sizes: the user picks one in its Size menu, and
  // the editor asks the host through request_resize.
  static bool CLAP_ABI guiCanResize(const clap_plugin_t*) { return false; }
  static bool CLAP_ABI guiResizeHints(const clap_plugin_t*, clap_gui_resize_hints_t*) { return false; }
  static bool CLAP_ABI guiAdjustSize(const clap_plugin_t*, std::uint32_t*, std::uint32_t*) { return false; }
  static bool CLAP_ABI guiSetSize(const clap_plugin_t* plugin, std::uint32_t width, std::uint32_t height) {
    std::uint32_t w = 0, h = 0;
    return guiGetSize(plugin, &w, &h) && w == width && h == height;
  }
  static bool CLAP_ABI guiSetTransient(const clap_plugin_t*, const clap_window_t*) { return false; }
  static void CLAP_ABI guiSuggestTitle(const clap_plugin_t*, const char*) {}

  static void tick(void* context) { static_cast<Plugin*>(context)->pump(); }
  void pump() {
    if (editor::AEffGUIEditor* e = editor(); e && windowOpen_) e->idle();
  }
  static void CLAP_ABI onTimer(const clap_plugin_t* plugin, clap_id id) {
    Plugin* p = self(plugin);
    if (id == p->timerId_) p->pump();
  }
  static void CLAP_ABI onFd(const clap_plugin_t* plugin, int fd, std::uint32_t) {
    Plugin* p = self(plugin);
    if (fd == p->fd_) p->pump();
  }

  // --- the effect's host calls ---

  void requestFlushIfIdle() {
    if (!processing_.load(std::memory_order_acquire) && hostParams_ && hostParams_->request_flush)
      hostParams_->request_flush(host_);
  }

  // The editor's gestures and values (on the main thread), and the effect's
  // word that many values changed at once (a program, a side, a preset),
  // which the host hears on its main thread as a rescan of the values.
  static VstIntPtr VSTCALLBACK answerAsHost(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void*,
                                            float opt) {
    if (opcode == audioMasterVersion) return 2400;
    Plugin* p = effect ? static_cast<Plugin*>(effect->user) : nullptr;
    if (!p) return 0;
    const bool parameter = index >= 0 && index < kParameterCount;
    const auto id = static_cast<std::uint32_t>(index);
    switch (opcode) {
      case audioMasterAutomate:
        if (!parameter) return 0;
        p->gestures_.push({Gesture::Kind::Value, id, clapValueOf(unitsOf<Product>(), index, opt)});
        p->requestFlushIfIdle();
        return 0;
      case audioMasterBeginEdit:
        if (!parameter) return 0;
        p->gestureOpen_[index] = true;
        p->gestures_.push({Gesture::Kind::Begin, id, 0.0});
        p->requestFlushIfIdle();
        return 1;
      case audioMasterEndEdit:
        if (!parameter) return 0;
        p->gestureOpen_[index] = false;
        p->gestures_.push({Gesture::Kind::End, id, 0.0});
        p->requestFlushIfIdle();
        return 1;
      case audioMasterUpdateDisplay:
        p->rescanPending_.store(true, std::memory_order_release);
        if (p->host_->request_callback) p->host_->request_callback(p->host_);
        return 1;
      case audioMasterSizeWindow:
        return p->hostGui_ && p->hostGui_->request_resize &&
                       p->hostGui_->request_resize(p->host_, static_cast<std::uint32_t>(index),
                                                   static_cast<std::uint32_t>(value))
                   ? 1
                   : 0;
      default:
        return 0;
    }
  }

  static void CLAP_ABI onMainThread(const clap_plugin_t* plugin) {
    Plugin* p = self(plugin);
    if (p->rescanPending_.exchange(false, std::memory_order_acq_rel) && p->hostParams_ && p->hostParams_->rescan)
      p->hostParams_->rescan(p->host_, CLAP_PARAM_RESCAN_VALUES);
  }

  static const void* CLAP_ABI getExtension(const clap_plugin_t*, const char* id) {
    static const clap_plugin_params_t params = {paramCount, paramInfo, paramValue, valueToText, textToValue, flush};
    static const clap_plugin_state_t state = {save, load};
    static const clap_plugin_audio_ports_t ports = {portCount, portInfo};
    static const clap_plugin_latency_t latencyExtension = {latency};
    static const clap_plugin_gui_t gui = {guiApiSupported, guiPreferredApi, guiCreate,       guiDestroy,    guiSetScale,
                                          guiGetSize,      guiCanResize,    guiResizeHints,  guiAdjustSize, guiSetSize,
                                          guiSetParent,    guiSetTransient, guiSuggestTitle, guiShow,       guiHide};
    static const clap_plugin_timer_support_t timers = {onTimer};
    static const clap_plugin_posix_fd_support_t fds = {onFd};
    if (!id) return nullptr;
    if (std::strcmp(id, CLAP_EXT_PARAMS) == 0) return &params;
    if (std::strcmp(id, CLAP_EXT_STATE) == 0) return &state;
    if (std::strcmp(id, CLAP_EXT_AUDIO_PORTS) == 0) return &ports;
    if (std::strcmp(id, CLAP_EXT_LATENCY) == 0) return &latencyExtension;
    if (std::strcmp(id, CLAP_EXT_GUI) == 0) return &gui;
    if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0) return &timers;
#if !defined(_WIN32)
    if (std::strcmp(id, CLAP_EXT_POSIX_FD_SUPPORT) == 0) return &fds;
#else
    (void)fds;
#endif
    return nullptr;
  }

  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f) {
    return effect_->dispatcher(opcode, index, value, ptr, opt);
  }

  // A CLAP block may be longer than a VST one can say.
  static constexpr std::uint32_t kLongestSpan = static_cast<std::uint32_t>(std::numeric_limits<VstInt32>::max());

  clap_plugin_t plugin_{};
  const clap_host_t* host_;
  const clap_host_params_t* hostParams_ = nullptr;
  const clap_host_gui_t* hostGui_ = nullptr;
  const clap_host_timer_support_t* hostTimers_ = nullptr;
  const clap_host_posix_fd_support_t* hostFds_ = nullptr;
  std::unique_ptr<Sorvane<Product>> effect_;
  float defaults_[kParameterCount] = {};
  bool active_ = false;  // main thread; constant while process runs
  std::atomic<bool> processing_{false};
  std::atomic<bool> rescanPending_{false};
  GestureQueue gestures_;
  // The editor (main thread).
  bool guiCreated_ = false;
  bool windowOpen_ = false;
  bool windowTimer_ = false;
  clap_id timerId_ = CLAP_INVALID_ID;
  int fd_ = -1;
  bool gestureOpen_[kParameterCount] = {};
};

// The factory and the entry's functions; each entry file exports
// {CLAP_VERSION, Factory<P>::init, Factory<P>::deinit, Factory<P>::get}.
template <class Product>
struct Factory {
  static std::uint32_t CLAP_ABI count(const clap_plugin_factory_t*) { return 1; }
  static const clap_plugin_descriptor_t* CLAP_ABI descriptor(const clap_plugin_factory_t*, std::uint32_t index) {
    return index == 0 ? &Catalogue<Product>::get().descriptor : nullptr;
  }
  static const clap_plugin_t* CLAP_ABI create(const clap_plugin_factory_t*, const clap_host_t* host, const char* id) {
    if (!host || !id || !clap_version_is_compatible(host->clap_version) || std::strcmp(id, Identity<Product>::kId) != 0)
      return nullptr;
    return Plugin<Product>::create(host);
  }

  static bool CLAP_ABI init(const char* path) {
    (void)Catalogue<Product>::get();
    return path != nullptr;
  }
  static void CLAP_ABI deinit() {}
  static const void* CLAP_ABI get(const char* id) {
    static const clap_plugin_factory_t factory = {count, descriptor, create};
    return id && std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) == 0 ? &factory : nullptr;
  }
};

}  // namespace sorvane::clap
