#include "formats/lv2/ui_bridge.h"

#include <cstring>

#include "formats/common/unit_values.h"

namespace sorvane::lv2 {
namespace {

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

UiBridge::UiBridge(const ParameterUnits& units, const std::vector<float>& values, UiHostCalls host)
    : units_(units), host_(host), seen_(values), touching_(values.size(), false) {
  shown_.reserve(values.size());
  for (std::size_t i = 0; i < values.size(); ++i)
    shown_.push_back(formats::portValueOf(units_, static_cast<int>(i), values[i]));
}

void UiBridge::beginEdit(int index) {
  if (!valid(index) || touching_[static_cast<std::size_t>(index)]) return;
  touching_[static_cast<std::size_t>(index)] = true;
  if (host_.touch) host_.touch(host_.context, static_cast<std::uint32_t>(index), true);
}

void UiBridge::endEdit(int index) {
  if (!valid(index) || !touching_[static_cast<std::size_t>(index)]) return;
  touching_[static_cast<std::size_t>(index)] = false;
  if (host_.touch) host_.touch(host_.context, static_cast<std::uint32_t>(index), false);
}

void UiBridge::endOpenGestures() {
  for (int i = 0; i < parameterCount(); ++i) endEdit(i);
}

void UiBridge::automated(int index, float value) {
  if (!valid(index)) return;
  seen_[static_cast<std::size_t>(index)] = value;
  const float port = formats::portValueOf(units_, index, value);
  if (!sameBits(port, shown_[static_cast<std::size_t>(index)])) write(index, port);
}

std::optional<float> UiBridge::portEvent(std::uint32_t port, float value, float effectValue) {
  if (port >= shown_.size()) return std::nullopt;
  const int index = static_cast<int>(port);
  shown_[port] = value;
  if (formats::portShows(units_, index, value, effectValue)) return std::nullopt;
  return formats::parameterValueOf(units_, index, value);
}

void UiBridge::effectTook(int index, float effectValue) {
  if (valid(index)) seen_[static_cast<std::size_t>(index)] = effectValue;
}

int UiBridge::follow(const std::vector<float>& values) {
  int written = 0;
  for (int i = 0; i < parameterCount() && i < static_cast<int>(values.size()); ++i) {
    const auto at = static_cast<std::size_t>(i);
    if (sameBits(values[at], seen_[at])) continue;
    seen_[at] = values[at];
    if (formats::portShows(units_, i, shown_[at], values[at])) continue;
    write(i, formats::portValueOf(units_, i, values[at]));
    ++written;
  }
  return written;
}

void UiBridge::write(int index, float port) {
  shown_[static_cast<std::size_t>(index)] = port;
  if (host_.write) host_.write(host_.context, static_cast<std::uint32_t>(index), port);
}

}  // namespace sorvane::lv2
