// The host side of the VST 2.4 interface: loads a plug-in library, makes
// instances through its entry point and drives them as a host does.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "formats/vst2/aeffect.h"
#include "hostkit/library.h"

namespace sorvane::host {

// What a plug-in asked of the host; counted so validate can tell whether a
// plug-in talks back when it should not. Atomic: the plug-in may call from
// any thread.
struct HostCounters {
  std::atomic<int> automate{0};
  std::atomic<int> beginEdit{0};
  std::atomic<int> endEdit{0};
  std::atomic<int> updateDisplay{0};
  std::atomic<int> idle{0};
  std::atomic<int> getTime{0};
  std::atomic<int> ioChanged{0};
  std::atomic<int> unknown{0};
};

// One call of the plug-in's that a user's gesture causes.
struct HostCallRecord {
  VstInt32 opcode;  // audioMasterAutomate, audioMasterBeginEdit, audioMasterEndEdit, audioMasterUpdateDisplay
  VstInt32 index;
  float value;  // automate: the new normalised value
};

// Per-instance host state that the callback answers from.
struct HostContext {
  double sampleRate = 44100.0;
  int blockSize = 512;
  VstInt32 uniqueId = 0;
  bool processing = false;
  // Transport: samples processed since the transport started.
  double samplePosition = 0.0;
  bool transportJustStarted = true;
  VstTimeInfo timeInfo{};
  HostCounters counters;
  // When set, the gesture calls are appended in order. Only for a caller that
  // processes no audio meanwhile (the editor command): the log is not locked.
  std::vector<HostCallRecord>* gestureLog = nullptr;
};

// The host callback every instance is given. Public so tests can call it.
VstIntPtr VSTCALLBACK hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt);

// Fills timeInfo from the context's transport: 120 BPM, 4/4, playing.
void updateTimeInfo(HostContext& context);

// Makes one effect record per call, as a VST 2.4 entry point does. Plug-ins
// of the other formats are seen through such a record, so that every command
// and check runs on them unchanged.
using EffectMaker = std::function<AEffect*(audioMasterCallback)>;

class PluginLibrary {
 public:
  // Loads the file and finds its entry point (VSTPluginMain, then main), or
  // for a ".vst3" bundle or a ".clap" file its format's entry and a bridge
  // to the VST 2.4 record. On failure returns null and a one-line reason in
  // error.
  static std::unique_ptr<PluginLibrary> open(const std::string& path, std::string& error);
  // A library whose effects come from maker (the bridges of other formats).
  // The library stays loaded as long as this object lives.
  static std::unique_ptr<PluginLibrary> fromMaker(const std::string& path, hostkit::Library library, EffectMaker maker,
                                                  const char* entryName);

  const std::string& path() const { return path_; }
  AEffect* makeEffect(audioMasterCallback callback) const { return maker_(callback); }
  const char* entryPointName() const { return entryName_; }

 private:
  // Declared first so it is destroyed last: the maker may hold state that
  // points into the library.
  hostkit::Library library_;
  EffectMaker maker_;
  const char* entryName_ = "";
  std::string path_;
};

// The bridges, one file each; an empty path error means "not this format".
std::unique_ptr<PluginLibrary> openVst3Bundle(const std::string& path, std::string& error);
std::unique_ptr<PluginLibrary> openClapFile(const std::string& path, std::string& error);

class PluginInstance {
 public:
  // Calls the entry point and sends effOpen. On failure returns null and a
  // one-line reason in error.
  static std::unique_ptr<PluginInstance> create(const PluginLibrary& library, std::string& error);
  // Sends effClose unless close() already did.
  ~PluginInstance();
  PluginInstance(const PluginInstance&) = delete;
  PluginInstance& operator=(const PluginInstance&) = delete;

  AEffect* effect() const { return effect_; }
  HostContext& context() { return *context_; }
  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f);
  void close();

  // Set-up as hosts do it: rate and block size while suspended, then mains on.
  void setSampleRate(double rate);
  void setBlockSize(int frames);
  void resume();   // effMainsChanged 1, then effStartProcess
  void suspend();  // effStopProcess, then effMainsChanged 0
  bool isResumed() const { return resumed_; }

  bool canProcessDouble() const {
    return effect_->processDoubleReplacing != nullptr && (effect_->flags & effFlagsCanDoubleReplacing) != 0;
  }
  bool hasChunks() const { return (effect_->flags & effFlagsProgramChunks) != 0; }
  int numParams() const { return effect_->numParams; }
  int numPrograms() const { return effect_->numPrograms; }
  int numInputs() const { return effect_->numInputs; }
  int numOutputs() const { return effect_->numOutputs; }

  // Calls processReplacing with the transport advanced by frames afterwards.
  void process(float** inputs, float** outputs, int frames);
  void processDouble(double** inputs, double** outputs, int frames);

  float getParameter(int index);
  void setParameter(int index, float value);
  std::string parameterName(int index);
  std::string parameterDisplay(int index);
  std::string parameterLabel(int index);
  int currentProgram();
  void setProgram(int index);
  std::string programName();  // of the current program
  // Name of program index without changing the current one when the
  // plug-in supports it; otherwise switches there and back.
  std::string programNameAt(int index);
  std::string effectName();
  std::string vendorString();
  std::string productString();

  // A copy of the chunk (the plug-in owns the memory it points to).
  std::vector<uint8_t> getChunk(bool program);
  bool setChunk(const std::vector<uint8_t>& data, bool program);

 private:
  PluginInstance() = default;
  std::string text(VstInt32 opcode, VstInt32 index);

  AEffect* effect_ = nullptr;
  std::unique_ptr<HostContext> context_;
  bool closed_ = false;
  bool resumed_ = false;
};

// Four-character code as text ('Tsqr'), unprintable bytes as '?'.
std::string fourCharText(VstInt32 code);

}  // namespace sorvane::host
