// A small CLAP host for the tests: loads a built .clap file, makes its
// plug-in with a host record of its own and records what the plug-in asks
// of it (rescans, flush and callback requests, resize requests, timers,
// file descriptors, output events).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "formats/clap/abi/events.h"
#include "formats/clap/abi/extensions.h"
#include "hostkit/library.h"

namespace sorvane::clap::testing {

// Where the build put the products' files, as this program sees them.
inline std::string clapFile(const char* name) { return std::string(SORVANE_CLAP_DIR) + SORVANE_PATH_SEPARATOR + name; }

struct OutEvent {
  std::uint16_t type;
  clap_id param;
  double value;
};

class TestHost {
 public:
  explicit TestHost(const std::string& path) {
    std::string error;
    library_ = hostkit::Library::load(path, error);
    EXPECT_TRUE(library_.isLoaded()) << error;
    if (!library_.isLoaded()) return;
    entry = static_cast<const clap_plugin_entry_t*>(library_.symbol("clap_entry"));
    EXPECT_NE(entry, nullptr);
    if (!entry || !entry->init(path.c_str())) return;
    initialised_ = true;
    factory = static_cast<const clap_plugin_factory_t*>(entry->get_factory(CLAP_PLUGIN_FACTORY_ID));
  }
  // An entry linked into the test program itself.
  explicit TestHost(const clap_plugin_entry_t* linked, const char* path) : entry(linked) {
    if (!entry->init(path)) return;
    initialised_ = true;
    factory = static_cast<const clap_plugin_factory_t*>(entry->get_factory(CLAP_PLUGIN_FACTORY_ID));
  }
  ~TestHost() {
    if (plugin) plugin->destroy(plugin);
    if (initialised_) entry->deinit();
  }
  TestHost(const TestHost&) = delete;
  TestHost& operator=(const TestHost&) = delete;

  // Makes and initialises the factory's first plug-in; false on failure.
  bool create() {
    if (!factory) return false;
    const clap_plugin_descriptor_t* d = factory->get_plugin_descriptor(factory, 0);
    plugin = d ? factory->create_plugin(factory, &host, d->id) : nullptr;
    if (!plugin || !plugin->init(plugin)) return false;
    params = ext<clap_plugin_params_t>(CLAP_EXT_PARAMS);
    state = ext<clap_plugin_state_t>(CLAP_EXT_STATE);
    ports = ext<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
    gui = ext<clap_plugin_gui_t>(CLAP_EXT_GUI);
    timers = ext<clap_plugin_timer_support_t>(CLAP_EXT_TIMER_SUPPORT);
    fds = ext<clap_plugin_posix_fd_support_t>(CLAP_EXT_POSIX_FD_SUPPORT);
    latency = ext<clap_plugin_latency_t>(CLAP_EXT_LATENCY);
    return params && state && ports;
  }

  template <class T>
  const T* ext(const char* id) const {
    return static_cast<const T*>(plugin->get_extension(plugin, id));
  }

  std::vector<std::uint8_t> save() {
    std::vector<std::uint8_t> bytes;
    const clap_ostream_t stream{&bytes, [](const clap_ostream_t* s, const void* data, std::uint64_t size) {
                                  auto* out = static_cast<std::vector<std::uint8_t>*>(s->ctx);
                                  out->insert(out->end(), static_cast<const std::uint8_t*>(data),
                                              static_cast<const std::uint8_t*>(data) + size);
                                  return static_cast<std::int64_t>(size);
                                }};
    EXPECT_TRUE(state->save(plugin, &stream));
    return bytes;
  }

  // Flushes the given value events and collects what the plug-in sends.
  void flush(const std::vector<clap_event_param_value_t>& values = {}) {
    Events in{values};
    const clap_input_events_t list{&in, Events::size, Events::get};
    const clap_output_events_t out{this, push};
    params->flush(plugin, &list, &out);
  }

  static clap_event_param_value_t valueEvent(clap_id id, double value, std::uint32_t time = 0) {
    clap_event_param_value_t e{};
    e.header = {sizeof e, time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
    e.param_id = id;
    e.note_id = -1;
    e.port_index = e.channel = e.key = -1;
    e.value = value;
    return e;
  }

  struct Events {
    const std::vector<clap_event_param_value_t>& values;
    static std::uint32_t CLAP_ABI size(const clap_input_events_t* l) {
      return static_cast<std::uint32_t>(static_cast<const Events*>(l->ctx)->values.size());
    }
    static const clap_event_header_t* CLAP_ABI get(const clap_input_events_t* l, std::uint32_t i) {
      return &static_cast<const Events*>(l->ctx)->values[i].header;
    }
  };
  static bool CLAP_ABI push(const clap_output_events_t* list, const clap_event_header_t* e) {
    auto* self = static_cast<TestHost*>(list->ctx);
    double value = 0.0;
    clap_id id = CLAP_INVALID_ID;
    if (e->type == CLAP_EVENT_PARAM_VALUE) {
      const auto* v = reinterpret_cast<const clap_event_param_value_t*>(e);
      id = v->param_id;
      value = v->value;
    } else if (e->type == CLAP_EVENT_PARAM_GESTURE_BEGIN || e->type == CLAP_EVENT_PARAM_GESTURE_END) {
      id = reinterpret_cast<const clap_event_param_gesture_t*>(e)->param_id;
    }
    self->outEvents.push_back({e->type, id, value});
    return true;
  }

  // What the plug-in asked of its host.
  int rescans = 0;
  std::uint32_t rescanFlags = 0;
  int flushRequests = 0;
  int callbackRequests = 0;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> resizeRequests;
  bool acceptResize = true;
  std::vector<clap_id> liveTimers;
  std::vector<int> liveFds;
  std::vector<OutEvent> outEvents;

  const clap_plugin_entry_t* entry = nullptr;
  const clap_plugin_factory_t* factory = nullptr;
  const clap_plugin_t* plugin = nullptr;
  const clap_plugin_params_t* params = nullptr;
  const clap_plugin_state_t* state = nullptr;
  const clap_plugin_audio_ports_t* ports = nullptr;
  const clap_plugin_gui_t* gui = nullptr;
  const clap_plugin_timer_support_t* timers = nullptr;
  const clap_plugin_posix_fd_support_t* fds = nullptr;
  const clap_plugin_latency_t* latency = nullptr;

 private:
  static TestHost* of(const clap_host_t* h) { return static_cast<TestHost*>(h->host_data); }
  static const void* CLAP_ABI hostExtension(const clap_host_t*, const char* extension) {
    static const clap_host_params_t hostParams = {[](const clap_host_t* h, std::uint32_t flags) {
                                                    ++of(h)->rescans;
                                                    of(h)->rescanFlags |= flags;
                                                  },
                                                  [](const clap_host_t*, clap_id, std::uint32_t) {},
                                                  [](const clap_host_t* h) { ++of(h)->flushRequests; }};
    static const clap_host_gui_t hostGui = {[](const clap_host_t*) {},
                                            [](const clap_host_t* h, std::uint32_t w, std::uint32_t hh) {
                                              of(h)->resizeRequests.emplace_back(w, hh);
                                              return of(h)->acceptResize;
                                            },
                                            [](const clap_host_t*) { return false; },
                                            [](const clap_host_t*) { return false; }, [](const clap_host_t*, bool) {}};
    static const clap_host_timer_support_t hostTimers = {[](const clap_host_t* h, std::uint32_t, clap_id* id) {
                                                           static clap_id next = 100;
                                                           *id = next++;
                                                           of(h)->liveTimers.push_back(*id);
                                                           return true;
                                                         },
                                                         [](const clap_host_t* h, clap_id id) {
                                                           auto& t = of(h)->liveTimers;
                                                           const auto at = std::find(t.begin(), t.end(), id);
                                                           if (at == t.end()) return false;
                                                           t.erase(at);
                                                           return true;
                                                         }};
    static const clap_host_posix_fd_support_t hostFds = {[](const clap_host_t* h, int fd, std::uint32_t) {
                                                           of(h)->liveFds.push_back(fd);
                                                           return true;
                                                         },
                                                         [](const clap_host_t*, int, std::uint32_t) { return true; },
                                                         [](const clap_host_t* h, int fd) {
                                                           auto& f = of(h)->liveFds;
                                                           const auto at = std::find(f.begin(), f.end(), fd);
                                                           if (at == f.end()) return false;
                                                           f.erase(at);
                                                           return true;
                                                         }};
    if (std::strcmp(extension, CLAP_EXT_PARAMS) == 0) return &hostParams;
    if (std::strcmp(extension, CLAP_EXT_GUI) == 0) return &hostGui;
    if (std::strcmp(extension, CLAP_EXT_TIMER_SUPPORT) == 0) return &hostTimers;
    if (std::strcmp(extension, CLAP_EXT_POSIX_FD_SUPPORT) == 0) return &hostFds;
    return nullptr;
  }

 public:
  clap_host_t host{CLAP_VERSION,
                   this,
                   "clap tests",
                   "Sorvane",
                   "",
                   "1",
                   hostExtension,
                   [](const clap_host_t*) {},
                   [](const clap_host_t*) {},
                   [](const clap_host_t* h) { ++of(h)->callbackRequests; }};

 private:
  hostkit::Library library_;
  bool initialised_ = false;
};

}  // namespace sorvane::clap::testing
