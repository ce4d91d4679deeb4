// What names each product in LV2: its URI under the maker's site (never to
// change once released: hosts keep it in their sessions), its bundle and
// library, its panel's URI, and the state key its bank travels under.
#pragma once

#include "plugin/pallido.h"
#include "plugin/tessaro.h"

namespace sorvane::lv2 {

template <class Product>
struct Identity;

template <>
struct Identity<tessaro::Product> {
  static constexpr const char* kUri = "https://www.sorvane.com/plugins/tessaro";
  static constexpr const char* kBankKey = "https://www.sorvane.com/plugins/tessaro#bank";
  static constexpr const char* kUiUri = "https://www.sorvane.com/plugins/tessaro#ui";
  static constexpr const char* kBundle = "Tessaro.lv2";
  static constexpr const char* kBinary = "Tessaro.so";
  static constexpr const char* kDescription = "tessaro.ttl";
};

template <>
struct Identity<pallido::Product> {
  static constexpr const char* kUri = "https://www.sorvane.com/plugins/pallido";
  static constexpr const char* kBankKey = "https://www.sorvane.com/plugins/pallido#bank";
  static constexpr const char* kUiUri = "https://www.sorvane.com/plugins/pallido#ui";
  static constexpr const char* kBundle = "Pallido.lv2";
  static constexpr const char* kBinary = "Pallido.so";
  static constexpr const char* kDescription = "pallido.ttl";
};

// Controls take the parameter indices as port indices; the stereo audio
// ports follow them in this order.
enum AudioPort { kInLeft, kInRight, kOutLeft, kOutRight, kAudioPortCount };

}  // namespace sorvane::lv2
