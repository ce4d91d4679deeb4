// Member definitions of the effect template; included only by the two
// product translation units that instantiate it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "dsp/band_block.h"
#include "plugin/sorvane.h"

namespace sorvane {

template <class Product>
Sorvane<Product>::Sorvane(audioMasterCallback audioMaster, EditorFactory editorFactory)
    : AudioEffectX(audioMaster, kProgramCount, kParameterCount) {
  setNumInputs(2);
  setNumOutputs(2);
  setUniqueID(Product::kUniqueId);
  canProcessReplacing();
  programsAreChunks();
  canDoubleReplacing();

  // Bank header, folders and factory programs.
  const PresetProduct& presets = Product::presets();
  fillFactoryBank(bank, presets);
  Product::buildFolderPaths(manualFolderPath, presetFolderPath);

  // Program 0, side A becomes the live state. appliedValue is set off by 0.1
  // so the setParameter pass below sees every band value as a change.
  const Record& initial = bank.program[0].side[0];
  for (int i = 0; i < kParameterCount; ++i) {
    const float value = initial.values[i];
    paramValue[i] = value;
    appliedValue[i] = value + 0.1f;
    const ParameterInfo& info = Product::kParameters[i];
    if (info.role == ParameterRole::Band) setBandField(info.band, info.field, value);
  }
  processingOn = effectSwitchAtRest(paramValue[Product::kOnOffIndex]);
  phaseFactor = effectSwitchAtRest(paramValue[Product::kPhaseIndex]) ? 1.0 : -1.0;
  outputGain = outputGainFor(paramValue[Product::kOutputIndex]);
  for (auto& dirty : bandDirty) dirty = true;

  resume();

  curProgram = 0;
  for (int i = 0; i < kParameterCount; ++i) setParameter(i, bank.program[0].live().values[i]);

  // An editor that cannot be made leaves a plug-in without one, never none at all.
  if (editorFactory) {
    AEffEditor* created = nullptr;
    try {
      created = editorFactory(this);
    } catch (...) {
      created = nullptr;
    }
    setEditor(created);
    if (created) created->setKnobMode(2);
  }
}

template <class Product>
void Sorvane<Product>::resume() {
  const float rate = getSampleRate();
  forEachBand([rate](size_t, auto& l, auto& r) {
    l.setSampleRate(rate);
    r.setSampleRate(rate);
    l.calculateCoefficients();
    r.calculateCoefficients();
  });
  updateCounter = 0;
  updatePeriod = dsp::rateTimingFor(rate).updatePeriod;
}

template <class Product>
template <class Sample>
void Sorvane<Product>::processBlock(Sample** inputs, Sample** outputs, VstInt32 sampleFrames) {
  if (sampleFrames <= 0 || !inputs || !outputs) return;
  const Sample* inL = inputs[0];
  const Sample* inR = inputs[1];
  Sample* outL = outputs[0];
  Sample* outR = outputs[1];
  if (!inL || !inR || !outL || !outR) return;

  // Read once: a change made by another thread during the block applies from the next block.
  const bool on = processingOn;
  const double phase = phaseFactor;
  const double gain = outputGain;

  if (!on) {
    const size_t bytes = sizeof(Sample) * static_cast<size_t>(sampleFrames);
    if (outL != inL) std::memmove(outL, inL, bytes);
    if (outR != inR) std::memmove(outR, inR, bytes);
    return;
  }

  // Between two update checks the coefficients stand still, so the bands
  // run span by span; a check fires before the sample at which the counter
  // has passed the period, as it would sample by sample.
  VstInt32 counter = updateCounter;
  const VstInt32 period = updatePeriod;
  for (VstInt32 done = 0; done < sampleFrames;) {
    if (counter > period) {
      forEachBand([this](size_t band, auto& l, auto& r) {
        // Cleared before computing: a change arriving meanwhile flags the band again.
        if (bandDirty[band].exchange(false)) dsp::updateBandPair(l, r);
      });
      counter = 0;
    }
    const VstInt32 span = std::min(sampleFrames - done, period + 1 - counter);
    processSpan(inL + done, inR + done, outL + done, outR + done, span, phase, gain);
    counter += span;
    done += span;
  }
  updateCounter = counter;
  // Non-finite input must not silence the plug-in for the rest of the session.
  forEachBand([](size_t, auto& l, auto& r) {
    l.clearNonFiniteState();
    r.clearNonFiniteState();
  });
}

template <class Product>
template <class Sample>
void Sorvane<Product>::processSpan(const Sample* inL, const Sample* inR, Sample* outL, Sample* outR, VstInt32 frames,
                                   double phase, double gain) {
  if (dsp::canRunAsPairs(left, right)) {
    const dsp::Lanes2 phase2(phase), gain2(gain);
    dsp::processPairs(
        left, right, frames, [inL, inR](int i) { return dsp::Lanes2::load(inL + i, inR + i); },
        [outL, outR, phase2, gain2](int i, dsp::Lanes2 sample) {
          ((sample * phase2) * gain2).store(outL + i, outR + i);
        });
    return;
  }
  // A pair out of step (never seen in practice: both objects of a band get
  // the same parameters, rates and updates) runs object by object.
  for (VstInt32 i = 0; i < frames; ++i) {
    double sampleL = inL[i];
    double sampleR = inR[i];
    forEachBand([&sampleL, &sampleR](size_t, auto& l, auto& r) {
      l.process(sampleL);
      r.process(sampleR);
    });
    outL[i] = static_cast<Sample>((sampleL * phase) * gain);
    outR[i] = static_cast<Sample>((sampleR * phase) * gain);
  }
}

template <class Product>
void Sorvane<Product>::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
  processBlock(inputs, outputs, sampleFrames);
}

template <class Product>
void Sorvane<Product>::processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames) {
  processBlock(inputs, outputs, sampleFrames);
}

template <class Product>
void Sorvane<Product>::setParameter(VstInt32 index, float value) {
  if (validIndex(index)) {
    sharedStore(liveRecord().values[index], value);
    const ParameterInfo& info = Product::kParameters[index];
    paramValue[index] = value;
    switch (info.role) {
      case ParameterRole::OnOff:
        processingOn = effectSwitchAtRest(value);
        break;
      case ParameterRole::Band:
        // A NaN never equals anything, so it always counts as a change.
        if (!(value == appliedValue[index].load())) {
          setBandField(info.band, info.field, value);
          appliedValue[index] = value;
          bandDirty[info.band] = true;
        }
        break;
      case ParameterRole::Phase:
        phaseFactor = effectSwitchAtRest(value) ? 1.0 : -1.0;
        break;
      case ParameterRole::Output:
        outputGain = outputGainFor(value);
        break;
    }
  }
  if (editor) editor->setParameter(index, value);
}

template <class Product>
void Sorvane<Product>::applyRecord(const Record& record) {
  float values[kParameterCount];
  for (int i = 0; i < kParameterCount; ++i) values[i] = sharedLoad(record.values[i]);
  for (int i = 0; i < kParameterCount; ++i) setParameter(i, values[i]);
}

template <class Product>
void Sorvane<Product>::setProgram(VstInt32 program) {
  if (static_cast<uint32_t>(program) >= static_cast<uint32_t>(kProgramCount)) return;
  curProgram = program;
  applyRecord(liveRecord());
  if (editor) editor->refreshPresetDisplay();
}

template <class Product>
void Sorvane<Product>::setProgramName(char* name) {
  Record& record = liveRecord();
  vst_strncpy(record.name, name, kProgramNameMax);
  if (editor) editor->refreshProgramMenu();
  // From here, on the caller's thread: an editor rebuilds its menu on its own
  // thread, and a closed one would keep the news until it opens again.
  updateDisplay();
}

template <class Product>
void Sorvane<Product>::getProgramName(char* name) {
  vst_strncpy(name, liveRecord().name, kProgramNameMax);
}

template <class Product>
bool Sorvane<Product>::getProgramNameIndexed(VstInt32, VstInt32 index, char* text) {
  if (static_cast<uint32_t>(index) >= static_cast<uint32_t>(kProgramCount)) return false;
  const int side = currentSlot().activeSide != 0 ? 1 : 0;
  vst_strncpy(text, bank.program[index].side[side].name, kProgramNameMax);
  return true;
}

template <class Product>
void Sorvane<Product>::getParameterLabel(VstInt32, char* label) {
  label[0] = 0;
}

template <class Product>
void Sorvane<Product>::getParameterDisplay(VstInt32 index, char* text) {
  if (validIndex(index)) float2string(paramValue[index], text, kVstMaxParamStrLen);
}

template <class Product>
void Sorvane<Product>::getParameterName(VstInt32 index, char* text) {
  // Some names are longer than the interface's nominal 8 characters; hosts
  // give 16 bytes or more, and the names are written whole.
  if (validIndex(index)) std::strcpy(text, Product::kParameters[index].name);
}

template <class Product>
VstInt32 Sorvane<Product>::getChunk(void** data, bool isPreset) {
  if (isPreset) {
    *data = &currentSlot();
    return static_cast<VstInt32>(sizeof(Slot));
  }
  *data = &bank;
  return static_cast<VstInt32>(sizeof(Bank));
}

template <class Product>
VstInt32 Sorvane<Product>::setChunk(void* data, VstInt32 byteSize, bool isPreset) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  const size_t expected = isPreset ? sizeof(Slot) : sizeof(Bank);
  if (byteSize < 0 || static_cast<size_t>(byteSize) != expected) {
    // Nothing was restored, so success would be a lie to the host.
    setProgram(curProgram);
    return 0;
  }
  const size_t versionOffset = isPreset ? offsetof(Slot, version) : offsetof(Bank, version);
  uint16_t version;
  std::memcpy(&version, bytes + versionOffset, sizeof(version));
  if (version != kRecordVersion) return 0;
  // Repaired in a copy of its own (the host may hand back the very pointer
  // getChunk gave it), then stored with the shared fields whole, since
  // automation on the audio thread may write into the live record meanwhile.
  // A bank is a few kilobytes: well within a user-interface thread's stack.
  if (isPreset) {
    Slot staged;
    std::memcpy(&staged, bytes, expected);
    repairSlot(staged);
    storeShared(currentSlot(), staged);
  } else {
    Bank staged;
    std::memcpy(&staged, bytes, expected);
    repairBank(staged);
    storeShared(bank, staged);
  }
  setProgram(curProgram);
  return 1;
}

template <class Product>
bool Sorvane<Product>::getEffectName(char* name) {
  vst_strncpy(name, Product::kEffectName, kVstMaxEffectNameLen);
  return true;
}

template <class Product>
bool Sorvane<Product>::getVendorString(char* text) {
  vst_strncpy(text, "Sorvane, Inc.", kVstMaxVendorStrLen);
  return true;
}

template <class Product>
bool Sorvane<Product>::getProductString(char* text) {
  vst_strncpy(text, Product::kProductString, kVstMaxProductStrLen);
  return true;
}

template <class Product>
void Sorvane<Product>::toggleActiveSide() {
  Slot& slot = currentSlot();
  sharedStore(slot.activeSide, sharedLoad(slot.activeSide) == 0 ? 1u : 0u);
  applyActiveSide();
}

template <class Product>
void Sorvane<Product>::applyActiveSide() {
  applyRecord(liveRecord());
  if (editor) editor->refreshPresetDisplay();
}

template <class Product>
void Sorvane<Product>::copyActiveSideToOther() {
  Slot& slot = currentSlot();
  const Record& live = slot.live();
  Record& other = slot.other();
  for (int i = 0; i < kParameterCount; ++i) sharedStore(other.values[i], sharedLoad(live.values[i]));
}

}  // namespace sorvane
