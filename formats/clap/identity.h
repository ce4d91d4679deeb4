// What names each product in CLAP: its id under the maker's reversed
// domain (never to change once released: hosts keep it in their sessions)
// and the file its library is installed as.
#pragma once

#include "plugin/pallido.h"
#include "plugin/tessaro.h"

namespace sorvane::clap {

template <class Product>
struct Identity;

template <>
struct Identity<tessaro::Product> {
  static constexpr const char* kId = "com.sorvane.tessaro";
  static constexpr const char* kFile = "Tessaro.clap";
};

template <>
struct Identity<pallido::Product> {
  static constexpr const char* kId = "com.sorvane.pallido";
  static constexpr const char* kFile = "Pallido.clap";
};

}  // namespace sorvane::clap
