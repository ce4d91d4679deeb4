// The CLAP records as the format lays them out on 64-bit targets: every
// size and offset a host and a plug-in must agree on, from the format's
// own definitions (C layout, 64-bit values aligned to 8).
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "formats/clap/abi/events.h"
#include "formats/clap/abi/extensions.h"

namespace {

struct Layout {
  const char* what;
  std::size_t actual;
  std::size_t documented;
};

#define SIZE_OF(T, n) \
  Layout { #T, sizeof(T), n }
#define OFFSET_OF(T, f, n) \
  Layout { #T "." #f, offsetof(T, f), n }

TEST(ClapAbi, RecordsHaveTheFormatsSizesAndOffsetsOn64BitTargets) {
  if (sizeof(void*) != 8) GTEST_SKIP() << "the table is the 64-bit layout";
  const Layout table[] = {
      SIZE_OF(clap_version_t, 12),
      SIZE_OF(clap_plugin_entry_t, 40),
      OFFSET_OF(clap_plugin_entry_t, init, 16),
      OFFSET_OF(clap_plugin_entry_t, get_factory, 32),
      SIZE_OF(clap_plugin_factory_t, 24),
      SIZE_OF(clap_plugin_descriptor_t, 88),
      OFFSET_OF(clap_plugin_descriptor_t, id, 16),
      OFFSET_OF(clap_plugin_descriptor_t, version, 64),
      OFFSET_OF(clap_plugin_descriptor_t, features, 80),
      SIZE_OF(clap_plugin_t, 96),
      OFFSET_OF(clap_plugin_t, plugin_data, 8),
      OFFSET_OF(clap_plugin_t, process, 72),
      OFFSET_OF(clap_plugin_t, on_main_thread, 88),
      SIZE_OF(clap_host_t, 88),
      OFFSET_OF(clap_host_t, host_data, 16),
      OFFSET_OF(clap_host_t, get_extension, 56),
      OFFSET_OF(clap_host_t, request_callback, 80),
      SIZE_OF(clap_process_t, 64),
      OFFSET_OF(clap_process_t, frames_count, 8),
      OFFSET_OF(clap_process_t, transport, 16),
      OFFSET_OF(clap_process_t, audio_inputs_count, 40),
      OFFSET_OF(clap_process_t, in_events, 48),
      OFFSET_OF(clap_process_t, out_events, 56),
      SIZE_OF(clap_audio_buffer_t, 32),
      OFFSET_OF(clap_audio_buffer_t, channel_count, 16),
      OFFSET_OF(clap_audio_buffer_t, latency, 20),
      OFFSET_OF(clap_audio_buffer_t, constant_mask, 24),
      SIZE_OF(clap_event_header_t, 16),
      OFFSET_OF(clap_event_header_t, space_id, 8),
      OFFSET_OF(clap_event_header_t, type, 10),
      OFFSET_OF(clap_event_header_t, flags, 12),
      SIZE_OF(clap_event_param_value_t, 56),
      OFFSET_OF(clap_event_param_value_t, param_id, 16),
      OFFSET_OF(clap_event_param_value_t, cookie, 24),
      OFFSET_OF(clap_event_param_value_t, note_id, 32),
      OFFSET_OF(clap_event_param_value_t, port_index, 36),
      OFFSET_OF(clap_event_param_value_t, key, 40),
      OFFSET_OF(clap_event_param_value_t, value, 48),
      SIZE_OF(clap_event_param_gesture_t, 20),
      SIZE_OF(clap_input_events_t, 24),
      SIZE_OF(clap_output_events_t, 16),
      SIZE_OF(clap_istream_t, 16),
      SIZE_OF(clap_ostream_t, 16),
      SIZE_OF(clap_audio_port_info_t, 288),
      OFFSET_OF(clap_audio_port_info_t, name, 4),
      OFFSET_OF(clap_audio_port_info_t, flags, 260),
      OFFSET_OF(clap_audio_port_info_t, channel_count, 264),
      OFFSET_OF(clap_audio_port_info_t, port_type, 272),
      OFFSET_OF(clap_audio_port_info_t, in_place_pair, 280),
      SIZE_OF(clap_plugin_audio_ports_t, 16),
      SIZE_OF(clap_param_info_t, 1320),
      OFFSET_OF(clap_param_info_t, cookie, 8),
      OFFSET_OF(clap_param_info_t, name, 16),
      OFFSET_OF(clap_param_info_t, module, 272),
      OFFSET_OF(clap_param_info_t, min_value, 1296),
      OFFSET_OF(clap_param_info_t, default_value, 1312),
      SIZE_OF(clap_plugin_params_t, 48),
      SIZE_OF(clap_host_params_t, 24),
      SIZE_OF(clap_plugin_state_t, 16),
      SIZE_OF(clap_plugin_latency_t, 8),
      SIZE_OF(clap_window_t, 16),
      OFFSET_OF(clap_window_t, x11, 8),
      OFFSET_OF(clap_window_t, win32, 8),
      SIZE_OF(clap_gui_resize_hints_t, 12),
      SIZE_OF(clap_plugin_gui_t, 120),
      SIZE_OF(clap_host_gui_t, 40),
      SIZE_OF(clap_host_timer_support_t, 16),
      SIZE_OF(clap_host_posix_fd_support_t, 24),
  };
  for (const Layout& row : table) EXPECT_EQ(row.actual, row.documented) << row.what;
}

TEST(ClapAbi, IdentifiersAndFixedSizesAreTheFormats) {
  EXPECT_EQ(CLAP_NAME_SIZE, 256u);
  EXPECT_EQ(CLAP_PATH_SIZE, 1024u);
  EXPECT_EQ(CLAP_INVALID_ID, 0xFFFFFFFFu);
  EXPECT_STREQ(CLAP_PLUGIN_FACTORY_ID, "clap.plugin-factory");
  EXPECT_STREQ(CLAP_EXT_AUDIO_PORTS, "clap.audio-ports");
  EXPECT_STREQ(CLAP_EXT_PARAMS, "clap.params");
  EXPECT_STREQ(CLAP_EXT_STATE, "clap.state");
  EXPECT_STREQ(CLAP_EXT_LATENCY, "clap.latency");
  EXPECT_STREQ(CLAP_EXT_GUI, "clap.gui");
  EXPECT_STREQ(CLAP_EXT_TIMER_SUPPORT, "clap.timer-support");
  EXPECT_STREQ(CLAP_EXT_POSIX_FD_SUPPORT, "clap.posix-fd-support");
  EXPECT_EQ(CLAP_EVENT_PARAM_VALUE, 5);
  EXPECT_EQ(CLAP_EVENT_PARAM_GESTURE_BEGIN, 7);
  EXPECT_EQ(CLAP_EVENT_PARAM_GESTURE_END, 8);
  EXPECT_EQ(CLAP_PARAM_IS_STEPPED, 1u);
  EXPECT_EQ(CLAP_PARAM_IS_BYPASS, 16u);
  EXPECT_EQ(CLAP_PARAM_IS_AUTOMATABLE, 32u);
  EXPECT_EQ(CLAP_AUDIO_PORT_SUPPORTS_64BITS, 2u);
  EXPECT_EQ(CLAP_PARAM_RESCAN_VALUES, 1u);
}

}  // namespace
