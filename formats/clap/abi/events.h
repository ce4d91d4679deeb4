// CLAP events of the core space that our plug-ins read and write: a
// parameter's value and the begin and end of a user's gesture on it.
#pragma once

#include "formats/clap/abi/core.h"

extern "C" {

inline constexpr std::uint16_t CLAP_CORE_EVENT_SPACE_ID = 0;

enum : std::uint16_t {
  CLAP_EVENT_NOTE_ON = 0,
  CLAP_EVENT_NOTE_OFF = 1,
  CLAP_EVENT_NOTE_CHOKE = 2,
  CLAP_EVENT_NOTE_END = 3,
  CLAP_EVENT_NOTE_EXPRESSION = 4,
  CLAP_EVENT_PARAM_VALUE = 5,
  CLAP_EVENT_PARAM_MOD = 6,
  CLAP_EVENT_PARAM_GESTURE_BEGIN = 7,
  CLAP_EVENT_PARAM_GESTURE_END = 8,
  CLAP_EVENT_TRANSPORT = 9,
  CLAP_EVENT_MIDI = 10,
};

enum : std::uint32_t {
  CLAP_EVENT_IS_LIVE = 1u << 0,
  CLAP_EVENT_DONT_RECORD = 1u << 1,
};

struct clap_event_param_value_t {
  clap_event_header_t header;
  clap_id param_id;
  void* cookie;
  // -1 for every note, key, channel and port: our parameters are global.
  std::int32_t note_id;
  std::int16_t port_index;
  std::int16_t channel;
  std::int16_t key;
  alignas(8) double value;
};

struct clap_event_param_gesture_t {
  clap_event_header_t header;
  clap_id param_id;
};

}  // extern "C"
