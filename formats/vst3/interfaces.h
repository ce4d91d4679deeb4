// Our own declaration of the VST3 binary interface: the reference-counted
// interfaces a host and a plug-in exchange, their 16-byte identifiers, the
// result codes and the records they pass. Only what this code base uses is
// declared. Every interface is an abstract class whose virtual table is the
// binary interface, so the member order below is the order of the table and
// must never change; the records keep the default alignment of 64-bit
// targets (which matches the 8-byte packing Windows builds use), and the
// layout is checked below for 64-bit targets.
//
// The identifiers are written once each, as four 32-bit words; how those
// words become bytes differs between Windows, where an identifier is a COM
// GUID (the first word and the two halves of the second little-endian), and
// every other system (all big-endian).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(_WIN32)
#define SORVANE_VST3_API __stdcall
#else
#define SORVANE_VST3_API
#endif

namespace sorvane::vst3 {

using int8 = std::int8_t;
using int16 = std::int16_t;
using int32 = std::int32_t;
using int64 = std::int64_t;
using uint32 = std::uint32_t;
using uint64 = std::uint64_t;
using TBool = std::uint8_t;
using char8 = char;
using char16 = char16_t;
using TChar = char16;
using tresult = int32;
using FIDString = const char8*;
using CString = const char8*;
using TUID = char8[16];
using String128 = TChar[128];
using ParamID = uint32;
using ParamValue = double;
using SampleRate = double;
using SpeakerArrangement = uint64;
using MediaType = int32;
using BusDirection = int32;
using BusType = int32;
using IoMode = int32;
using UnitID = int32;
using ProgramListID = int32;
using Sample32 = float;
using Sample64 = double;
using TSize = int64;

// The 16 bytes of an identifier in this platform's order.
using Uid = std::array<std::uint8_t, 16>;

constexpr Uid makeUid(uint32 a, uint32 b, uint32 c, uint32 d) {
  const auto byte = [](uint32 word, int shift) { return static_cast<std::uint8_t>((word >> shift) & 0xffu); };
#if defined(_WIN32)
  return {byte(a, 0),  byte(a, 8),  byte(a, 16), byte(a, 24), byte(b, 16), byte(b, 24), byte(b, 0), byte(b, 8),
          byte(c, 24), byte(c, 16), byte(c, 8),  byte(c, 0),  byte(d, 24), byte(d, 16), byte(d, 8), byte(d, 0)};
#else
  return {byte(a, 24), byte(a, 16), byte(a, 8), byte(a, 0), byte(b, 24), byte(b, 16), byte(b, 8), byte(b, 0),
          byte(c, 24), byte(c, 16), byte(c, 8), byte(c, 0), byte(d, 24), byte(d, 16), byte(d, 8), byte(d, 0)};
#endif
}

// Whether the 16 bytes at `bytes` are this identifier (bytes may be null).
inline bool sameUid(const void* bytes, const Uid& uid) {
  return bytes && std::memcmp(bytes, uid.data(), uid.size()) == 0;
}

// Result codes: COM's on Windows, small numbers elsewhere.
#if defined(_WIN32)
inline constexpr tresult kNoInterface = static_cast<tresult>(0x80004002u);
inline constexpr tresult kResultOk = 0;
inline constexpr tresult kResultTrue = kResultOk;
inline constexpr tresult kResultFalse = 1;
inline constexpr tresult kInvalidArgument = static_cast<tresult>(0x80070057u);
inline constexpr tresult kNotImplemented = static_cast<tresult>(0x80004001u);
inline constexpr tresult kInternalError = static_cast<tresult>(0x80004005u);
inline constexpr tresult kNotInitialized = static_cast<tresult>(0x8000FFFFu);
inline constexpr tresult kOutOfMemory = static_cast<tresult>(0x8007000Eu);
#else
inline constexpr tresult kNoInterface = -1;
inline constexpr tresult kResultOk = 0;
inline constexpr tresult kResultTrue = kResultOk;
inline constexpr tresult kResultFalse = 1;
inline constexpr tresult kInvalidArgument = 2;
inline constexpr tresult kNotImplemented = 3;
inline constexpr tresult kInternalError = 4;
inline constexpr tresult kNotInitialized = 5;
inline constexpr tresult kOutOfMemory = 6;
#endif

class FUnknown {
 public:
  virtual tresult SORVANE_VST3_API queryInterface(const TUID iid, void** obj) = 0;
  virtual uint32 SORVANE_VST3_API addRef() = 0;
  virtual uint32 SORVANE_VST3_API release() = 0;
  static constexpr Uid iid = makeUid(0x00000000, 0x00000000, 0xC0000000, 0x00000046);

 protected:
  ~FUnknown() = default;
};

// ---- Streams

enum SeekMode : int32 { kIBSeekSet = 0, kIBSeekCur = 1, kIBSeekEnd = 2 };

class IBStream : public FUnknown {
 public:
  virtual tresult SORVANE_VST3_API read(void* buffer, int32 numBytes, int32* numBytesRead) = 0;
  virtual tresult SORVANE_VST3_API write(void* buffer, int32 numBytes, int32* numBytesWritten) = 0;
  virtual tresult SORVANE_VST3_API seek(int64 pos, int32 mode, int64* result) = 0;
  virtual tresult SORVANE_VST3_API tell(int64* pos) = 0;
  static constexpr Uid iid = makeUid(0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B);

 protected:
  ~IBStream() = default;
};

// ---- The factory

struct PFactoryInfo {
  enum FactoryFlags : int32 { kNoFlags = 0, kClassesDiscardable = 1 << 0, kUnicode = 1 << 4 };
  char8 vendor[64];
  char8 url[256];
  char8 email[128];
  int32 flags;
};

inline constexpr int32 kManyInstances = 0x7FFFFFFF;

struct PClassInfo {
  TUID cid;
  int32 cardinality;
  char8 category[32];
  char8 name[64];
};

struct PClassInfo2 {
  TUID cid;
  int32 cardinality;
  char8 category[32];
  char8 name[64];
  uint32 classFlags;
  char8 subCategories[128];
  char8 vendor[64];
  char8 version[64];
  char8 sdkVersion[64];
};

struct PClassInfoW {
  TUID cid;
  int32 cardinality;
  char8 category[32];
  char16 name[64];
  uint32 classFlags;
  char8 subCategories[128];
  char16 vendor[64];
  char16 version[64];
  char16 sdkVersion[64];
};

class IPluginFactory : public FUnknown {
 public:
  virtual tresult SORVANE_VST3_API getFactoryInfo(PFactoryInfo* info) = 0;
  virtual int32 SORVANE_VST3_API countClasses() = 0;
  virtual tresult SORVANE_VST3_API getClassInfo(int32 index, PClassInfo* info) = 0;
  virtual tresult SORVANE_VST3_API createInstance(FIDString cid, FIDString iid, void** obj) = 0;
  static constexpr Uid iid = makeUid(0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F);

 protected:
  ~IPluginFactory() = default;
};

class IPluginFactory2 : public IPluginFactory {
 public:
  virtual tresult SORVANE_VST3_API getClassInfo2(int32 index, PClassInfo2* info) = 0;
  static constexpr Uid iid = makeUid(0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB);

 protected:
  ~IPluginFactory2() = default;
};

class IPluginFactory3 : public IPluginFactory2 {
 public:
  virtual tresult SORVANE_VST3_API getClassInfoUnicode(int32 index, PClassInfoW* info) = 0;
  virtual tresult SORVANE_VST3_API setHostContext(FUnknown* context) = 0;
  static constexpr Uid iid = makeUid(0x4555A2AB, 0xC1234E57, 0x9B122910, 0x36878931);

 protected:
  ~IPluginFactory3() = default;
};

// ---- The host

class IHostApplication : public FUnknown {
 public:
  virtual tresult SORVANE_VST3_API getName(String128 name) = 0;
  virtual tresult SORVANE_VST3_API createInstance(TUID cid, TUID iid, void** obj) = 0;
  static constexpr Uid iid = makeUid(0x58E595CC, 0xDB2D4969, 0x8B6AAF8C, 0x36A664E5);

 protected:
  ~IHostApplication() = default;
};

// ---- The component

class IPluginBase : public FUnknown {
 public:
  virtual tresult SORVANE_VST3_API initialize(FUnknown* context) = 0;
  virtual tresult SORVANE_VST3_API terminate() = 0;
  static constexpr Uid iid = makeUid(0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625);

 protected:
  ~IPluginBase() = default;
};

enum MediaTypes : int32 { kAudio = 0, kEvent = 1 };
enum BusDirections : int32 { kInput = 0, kOutput = 1 };
enum BusTypes : int32 { kMain = 0, kAux = 1 };

struct BusInfo {
  enum BusFlags : uint32 { kDefaultActive = 1u << 0 };
  MediaType mediaType;
  BusDirection direction;
  int32 channelCount;
  String128 name;
  BusType busType;
  uint32 flags;
};

struct RoutingInfo {
  MediaType mediaType;
  int32 busIndex;
  int32 channel;
};

class IComponent : public IPluginBase {
 public:
  virtual tresult SORVANE_VST3_API getControllerClassId(TUID classId) = 0;
  virtual tresult SORVANE_VST3_API setIoMode(IoMode mode) = 0;
  virtual int32 SORVANE_VST3_API getBusCount(MediaType type, BusDirection dir) = 0;
  virtual tresult SORVANE_VST3_API getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus) = 0;
  virtual tresult SORVANE_VST3_API getRoutingInfo(RoutingInfo& inInfo, RoutingInfo& outInfo) = 0;
  virtual tresult SORVANE_VST3_API activateBus(MediaType type, BusDirection dir, int32 index, TBool state) = 0;
  virtual tresult SORVANE_VST3_API setActive(TBool state) = 0;
  virtual tresult SORVANE_VST3_API setState(IBStream* state) = 0;
  virtual tresult SORVANE_VST3_API getState(IBStream* state) = 0;
  static constexpr Uid iid = makeUid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802);

 protected:
  ~IComponent() = default;
};

// ---- Processing

namespace speaker {
inline constexpr SpeakerArrangement kLeft = 1u << 0;
inline constexpr SpeakerArrangement kRight = 1u << 1;
inline constexpr SpeakerArrangement kStereo = kLeft | kRight;
inline constexpr SpeakerArrangement kMono = 1u << 19;
}  // namespace speaker

enum SymbolicSampleSizes : int32 { kSample32 = 0, kSample64 = 1 };
enum ProcessModes : int32 { kRealtime = 0, kPrefetch = 1, kOffline = 2 };

struct ProcessSetup {
  int32 processMode;
  int32 symbolicSampleSize;
  int32 maxSamplesPerBlock;
  SampleRate sampleRate;
};

struct AudioBusBuffers {
  int32 numChannels;
  uint64 silenceFlags;  // bit n: channel n is silent
  union {
    Sample32** channelBuffers32;
    Sample64** channelBuffers64;
  };
};

class IParamValueQueue : public FUnknown {
 public:
  virtual ParamID SORVANE_VST3_API getParameterId() = 0;
  virtual int32 SORVANE_VST3_API getPointCount() = 0;
  virtual tresult SORVANE_VST3_API getPoint(int32 index, int32& sampleOffset, ParamValue& value) = 0;
  virtual tresult SORVANE_VST3_API addPoint(int32 sampleOffset, ParamValue value, int32& index) = 0;
  static constexpr Uid iid = makeUid(0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA);

 protected:
  ~IParamValueQueue() = default;
};

class IParameterChanges : public FUnknown {
 public:
  virtual int32 SORVANE_VST3_API getParameterCount() = 0;
  virtual IParamValueQueue* SORVANE_VST3_API getParameterData(int32 index) = 0;
  virtual IParamValueQueue* SORVANE_VST3_API addParameterData(const ParamID& id, int32& index) = 0;
  static constexpr Uid iid = makeUid(0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D);

 protected:
  ~IParameterChanges() = default;
};

class IEventList;       // never used: the plug-ins have no event buses
struct ProcessContext;  // never read: nothing here follows the transport

struct ProcessData {
  int32 processMode;
  int32 symbolicSampleSize;
  int32 numSamples;
  int32 numInputs;
  int32 numOutputs;
  AudioBusBuffers* inputs;
  AudioBusBuffers* outputs;
  IParameterChanges* inputParameterChanges;
  IParameterChanges* outputParameterChanges;
  IEventList* inputEvents;
  IEventList* outputEvents;
  ProcessContext* processContext;
};

inline constexpr uint32 kNoTail = 0;

class IAudioProcessor : public FUnknown {
 public:
  virtual tresult SORVANE_VST3_API setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                      SpeakerArrangement* outputs, int32 numOuts) = 0;
  virtual tresult SORVANE_VST3_API getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr) = 0;
  virtual tresult SORVANE_VST3_API canProcessSampleSize(int32 symbolicSampleSize) = 0;
  virtual uint32 SORVANE_VST3_API getLatencySamples() = 0;
  virtual tresult SORVANE_VST3_API setupProcessing(ProcessSetup& setup) = 0;
  virtual tresult SORVANE_VST3_API setProcessing(TBool state) = 0;
  virtual tresult SORVANE_VST3_API process(ProcessData& data) = 0;
  virtual uint32 SORVANE_VST3_API getTailSamples() = 0;
  static constexpr Uid iid = makeUid(0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D);

 protected:
  ~IAudioProcessor() = default;
};

// ---- The edit controller

struct ParameterInfo {
  enum ParameterFlags : int32 {
    kNoFlags = 0,
    kCanAutomate = 1 << 0,
    kIsReadOnly = 1 << 1,
    kIsWrapAround = 1 << 2,
    kIsList = 1 << 3,
    kIsHidden = 1 << 4,
    kIsProgramChange = 1 << 15,
    kIsBypass = 1 << 16,
  };
  ParamID id;
  String128 title;
  String128 shortTitle;
  String128 units;
  int32 stepCount;
  ParamValue defaultNormalizedValue;
  UnitID unitId;
  int32 flags;
};

enum RestartFlags : int32 {
  kReloadComponent = 1 << 0,
  kIoChanged = 1 << 1,
  kParamValuesChanged = 1 << 2,
  kLatencyChanged = 1 << 3,
  kParamTitlesChanged = 1 << 4,
};

class IComponentHandler : public FUnknown {
 public:
  virtual tresult SORVANE_VST3_API beginEdit(ParamID id) = 0;
  virtual tresult SORVANE_VST3_API performEdit(ParamID id, ParamValue valueNormalized) = 0;
  virtual tresult SORVANE_VST3_API endEdit(ParamID id) = 0;
  virtual tresult SORVANE_VST3_API restartComponent(int32 flags) = 0;
  static constexpr Uid iid = makeUid(0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6);

 protected:
  ~IComponentHandler() = default;
};

class IPlugView;

class IEditController : public IPluginBase {
 public:
  virtual tresult SORVANE_VST3_API setComponentState(IBStream* state) = 0;
  virtual tresult SORVANE_VST3_API setState(IBStream* state) = 0;
  virtual tresult SORVANE_VST3_API getState(IBStream* state) = 0;
  virtual int32 SORVANE_VST3_API getParameterCount() = 0;
  virtual tresult SORVANE_VST3_API getParameterInfo(int32 paramIndex, ParameterInfo& info) = 0;
  virtual tresult SORVANE_VST3_API getParamStringByValue(ParamID id, ParamValue valueNormalized, String128 string) = 0;
  virtual tresult SORVANE_VST3_API getParamValueByString(ParamID id, TChar* string, ParamValue& valueNormalized) = 0;
  virtual ParamValue SORVANE_VST3_API normalizedParamToPlain(ParamID id, ParamValue valueNormalized) = 0;
  virtual ParamValue SORVANE_VST3_API plainParamToNormalized(ParamID id, ParamValue plainValue) = 0;
  virtual ParamValue SORVANE_VST3_API getParamNormalized(ParamID id) = 0;
  virtual tresult SORVANE_VST3_API setParamNormalized(ParamID id, ParamValue value) = 0;
  virtual tresult SORVANE_VST3_API setComponentHandler(IComponentHandler* handler) = 0;
  virtual IPlugView* SORVANE_VST3_API createView(FIDString name) = 0;
  static constexpr Uid iid = makeUid(0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E);

 protected:
  ~IEditController() = default;
};

// ---- Units and program lists

inline constexpr UnitID kRootUnitId = 0;
inline constexpr UnitID kNoParentUnitId = -1;
inline constexpr ProgramListID kNoProgramListId = -1;

struct UnitInfo {
  UnitID id;
  UnitID parentUnitId;
  String128 name;
  ProgramListID programListId;
};

struct ProgramListInfo {
  ProgramListID id;
  String128 name;
  int32 programCount;
};

class IUnitInfo : public FUnknown {
 public:
  virtual int32 SORVANE_VST3_API getUnitCount() = 0;
  virtual tresult SORVANE_VST3_API getUnitInfo(int32 unitIndex, UnitInfo& info) = 0;
  virtual int32 SORVANE_VST3_API getProgramListCount() = 0;
  virtual tresult SORVANE_VST3_API getProgramListInfo(int32 listIndex, ProgramListInfo& info) = 0;
  virtual tresult SORVANE_VST3_API getProgramName(ProgramListID listId, int32 programIndex, String128 name) = 0;
  virtual tresult SORVANE_VST3_API getProgramInfo(ProgramListID listId, int32 programIndex, CString attributeId,
                                                  String128 attributeValue) = 0;
  virtual tresult SORVANE_VST3_API hasProgramPitchNames(ProgramListID listId, int32 programIndex) = 0;
  virtual tresult SORVANE_VST3_API getProgramPitchName(ProgramListID listId, int32 programIndex, int16 midiPitch,
                                                       String128 name) = 0;
  virtual UnitID SORVANE_VST3_API getSelectedUnit() = 0;
  virtual tresult SORVANE_VST3_API selectUnit(UnitID unitId) = 0;
  virtual tresult SORVANE_VST3_API getUnitByBus(MediaType type, BusDirection dir, int32 busIndex, int32 channel,
                                                UnitID& unitId) = 0;
  virtual tresult SORVANE_VST3_API setUnitProgramData(int32 listOrUnitId, int32 programIndex, IBStream* data) = 0;
  static constexpr Uid iid = makeUid(0x3D4BD6B5, 0x913A4FD2, 0xA886E768, 0xA5EB92C1);

 protected:
  ~IUnitInfo() = default;
};

// ---- The view

inline constexpr FIDString kPlatformTypeHWND = "HWND";
inline constexpr FIDString kPlatformTypeX11EmbedWindowID = "X11EmbedWindowID";

struct ViewRect {
  int32 left;
  int32 top;
  int32 right;
  int32 bottom;
};

class IPlugFrame;

class IPlugView : public FUnknown {
 public:
  virtual tresult SORVANE_VST3_API isPlatformTypeSupported(FIDString type) = 0;
  virtual tresult SORVANE_VST3_API attached(void* parent, FIDString type) = 0;
  virtual tresult SORVANE_VST3_API removed() = 0;
  virtual tresult SORVANE_VST3_API onWheel(float distance) = 0;
  virtual tresult SORVANE_VST3_API onKeyDown(char16 key, int16 keyCode, int16 modifiers) = 0;
  virtual tresult SORVANE_VST3_API onKeyUp(char16 key, int16 keyCode, int16 modifiers) = 0;
  virtual tresult SORVANE_VST3_API getSize(ViewRect* size) = 0;
  virtual tresult SORVANE_VST3_API onSize(ViewRect* newSize) = 0;
  virtual tresult SORVANE_VST3_API onFocus(TBool state) = 0;
  virtual tresult SORVANE_VST3_API setFrame(IPlugFrame* frame) = 0;
  virtual tresult SORVANE_VST3_API canResize() = 0;
  virtual tresult SORVANE_VST3_API checkSizeConstraint(ViewRect* rect) = 0;
  static constexpr Uid iid = makeUid(0x5BC32507, 0xD06049EA, 0xA6151B52, 0x2B755B29);

 protected:
  ~IPlugView() = default;
};

class IPlugFrame : public FUnknown {
 public:
  virtual tresult SORVANE_VST3_API resizeView(IPlugView* view, ViewRect* newSize) = 0;
  static constexpr Uid iid = makeUid(0x367FAF01, 0xAFA94693, 0x8D4DA2A0, 0xED0882A3);

 protected:
  ~IPlugFrame() = default;
};

class IPlugViewContentScaleSupport : public FUnknown {
 public:
  virtual tresult SORVANE_VST3_API setContentScaleFactor(float factor) = 0;
  static constexpr Uid iid = makeUid(0x65ED9690, 0x8AC44525, 0x8AADEF7A, 0x72EA703F);

 protected:
  ~IPlugViewContentScaleSupport() = default;
};

// The run loop a Linux host lends its views (there is no system one): file
// descriptors to watch and timers, both called back on the host's
// user-interface thread.
class IEventHandler : public FUnknown {
 public:
  virtual void SORVANE_VST3_API onFDIsSet(int fd) = 0;
  static constexpr Uid iid = makeUid(0x561E65C9, 0x13A0496F, 0x813A2C35, 0x654D7983);

 protected:
  ~IEventHandler() = default;
};

class ITimerHandler : public FUnknown {
 public:
  virtual void SORVANE_VST3_API onTimer() = 0;
  static constexpr Uid iid = makeUid(0x10BDD94F, 0x41424774, 0x821FAD8F, 0xECA72CA9);

 protected:
  ~ITimerHandler() = default;
};

class IRunLoop : public FUnknown {
 public:
  virtual tresult SORVANE_VST3_API registerEventHandler(IEventHandler* handler, int fd) = 0;
  virtual tresult SORVANE_VST3_API unregisterEventHandler(IEventHandler* handler) = 0;
  virtual tresult SORVANE_VST3_API registerTimer(ITimerHandler* handler, uint64 milliseconds) = 0;
  virtual tresult SORVANE_VST3_API unregisterTimer(ITimerHandler* handler) = 0;
  static constexpr Uid iid = makeUid(0x18C35366, 0x97764F1A, 0x9C5B8385, 0x7A871389);

 protected:
  ~IRunLoop() = default;
};

// ---- The module's exported functions

using GetFactoryProc = IPluginFactory* (*)();
#if defined(_WIN32)
using ModuleInitProc = bool (*)();  // InitDll, ExitDll
#else
using ModuleEntryProc = bool (*)(void* sharedLibraryHandle);
using ModuleExitProc = bool (*)();
#endif

// Class categories and the sub-category of an equaliser.
inline constexpr const char* kAudioEffectClass = "Audio Module Class";
inline constexpr const char* kEqualizerSubCategories = "Fx|EQ";

#if INTPTR_MAX == INT64_MAX
static_assert(sizeof(PFactoryInfo) == 452);
static_assert(sizeof(PClassInfo) == 116);
static_assert(sizeof(PClassInfo2) == 440);
static_assert(sizeof(PClassInfoW) == 696);
static_assert(sizeof(BusInfo) == 276);
static_assert(sizeof(RoutingInfo) == 12);
static_assert(sizeof(ProcessSetup) == 24);
static_assert(offsetof(ProcessSetup, sampleRate) == 16);
static_assert(sizeof(AudioBusBuffers) == 24);
static_assert(offsetof(AudioBusBuffers, silenceFlags) == 8);
static_assert(offsetof(AudioBusBuffers, channelBuffers32) == 16);
static_assert(sizeof(ProcessData) == 80);
static_assert(offsetof(ProcessData, inputs) == 24);
static_assert(offsetof(ProcessData, processContext) == 72);
static_assert(sizeof(ParameterInfo) == 792);
static_assert(offsetof(ParameterInfo, stepCount) == 772);
static_assert(offsetof(ParameterInfo, defaultNormalizedValue) == 776);
static_assert(offsetof(ParameterInfo, flags) == 788);
static_assert(sizeof(UnitInfo) == 268);
static_assert(sizeof(ProgramListInfo) == 264);
static_assert(sizeof(ViewRect) == 16);
#endif

}  // namespace sorvane::vst3
