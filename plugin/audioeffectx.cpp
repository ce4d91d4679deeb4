#include "plugin/audioeffectx.h"

#include "plugin/aeffeditor.h"

bool AudioEffectX::beginEdit(VstInt32 index) { return callHost(audioMasterBeginEdit, index) != 0; }
bool AudioEffectX::endEdit(VstInt32 index) { return callHost(audioMasterEndEdit, index) != 0; }
bool AudioEffectX::updateDisplay() { return callHost(audioMasterUpdateDisplay) != 0; }
bool AudioEffectX::ioChanged() { return callHost(audioMasterIOChanged) != 0; }
bool AudioEffectX::sizeWindow(VstInt32 width, VstInt32 height) {
  return callHost(audioMasterSizeWindow, width, height) != 0;
}

VstIntPtr AudioEffectX::vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  return editor ? editor->vendorSpecific(index, value, ptr, opt) : 0;
}

VstInt32 AudioEffectX::getPlugCategory() { return (cEffect.flags & effFlagsIsSynth) ? 2 : kPlugCategUnknown; }

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  char* text = static_cast<char*>(ptr);
  switch (opcode) {
    case effCanBeAutomated:
      return canParameterBeAutomated(index) ? 1 : 0;
    case effString2Parameter:
      return (text && string2parameter(index, text)) ? 1 : 0;
    case effGetProgramNameIndexed:
      return (text && getProgramNameIndexed(static_cast<VstInt32>(value), index, text)) ? 1 : 0;
    case effGetPlugCategory:
      return getPlugCategory();
    case effSetBypass:
      return setBypass(value != 0) ? 1 : 0;
    case effGetEffectName:
      return (text && getEffectName(text)) ? 1 : 0;
    case effGetVendorString:
      return (text && getVendorString(text)) ? 1 : 0;
    case effGetProductString:
      return (text && getProductString(text)) ? 1 : 0;
    case effGetVendorVersion:
      return getVendorVersion();
    case effCanDo: {
      if (!text) return 0;
      // What the effect does not answer, its editor may.
      const VstInt32 answer = canDo(text);
      return answer == 0 && editor ? editor->canDo(text) : answer;
    }
    case effVendorSpecific:
      return vendorSpecific(index, value, ptr, opt);
    case effGetTailSize:
      return getGetTailSize();
    case effGetParameterProperties:
      return (ptr && getParameterProperties(index, ptr)) ? 1 : 0;
    case effGetVstVersion:
      return getVstVersion();
    case effEditKeyDown:
    case effEditKeyUp:
      if (editor) {
        VstKeyCode key{index, static_cast<unsigned char>(value), static_cast<unsigned char>(opt)};
        const bool used = opcode == effEditKeyDown ? editor->onKeyDown(key) : editor->onKeyUp(key);
        return used ? 1 : 0;
      }
      return 0;
    case effSetEditKnobMode:
      if (editor) {
        editor->setKnobMode(static_cast<VstInt32>(value));
        return 1;
      }
      return 0;
    case effGetCurrentMidiProgram:
      return getCurrentMidiProgram();
    case effGetSpeakerArrangement:
      // Both arrangement pointers are cleared: the plug-in has no arrangement.
      if (value) *reinterpret_cast<void**>(value) = nullptr;
      if (ptr) *static_cast<void**>(ptr) = nullptr;
      return 0;
    case effSetTotalSampleToProcess:
      return value;
    default:
      if (opcode >= effProcessEvents) return 0;
      return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
  }
}
