// The lv2apply test's helper:
//   signal FILE        writes the test signal (stereo, 48 kHz, 32-bit float)
//   controls URI N     prints preset N's port values as lv2apply's -c options
//   compare A B        prints the largest difference of two float files and
//                      how many samples differ; exit 1 beyond 1e-6
#include <lilv/lilv.h>
#include <lv2/presets/presets.h>
#include <lv2/urid/urid.h>
#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 48000;
constexpr int kFrames = 12000;

int writeSignal(const char* path) {
  SF_INFO info{};
  info.samplerate = kRate;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  SNDFILE* file = sf_open(path, SFM_WRITE, &info);
  if (!file) return 1;
  std::vector<float> frames(2 * kFrames);
  std::uint32_t seed = 987654321u;
  double phase = 0.0;
  for (int i = 0; i < kFrames; ++i) {
    phase += 2.0 * 3.14159265358979 * (25.0 * std::pow(800.0, static_cast<double>(i) / kFrames)) / kRate;
    seed = seed * 1664525u + 1013904223u;
    frames[2 * i] = static_cast<float>(0.5 * std::sin(phase));
    frames[2 * i + 1] = static_cast<float>(static_cast<double>(seed >> 8) / 16777216.0 - 0.5);
  }
  const bool ok = sf_writef_float(file, frames.data(), kFrames) == kFrames;
  return sf_close(file) == 0 && ok ? 0 : 1;
}

std::map<std::string, LV2_URID> ids;
LV2_URID mapUri(LV2_URID_Map_Handle, const char* uri) {
  return ids.emplace(uri, static_cast<LV2_URID>(ids.size() + 1)).first->second;
}

int printControls(const char* pluginUri, const char* number) {
  LilvWorld* world = lilv_world_new();
  lilv_world_load_all(world);
  LV2_URID_Map map{nullptr, mapUri};
  const std::string uri = std::string(pluginUri) + "/presets/" + number;
  LilvNode* preset = lilv_new_uri(world, uri.c_str());
  lilv_world_load_resource(world, preset);
  LilvState* state = lilv_state_new_from_world(world, &map, preset);
  if (!state) {
    std::fprintf(stderr, "no preset %s\n", uri.c_str());
    return 1;
  }
  std::string out;
  lilv_state_emit_port_values(
      state,
      [](const char* symbol, void* data, const void* value, uint32_t size, uint32_t) {
        if (size != sizeof(float)) return;
        float v;
        std::memcpy(&v, value, sizeof v);
        char text[64];
        std::snprintf(text, sizeof text, "-c %s %.9g ", symbol, static_cast<double>(v));
        *static_cast<std::string*>(data) += text;
      },
      &out);
  std::printf("%s\n", out.c_str());
  lilv_state_free(state);
  lilv_node_free(preset);
  lilv_world_free(world);
  return 0;
}

bool readAll(const char* path, std::vector<float>& samples, SF_INFO& info) {
  SNDFILE* file = sf_open(path, SFM_READ, &info);
  if (!file) return false;
  samples.resize(static_cast<std::size_t>(info.frames * info.channels));
  const bool ok = sf_readf_float(file, samples.data(), info.frames) == info.frames;
  sf_close(file);
  return ok;
}

int compare(const char* a, const char* b) {
  std::vector<float> x, y;
  SF_INFO ia{}, ib{};
  if (!readAll(a, x, ia) || !readAll(b, y, ib) || ia.channels != ib.channels || x.size() != y.size()) {
    std::printf("cannot compare %s and %s\n", a, b);
    return 1;
  }
  double largest = 0.0;
  long differing = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double d = std::fabs(static_cast<double>(x[i]) - y[i]);
    if (!(d == 0.0)) ++differing;
    if (!(d <= largest)) largest = d;
  }
  std::printf("largest %.3g differing %ld\n", largest, differing);
  return largest <= 1e-6 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "signal") == 0) return writeSignal(argv[2]);
  if (argc == 4 && std::strcmp(argv[1], "controls") == 0) return printControls(argv[2], argv[3]);
  if (argc == 4 && std::strcmp(argv[1], "compare") == 0) return compare(argv[2], argv[3]);
  std::fprintf(stderr, "usage: formats_lv2_tool signal FILE | controls URI N | compare A B\n");
  return 2;
}
