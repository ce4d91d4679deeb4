// The factory of one product's library: one class, the plug-in, with its
// vendor, web site and version from the effect itself, the category of an
// audio effect and the sub-category of an equaliser. It lives as long as the
// library; its references are counted only for the host's sake.
//
// Thread contract: the host's user-interface thread.
#pragma once

#include <atomic>
#include <cstdio>
#include <cstring>

#include "formats/vst3/plugin_impl.h"

namespace sorvane::vst3 {

// The interface version the records above follow, as hosts read it.
inline constexpr const char* kInterfaceVersion = "VST 3.7.0";

template <class Product>
class Factory final : public IPluginFactory3 {
 public:
  static Factory& instance() {
    static Factory factory;
    return factory;
  }

  tresult SORVANE_VST3_API queryInterface(const TUID iid, void** obj) override {
    if (!obj) return kInvalidArgument;
    if (sameUid(iid, FUnknown::iid) || sameUid(iid, IPluginFactory::iid) || sameUid(iid, IPluginFactory2::iid) ||
        sameUid(iid, IPluginFactory3::iid)) {
      *obj = this;
      addRef();
      return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 SORVANE_VST3_API addRef() override { return ++references_; }
  uint32 SORVANE_VST3_API release() override { return references_ > 1 ? --references_ : 1; }

  tresult SORVANE_VST3_API getFactoryInfo(PFactoryInfo* info) override {
    if (!info) return kInvalidArgument;
    std::memset(info, 0, sizeof *info);
    const Facts facts = Facts::read();
    copyUtf8(info->vendor, facts.vendor);
    copyUtf8(info->url, kMakerWebSite);
    // The product tables name no e-mail address, so none is given.
    info->flags = PFactoryInfo::kUnicode;
    return kResultOk;
  }
  int32 SORVANE_VST3_API countClasses() override { return 1; }
  tresult SORVANE_VST3_API getClassInfo(int32 index, PClassInfo* info) override {
    if (index != 0 || !info) return kInvalidArgument;
    std::memset(info, 0, sizeof *info);
    std::memcpy(info->cid, Identity<Product>::kClassId.data(), sizeof info->cid);
    info->cardinality = kManyInstances;
    copyUtf8(info->category, kAudioEffectClass);
    copyUtf8(info->name, Product::kEffectName);
    return kResultOk;
  }
  tresult SORVANE_VST3_API createInstance(FIDString cid, FIDString iid, void** obj) override {
    if (!obj) return kInvalidArgument;
    *obj = nullptr;
    if (!sameUid(cid, Identity<Product>::kClassId)) return kNoInterface;
    Plugin<Product>* plugin = Plugin<Product>::create();
    if (!plugin) return kOutOfMemory;
    const tresult result = plugin->queryInterface(iid, obj);
    plugin->release();
    return result;
  }
  tresult SORVANE_VST3_API getClassInfo2(int32 index, PClassInfo2* info) override {
    if (index != 0 || !info) return kInvalidArgument;
    std::memset(info, 0, sizeof *info);
    PClassInfo plain;
    getClassInfo(0, &plain);
    std::memcpy(info->cid, plain.cid, sizeof info->cid);
    info->cardinality = plain.cardinality;
    std::memcpy(info->category, plain.category, sizeof info->category);
    std::memcpy(info->name, plain.name, sizeof info->name);
    const Facts facts = Facts::read();
    copyUtf8(info->subCategories, kEqualizerSubCategories);
    copyUtf8(info->vendor, facts.vendor);
    copyUtf8(info->version, facts.version);
    copyUtf8(info->sdkVersion, kInterfaceVersion);
    return kResultOk;
  }
  tresult SORVANE_VST3_API getClassInfoUnicode(int32 index, PClassInfoW* info) override {
    if (index != 0 || !info) return kInvalidArgument;
    std::memset(info, 0, sizeof *info);
    PClassInfo2 narrow;
    getClassInfo2(0, &narrow);
    std::memcpy(info->cid, narrow.cid, sizeof info->cid);
    info->cardinality = narrow.cardinality;
    std::memcpy(info->category, narrow.category, sizeof info->category);
    copyUtf16(info->name, narrow.name);
    std::memcpy(info->subCategories, narrow.subCategories, sizeof info->subCategories);
    copyUtf16(info->vendor, narrow.vendor);
    copyUtf16(info->version, narrow.version);
    copyUtf16(info->sdkVersion, narrow.sdkVersion);
    return kResultOk;
  }
  tresult SORVANE_VST3_API setHostContext(FUnknown*) override { return kResultOk; }

 private:
  Factory() = default;

  // What the effect says of itself: its vendor string and its version
  // (1000 is 1.0.0), from an effect made for the asking without an editor.
  struct Facts {
    char vendor[kVstMaxVendorStrLen + 1] = {};
    char version[32] = {};
    static Facts read() {
      Facts facts;
      Sorvane<Product> effect([](AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) -> VstIntPtr {
        return opcode == audioMasterVersion ? 2400 : 0;
      });
      effect.getVendorString(facts.vendor);
      const int number = effect.getVendorVersion();
      std::snprintf(facts.version, sizeof facts.version, "%d.%d.%d", number / 1000, number / 100 % 10,
                    number / 10 % 10);
      return facts;
    }
  };

  std::atomic<uint32> references_{1};
};

}  // namespace sorvane::vst3

// The module's exported functions, in the product's entry file.
#if defined(_WIN32)
#define SORVANE_VST3_EXPORT extern "C" __declspec(dllexport)
#define SORVANE_VST3_MODULE(Product)                                                        \
  SORVANE_VST3_EXPORT sorvane::vst3::IPluginFactory* GetPluginFactory() {                   \
    sorvane::vst3::Factory<Product>& factory = sorvane::vst3::Factory<Product>::instance(); \
    factory.addRef();                                                                       \
    return &factory;                                                                        \
  }                                                                                         \
  SORVANE_VST3_EXPORT bool InitDll() { return true; }                                       \
  SORVANE_VST3_EXPORT bool ExitDll() { return true; }
#else
#define SORVANE_VST3_EXPORT extern "C" __attribute__((visibility("default")))
#define SORVANE_VST3_MODULE(Product)                                                        \
  SORVANE_VST3_EXPORT sorvane::vst3::IPluginFactory* GetPluginFactory() {                   \
    sorvane::vst3::Factory<Product>& factory = sorvane::vst3::Factory<Product>::instance(); \
    factory.addRef();                                                                       \
    return &factory;                                                                        \
  }                                                                                         \
  SORVANE_VST3_EXPORT bool ModuleEntry(void*) { return true; }                              \
  SORVANE_VST3_EXPORT bool ModuleExit() { return true; }
#endif
