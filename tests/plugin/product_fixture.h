// Typed-test support: every effect test runs for both products.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "plugin/pallido.h"
#include "plugin/tessaro.h"

namespace sorvane::testing {

// Records every host callback so a test can see what the effect told the host.
struct HostCall {
  VstInt32 opcode;
  VstInt32 index;
  VstIntPtr value;
  float opt;
};

struct RecordingHost {
  static inline std::vector<HostCall> calls;
  static inline VstIntPtr versionAnswer = 2400;
  static VstIntPtr VSTCALLBACK callback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void*, float opt) {
    calls.push_back({opcode, index, value, opt});
    return opcode == audioMasterVersion ? versionAnswer : 1;
  }
  static void clear() {
    calls.clear();
    versionAnswer = 2400;
  }
};

template <class Product>
class ProductTest : public ::testing::Test {
 protected:
  using Effect = sorvane::Sorvane<Product>;
  void SetUp() override {
    RecordingHost::clear();
    effect = std::make_unique<Effect>(&RecordingHost::callback);
    RecordingHost::calls.clear();
  }
  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f) {
    AEffect* record = effect->getAeffect();
    return record->dispatcher(record, opcode, index, value, ptr, opt);
  }
  std::unique_ptr<Effect> effect;
};

using Products = ::testing::Types<tessaro::Product, pallido::Product>;

}  // namespace sorvane::testing
