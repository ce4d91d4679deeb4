// Where the built VST3 bundles and VST 2.4 libraries are, and a plug-in made
// straight from a bundle's factory, for the tests of the VST3 build.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "formats/vst3/interfaces.h"
#include "hostkit/library.h"
#include "tools/sorvane-host/vst3_bridge.h"

namespace sorvane::vst3::testing {

inline std::string bundlePath(const std::string& product) {
  return std::string(SORVANE_VST3_DIR) + "/" + product + ".vst3";
}
inline std::string vst2Path(const std::string& product) {
  return std::string(SORVANE_PLUGIN_DIR) + "/" + product + SORVANE_PLUGIN_SUFFIX;
}

inline const char* iidOf(const Uid& uid) { return reinterpret_cast<const char*>(uid.data()); }

// A bundle's library, entered, with its factory.
class Bundle {
 public:
  explicit Bundle(const std::string& product) {
    std::string error;
    library_ = hostkit::Library::load(host::vst3BundleBinary(bundlePath(product)), error);
    EXPECT_TRUE(library_.isLoaded()) << error;
    if (!library_.isLoaded()) return;
#if defined(_WIN32)
    auto* enter = reinterpret_cast<ModuleInitProc>(library_.symbol("InitDll"));
    EXPECT_TRUE(enter && enter());
#else
    auto* enter = reinterpret_cast<ModuleEntryProc>(library_.symbol("ModuleEntry"));
    EXPECT_TRUE(enter && enter(nullptr));
#endif
    auto* get = reinterpret_cast<GetFactoryProc>(library_.symbol("GetPluginFactory"));
    factory_ = get ? get() : nullptr;
    EXPECT_TRUE(factory_);
  }
  ~Bundle() {
    if (factory_) factory_->release();
#if defined(_WIN32)
    if (auto* leave = reinterpret_cast<ModuleInitProc>(library_.symbol("ExitDll"))) leave();
#else
    if (auto* leave = reinterpret_cast<ModuleExitProc>(library_.symbol("ModuleExit"))) leave();
#endif
  }
  Bundle(const Bundle&) = delete;
  Bundle& operator=(const Bundle&) = delete;

  IPluginFactory* factory() const { return factory_; }
  void* symbol(const char* name) const { return library_.symbol(name); }

  // The first class's component, initialised; null (and a failure) if none.
  IComponent* makeComponent() const {
    PClassInfo info = {};
    if (!factory_ || factory_->getClassInfo(0, &info) != kResultOk) return nullptr;
    IComponent* component = nullptr;
    EXPECT_EQ(factory_->createInstance(info.cid, iidOf(IComponent::iid), reinterpret_cast<void**>(&component)),
              kResultOk);
    if (component) {
      EXPECT_EQ(component->initialize(nullptr), kResultOk);
    }
    return component;
  }

 private:
  hostkit::Library library_;
  IPluginFactory* factory_ = nullptr;
};

// An interface of an object, with the reference the asking took.
template <class Interface>
Interface* ask(FUnknown* object) {
  Interface* result = nullptr;
  if (!object || object->queryInterface(iidOf(Interface::iid), reinterpret_cast<void**>(&result)) != kResultOk)
    return nullptr;
  return result;
}

}  // namespace sorvane::vst3::testing
