// Our declaration of the CLAP 1.x binary interface, core part: the entry a
// library exports, the plug-in factory, the plug-in and host records, the
// process call with its audio buffers and event lists, and the byte
// streams of the state extension. Only what this code base uses is
// declared; records are laid out as the format defines them (C layout,
// 64-bit fields aligned to 8 on every target).
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define CLAP_ABI __cdecl
#else
#define CLAP_ABI
#endif

#if defined(_WIN32)
#define CLAP_EXPORT __declspec(dllexport)
#else
#define CLAP_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

inline constexpr std::size_t CLAP_NAME_SIZE = 256;
inline constexpr std::size_t CLAP_PATH_SIZE = 1024;

using clap_id = std::uint32_t;
inline constexpr clap_id CLAP_INVALID_ID = UINT32_MAX;

struct clap_version_t {
  std::uint32_t major;
  std::uint32_t minor;
  std::uint32_t revision;
};

inline constexpr std::uint32_t CLAP_VERSION_MAJOR = 1;
inline constexpr std::uint32_t CLAP_VERSION_MINOR = 2;
inline constexpr std::uint32_t CLAP_VERSION_REVISION = 2;
inline constexpr clap_version_t CLAP_VERSION = {CLAP_VERSION_MAJOR, CLAP_VERSION_MINOR, CLAP_VERSION_REVISION};

// Every 1.x version is binary compatible with every other.
constexpr bool clap_version_is_compatible(clap_version_t v) { return v.major >= 1; }

struct clap_plugin_entry_t {
  clap_version_t clap_version;
  bool(CLAP_ABI* init)(const char* plugin_path);
  void(CLAP_ABI* deinit)(void);
  const void*(CLAP_ABI* get_factory)(const char* factory_id);
};

struct clap_plugin_descriptor_t {
  clap_version_t clap_version;
  const char* id;
  const char* name;
  const char* vendor;
  const char* url;
  const char* manual_url;
  const char* support_url;
  const char* version;
  const char* description;
  const char* const* features;  // null-terminated
};

// Host-facing event and stream records, declared before the plug-in's.
struct clap_event_header_t {
  std::uint32_t size;  // of the whole event, header included
  std::uint32_t time;  // sample offset within the block
  std::uint16_t space_id;
  std::uint16_t type;
  std::uint32_t flags;
};

struct clap_input_events_t {
  void* ctx;
  std::uint32_t(CLAP_ABI* size)(const clap_input_events_t* list);
  const clap_event_header_t*(CLAP_ABI* get)(const clap_input_events_t* list, std::uint32_t index);
};

struct clap_output_events_t {
  void* ctx;
  // False when the host could not take the event (a full queue).
  bool(CLAP_ABI* try_push)(const clap_output_events_t* list, const clap_event_header_t* event);
};

struct clap_audio_buffer_t {
  float** data32;
  double** data64;
  std::uint32_t channel_count;
  std::uint32_t latency;
  std::uint64_t constant_mask;
};

struct clap_event_transport_t;  // read by no plug-in of ours

struct clap_process_t {
  std::int64_t steady_time;
  std::uint32_t frames_count;
  const clap_event_transport_t* transport;
  const clap_audio_buffer_t* audio_inputs;
  clap_audio_buffer_t* audio_outputs;
  std::uint32_t audio_inputs_count;
  std::uint32_t audio_outputs_count;
  const clap_input_events_t* in_events;
  const clap_output_events_t* out_events;
};

using clap_process_status = std::int32_t;
enum : clap_process_status {
  CLAP_PROCESS_ERROR = 0,
  CLAP_PROCESS_CONTINUE = 1,
  CLAP_PROCESS_CONTINUE_IF_NOT_QUIET = 2,
  CLAP_PROCESS_TAIL = 3,
  CLAP_PROCESS_SLEEP = 4,
};

struct clap_host_t {
  clap_version_t clap_version;
  void* host_data;
  const char* name;
  const char* vendor;
  const char* url;
  const char* version;
  const void*(CLAP_ABI* get_extension)(const clap_host_t* host, const char* extension_id);
  void(CLAP_ABI* request_restart)(const clap_host_t* host);
  void(CLAP_ABI* request_process)(const clap_host_t* host);
  void(CLAP_ABI* request_callback)(const clap_host_t* host);
};

struct clap_plugin_t {
  const clap_plugin_descriptor_t* desc;
  void* plugin_data;
  bool(CLAP_ABI* init)(const clap_plugin_t* plugin);
  void(CLAP_ABI* destroy)(const clap_plugin_t* plugin);
  bool(CLAP_ABI* activate)(const clap_plugin_t* plugin, double sample_rate, std::uint32_t min_frames_count,
                           std::uint32_t max_frames_count);
  void(CLAP_ABI* deactivate)(const clap_plugin_t* plugin);
  bool(CLAP_ABI* start_processing)(const clap_plugin_t* plugin);
  void(CLAP_ABI* stop_processing)(const clap_plugin_t* plugin);
  void(CLAP_ABI* reset)(const clap_plugin_t* plugin);
  clap_process_status(CLAP_ABI* process)(const clap_plugin_t* plugin, const clap_process_t* process);
  const void*(CLAP_ABI* get_extension)(const clap_plugin_t* plugin, const char* id);
  void(CLAP_ABI* on_main_thread)(const clap_plugin_t* plugin);
};

inline constexpr const char CLAP_PLUGIN_FACTORY_ID[] = "clap.plugin-factory";

struct clap_plugin_factory_t {
  std::uint32_t(CLAP_ABI* get_plugin_count)(const clap_plugin_factory_t* factory);
  const clap_plugin_descriptor_t*(CLAP_ABI* get_plugin_descriptor)(const clap_plugin_factory_t* factory,
                                                                   std::uint32_t index);
  const clap_plugin_t*(CLAP_ABI* create_plugin)(const clap_plugin_factory_t* factory, const clap_host_t* host,
                                                const char* plugin_id);
};

// Streams answer the number of bytes moved, which may be fewer than asked;
// 0 at the end of an input stream, -1 on an error.
struct clap_istream_t {
  void* ctx;
  std::int64_t(CLAP_ABI* read)(const clap_istream_t* stream, void* buffer, std::uint64_t size);
};

struct clap_ostream_t {
  void* ctx;
  std::int64_t(CLAP_ABI* write)(const clap_ostream_t* stream, const void* buffer, std::uint64_t size);
};

}  // extern "C"
