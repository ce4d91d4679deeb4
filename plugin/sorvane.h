// The effect object of both products. One class template over a product's
// traits (parameter table, band chain, preset tables, strings) builds both;
// nothing below knows which product it is.
//
// Thread contract: the host's user-interface thread calls the dispatcher
// (programs, chunks, names, mains switching); the audio thread calls the
// process operations and, during automation, setParameter. They share plain
// float/bool/double fields that are written whole (paramValue, appliedValue,
// bandDirty, processingOn, phaseFactor, outputGain: SharedField) and the band
// objects' parameter fields; coefficients are recomputed only by the audio
// loop or by resume, which hosts call while no block runs. The program store
// image itself belongs to the user-interface thread, except that automation
// on the audio thread reads the current program and side and writes single
// values into the live record: those fields (curProgram, activeSide,
// values) are read and written whole on both threads, as relaxed atomics.
#pragma once

#include <atomic>
#include <cmath>
#include <cstring>
#include <tuple>
#include <utility>

#include "plugin/aeffeditor.h"
#include "plugin/audioeffectx.h"
#include "plugin/parameters.h"
#include "plugin/shared_field.h"
#include "presets/program_store.h"

namespace sorvane {

// 10^((40v - 20)/20). Computed in double and rounded once to float so every
// C library gives the same bits; values outside the knob's range (and NaN)
// are held to it, so no stored value can make the output non-finite.
float outputGainFor(float value);

// Declared here, defined only in the test tree: lets a test drive an
// effect's bands and update state with its own reference kernel.
template <class Product>
struct ChainAccess;

template <class Product>
class Sorvane : public AudioEffectX {
 public:
  static constexpr int kParameterCount = Product::kParameterCount;
  static constexpr int kValueSlots = Product::kValueSlots;
  static constexpr int kBandCount = static_cast<int>(std::tuple_size_v<typename Product::Bands>);
  using Bands = typename Product::Bands;
  using Bank = BankImage<kValueSlots>;
  using Slot = ProgramSlot<kValueSlots>;
  using Record = PresetRecord<kValueSlots>;

  // The editor comes from editorFactory (none without one).
  explicit Sorvane(audioMasterCallback audioMaster, EditorFactory editorFactory = nullptr);
  ~Sorvane() override { destroyEditor(); }

  void suspend() override { resume(); }
  void resume() override;
  void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
  void processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames) override;

  void setParameter(VstInt32 index, float value) override;
  float getParameter(VstInt32 index) override { return validIndex(index) ? paramValue[index] : 0.0f; }

  void setProgram(VstInt32 program) override;
  void setProgramName(char* name) override;
  void getProgramName(char* name) override;
  bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;

  void getParameterLabel(VstInt32 index, char* label) override;
  void getParameterDisplay(VstInt32 index, char* text) override;
  void getParameterName(VstInt32 index, char* text) override;

  VstInt32 getChunk(void** data, bool isPreset) override;
  VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;

  bool getEffectName(char* name) override;
  bool getVendorString(char* text) override;
  bool getProductString(char* text) override;
  VstInt32 getVendorVersion() override { return 1000; }

  // A/B comparison of the current program's two parameter sets.
  virtual void toggleActiveSide();
  virtual void applyActiveSide();
  virtual void copyActiveSideToOther();
  virtual VstInt32 getActiveSide() { return static_cast<VstInt32>(sharedLoad(currentSlot().activeSide)); }

  // Read access for the preset layer, the tools and tests.
  const Bank& programStore() const { return bank; }
  Bank& programStore() { return bank; }
  bool isProcessingOn() const { return processingOn; }
  double getPhaseFactor() const { return phaseFactor; }
  double getOutputGain() const { return outputGain; }
  bool isBandDirty(int band) const { return bandDirty[band]; }
  VstInt32 getUpdatePeriod() const { return updatePeriod; }
  const Bands& leftBands() const { return left; }
  const Bands& rightBands() const { return right; }
  const char* getPresetFolderPath() const { return presetFolderPath; }
  const char* getManualFolderPath() const { return manualFolderPath; }

 private:
  static bool validIndex(VstInt32 index) { return index >= 0 && index < kParameterCount; }
  Slot& currentSlot() { return bank.program[curProgram]; }
  // Also reached by automation on the audio thread.
  Record& liveRecord() {
    Slot& slot = currentSlot();
    return slot.side[sharedLoad(slot.activeSide) != 0 ? 1 : 0];
  }
  void applyRecord(const Record& record);

  template <class Fn>
  void forEachBand(Fn&& fn) {
    forEachBandImpl(fn, std::make_index_sequence<std::tuple_size_v<Bands>>{});
  }
  template <class Fn, size_t... I>
  void forEachBandImpl(Fn& fn, std::index_sequence<I...>) {
    (fn(I, std::get<I>(left), std::get<I>(right)), ...);
  }
  void setBandField(int band, int field, float value) {
    forEachBand([&](size_t index, auto& l, auto& r) {
      if (static_cast<int>(index) == band) {
        l.setParameterValue(field, value);
        r.setParameterValue(field, value);
      }
    });
  }

  template <class Sample>
  void processBlock(Sample** inputs, Sample** outputs, VstInt32 sampleFrames);
  // frames samples with no update check among them.
  template <class Sample>
  void processSpan(const Sample* inL, const Sample* inR, Sample* outL, Sample* outR, VstInt32 frames, double phase,
                   double gain);
  friend struct ChainAccess<Product>;

  Bank bank;
  SharedField<float> paramValue[kParameterCount];
  SharedField<float> appliedValue[kParameterCount];
  SharedField<bool> processingOn{true};
  SharedField<bool> bandDirty[kBandCount];
  VstInt32 updateCounter = 0;
  VstInt32 updatePeriod = 1024;
  SharedField<double> phaseFactor{1.0};
  SharedField<double> outputGain{1.0};
  Bands left;
  Bands right;
  char manualFolderPath[platform::kPathCapacity] = {};
  char presetFolderPath[platform::kPathCapacity] = {};
};

}  // namespace sorvane
