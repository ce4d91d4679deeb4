// The CLAP extensions our plug-ins offer or ask their host for: audio
// ports, parameters, state, latency, the editor window, and the host's
// timers and file-descriptor watch that drive the editor on Linux.
#pragma once

#include "formats/clap/abi/core.h"

extern "C" {

// Audio ports.
inline constexpr const char CLAP_EXT_AUDIO_PORTS[] = "clap.audio-ports";
inline constexpr const char CLAP_PORT_STEREO[] = "stereo";

enum : std::uint32_t {
  CLAP_AUDIO_PORT_IS_MAIN = 1u << 0,
  CLAP_AUDIO_PORT_SUPPORTS_64BITS = 1u << 1,
  CLAP_AUDIO_PORT_PREFERS_64BITS = 1u << 2,
  CLAP_AUDIO_PORT_REQUIRES_COMMON_SAMPLE_SIZE = 1u << 3,
};

struct clap_audio_port_info_t {
  clap_id id;
  char name[CLAP_NAME_SIZE];
  std::uint32_t flags;
  std::uint32_t channel_count;
  const char* port_type;
  clap_id in_place_pair;
};

struct clap_plugin_audio_ports_t {
  std::uint32_t(CLAP_ABI* count)(const clap_plugin_t* plugin, bool is_input);
  bool(CLAP_ABI* get)(const clap_plugin_t* plugin, std::uint32_t index, bool is_input, clap_audio_port_info_t* info);
};

// Parameters.
inline constexpr const char CLAP_EXT_PARAMS[] = "clap.params";

enum : std::uint32_t {
  CLAP_PARAM_IS_STEPPED = 1u << 0,
  CLAP_PARAM_IS_PERIODIC = 1u << 1,
  CLAP_PARAM_IS_HIDDEN = 1u << 2,
  CLAP_PARAM_IS_READONLY = 1u << 3,
  CLAP_PARAM_IS_BYPASS = 1u << 4,
  CLAP_PARAM_IS_AUTOMATABLE = 1u << 5,
  CLAP_PARAM_IS_MODULATABLE = 1u << 10,
  CLAP_PARAM_REQUIRES_PROCESS = 1u << 15,
  CLAP_PARAM_IS_ENUM = 1u << 16,
};

struct clap_param_info_t {
  clap_id id;
  std::uint32_t flags;
  void* cookie;
  char name[CLAP_NAME_SIZE];
  char module[CLAP_PATH_SIZE];
  double min_value;
  double max_value;
  double default_value;
};

struct clap_plugin_params_t {
  std::uint32_t(CLAP_ABI* count)(const clap_plugin_t* plugin);
  bool(CLAP_ABI* get_info)(const clap_plugin_t* plugin, std::uint32_t param_index, clap_param_info_t* param_info);
  bool(CLAP_ABI* get_value)(const clap_plugin_t* plugin, clap_id param_id, double* out_value);
  bool(CLAP_ABI* value_to_text)(const clap_plugin_t* plugin, clap_id param_id, double value, char* out_buffer,
                                std::uint32_t out_buffer_capacity);
  bool(CLAP_ABI* text_to_value)(const clap_plugin_t* plugin, clap_id param_id, const char* param_value_text,
                                double* out_value);
  void(CLAP_ABI* flush)(const clap_plugin_t* plugin, const clap_input_events_t* in, const clap_output_events_t* out);
};

enum : std::uint32_t {
  CLAP_PARAM_RESCAN_VALUES = 1u << 0,
  CLAP_PARAM_RESCAN_TEXT = 1u << 1,
  CLAP_PARAM_RESCAN_INFO = 1u << 2,
  CLAP_PARAM_RESCAN_ALL = 1u << 3,
};
enum : std::uint32_t {
  CLAP_PARAM_CLEAR_ALL = 1u << 0,
  CLAP_PARAM_CLEAR_AUTOMATIONS = 1u << 1,
  CLAP_PARAM_CLEAR_MODULATIONS = 1u << 2,
};

struct clap_host_params_t {
  void(CLAP_ABI* rescan)(const clap_host_t* host, std::uint32_t flags);
  void(CLAP_ABI* clear)(const clap_host_t* host, clap_id param_id, std::uint32_t flags);
  void(CLAP_ABI* request_flush)(const clap_host_t* host);
};

// State.
inline constexpr const char CLAP_EXT_STATE[] = "clap.state";

struct clap_plugin_state_t {
  bool(CLAP_ABI* save)(const clap_plugin_t* plugin, const clap_ostream_t* stream);
  bool(CLAP_ABI* load)(const clap_plugin_t* plugin, const clap_istream_t* stream);
};

struct clap_host_state_t {
  void(CLAP_ABI* mark_dirty)(const clap_host_t* host);
};

// Latency.
inline constexpr const char CLAP_EXT_LATENCY[] = "clap.latency";

struct clap_plugin_latency_t {
  std::uint32_t(CLAP_ABI* get)(const clap_plugin_t* plugin);
};

struct clap_host_latency_t {
  void(CLAP_ABI* changed)(const clap_host_t* host);
};

// The editor window.
inline constexpr const char CLAP_EXT_GUI[] = "clap.gui";
inline constexpr const char CLAP_WINDOW_API_WIN32[] = "win32";
inline constexpr const char CLAP_WINDOW_API_COCOA[] = "cocoa";
inline constexpr const char CLAP_WINDOW_API_X11[] = "x11";
inline constexpr const char CLAP_WINDOW_API_WAYLAND[] = "wayland";

struct clap_window_t {
  const char* api;
  union {
    void* cocoa;
    unsigned long x11;
    void* win32;
    void* ptr;
  };
};

struct clap_gui_resize_hints_t {
  bool can_resize_horizontally;
  bool can_resize_vertically;
  bool preserve_aspect_ratio;
  std::uint32_t aspect_ratio_width;
  std::uint32_t aspect_ratio_height;
};

struct clap_plugin_gui_t {
  bool(CLAP_ABI* is_api_supported)(const clap_plugin_t* plugin, const char* api, bool is_floating);
  bool(CLAP_ABI* get_preferred_api)(const clap_plugin_t* plugin, const char** api, bool* is_floating);
  bool(CLAP_ABI* create)(const clap_plugin_t* plugin, const char* api, bool is_floating);
  void(CLAP_ABI* destroy)(const clap_plugin_t* plugin);
  bool(CLAP_ABI* set_scale)(const clap_plugin_t* plugin, double scale);
  bool(CLAP_ABI* get_size)(const clap_plugin_t* plugin, std::uint32_t* width, std::uint32_t* height);
  bool(CLAP_ABI* can_resize)(const clap_plugin_t* plugin);
  bool(CLAP_ABI* get_resize_hints)(const clap_plugin_t* plugin, clap_gui_resize_hints_t* hints);
  bool(CLAP_ABI* adjust_size)(const clap_plugin_t* plugin, std::uint32_t* width, std::uint32_t* height);
  bool(CLAP_ABI* set_size)(const clap_plugin_t* plugin, std::uint32_t width, std::uint32_t height);
  bool(CLAP_ABI* set_parent)(const clap_plugin_t* plugin, const clap_window_t* window);
  bool(CLAP_ABI* set_transient)(const clap_plugin_t* plugin, const clap_window_t* window);
  void(CLAP_ABI* suggest_title)(const clap_plugin_t* plugin, const char* title);
  bool(CLAP_ABI* show)(const clap_plugin_t* plugin);
  bool(CLAP_ABI* hide)(const clap_plugin_t* plugin);
};

struct clap_host_gui_t {
  void(CLAP_ABI* resize_hints_changed)(const clap_host_t* host);
  bool(CLAP_ABI* request_resize)(const clap_host_t* host, std::uint32_t width, std::uint32_t height);
  bool(CLAP_ABI* request_show)(const clap_host_t* host);
  bool(CLAP_ABI* request_hide)(const clap_host_t* host);
  void(CLAP_ABI* closed)(const clap_host_t* host, bool was_destroyed);
};

// The host's timers, on its main thread.
inline constexpr const char CLAP_EXT_TIMER_SUPPORT[] = "clap.timer-support";

struct clap_plugin_timer_support_t {
  void(CLAP_ABI* on_timer)(const clap_plugin_t* plugin, clap_id timer_id);
};

struct clap_host_timer_support_t {
  bool(CLAP_ABI* register_timer)(const clap_host_t* host, std::uint32_t period_ms, clap_id* timer_id);
  bool(CLAP_ABI* unregister_timer)(const clap_host_t* host, clap_id timer_id);
};

// The host's watch on file descriptors (POSIX), on its main thread.
inline constexpr const char CLAP_EXT_POSIX_FD_SUPPORT[] = "clap.posix-fd-support";

enum : std::uint32_t {
  CLAP_POSIX_FD_READ = 1u << 0,
  CLAP_POSIX_FD_WRITE = 1u << 1,
  CLAP_POSIX_FD_ERROR = 1u << 2,
};

struct clap_plugin_posix_fd_support_t {
  void(CLAP_ABI* on_fd)(const clap_plugin_t* plugin, int fd, std::uint32_t flags);
};

struct clap_host_posix_fd_support_t {
  bool(CLAP_ABI* register_fd)(const clap_host_t* host, int fd, std::uint32_t flags);
  bool(CLAP_ABI* modify_fd)(const clap_host_t* host, int fd, std::uint32_t flags);
  bool(CLAP_ABI* unregister_fd)(const clap_host_t* host, int fd);
};

}  // extern "C"
