// The declared VST3 interface against the values the format documents: the
// identifiers as the four words it publishes, in the byte order of each
// platform; the records' sizes and offsets on 64-bit targets; and the texts
// between UTF-8 and the UTF-16 fields.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "formats/vst3/interfaces.h"
#include "formats/vst3/text.h"

namespace {

using namespace sorvane::vst3;

struct DocumentedId {
  const char* name;
  Uid declared;
  uint32 words[4];
};

// The identifiers as the format's documentation writes them.
const DocumentedId kDocumentedIds[] = {
    {"FUnknown", FUnknown::iid, {0x00000000, 0x00000000, 0xC0000000, 0x00000046}},
    {"IBStream", IBStream::iid, {0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B}},
    {"IPluginFactory", IPluginFactory::iid, {0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F}},
    {"IPluginFactory2", IPluginFactory2::iid, {0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB}},
    {"IPluginFactory3", IPluginFactory3::iid, {0x4555A2AB, 0xC1234E57, 0x9B122910, 0x36878931}},
    {"IHostApplication", IHostApplication::iid, {0x58E595CC, 0xDB2D4969, 0x8B6AAF8C, 0x36A664E5}},
    {"IPluginBase", IPluginBase::iid, {0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625}},
    {"IComponent", IComponent::iid, {0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802}},
    {"IAudioProcessor", IAudioProcessor::iid, {0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D}},
    {"IParamValueQueue", IParamValueQueue::iid, {0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA}},
    {"IParameterChanges", IParameterChanges::iid, {0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D}},
    {"IComponentHandler", IComponentHandler::iid, {0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6}},
    {"IEditController", IEditController::iid, {0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E}},
    {"IUnitInfo", IUnitInfo::iid, {0x3D4BD6B5, 0x913A4FD2, 0xA886E768, 0xA5EB92C1}},
    {"IPlugView", IPlugView::iid, {0x5BC32507, 0xD06049EA, 0xA6151B52, 0x2B755B29}},
    {"IPlugFrame", IPlugFrame::iid, {0x367FAF01, 0xAFA94693, 0x8D4DA2A0, 0xED0882A3}},
    {"IPlugViewContentScaleSupport",
     IPlugViewContentScaleSupport::iid,
     {0x65ED9690, 0x8AC44525, 0x8AADEF7A, 0x72EA703F}},
    {"IEventHandler", IEventHandler::iid, {0x561E65C9, 0x13A0496F, 0x813A2C35, 0x654D7983}},
    {"ITimerHandler", ITimerHandler::iid, {0x10BDD94F, 0x41424774, 0x821FAD8F, 0xECA72CA9}},
    {"IRunLoop", IRunLoop::iid, {0x18C35366, 0x97764F1A, 0x9C5B8385, 0x7A871389}},
};

// The bytes the words stand for: a COM GUID on Windows (the first word and
// the halves of the second little-endian), big-endian words elsewhere.
Uid documentedBytes(const uint32 (&w)[4]) {
  Uid bytes{};
  auto put = [&bytes](std::size_t at, uint32 word) {
    for (int i = 0; i < 4; ++i)
      bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(word >> (24 - 8 * i));
  };
  put(0, w[0]);
  put(4, w[1]);
  put(8, w[2]);
  put(12, w[3]);
#if defined(_WIN32)
  std::swap(bytes[0], bytes[3]);
  std::swap(bytes[1], bytes[2]);
  std::swap(bytes[4], bytes[5]);
  std::swap(bytes[6], bytes[7]);
#endif
  return bytes;
}

TEST(Vst3Interface, EveryIdentifierIsTheDocumentedOneInThisPlatformsByteOrder) {
  for (const DocumentedId& id : kDocumentedIds) EXPECT_EQ(id.declared, documentedBytes(id.words)) << id.name;
}

TEST(Vst3Interface, TheComponentIdentifierHasTheKnownBytesOfThisPlatform) {
#if defined(_WIN32)
  const Uid expected = {0x31, 0xFF, 0x31, 0xE8, 0xD5, 0xF2, 0x01, 0x43, 0x92, 0x8E, 0xBB, 0xEE, 0x25, 0x69, 0x78, 0x02};
#else
  const Uid expected = {0xE8, 0x31, 0xFF, 0x31, 0xF2, 0xD5, 0x43, 0x01, 0x92, 0x8E, 0xBB, 0xEE, 0x25, 0x69, 0x78, 0x02};
#endif
  EXPECT_EQ(IComponent::iid, expected);
  EXPECT_TRUE(sameUid(expected.data(), IComponent::iid));
  EXPECT_FALSE(sameUid(IAudioProcessor::iid.data(), IComponent::iid));
  EXPECT_FALSE(sameUid(nullptr, IComponent::iid));
}

TEST(Vst3Interface, ResultCodesAreThePlatformsOwn) {
#if defined(_WIN32)
  EXPECT_EQ(static_cast<uint32>(kNoInterface), 0x80004002u);
  EXPECT_EQ(static_cast<uint32>(kInvalidArgument), 0x80070057u);
  EXPECT_EQ(static_cast<uint32>(kNotImplemented), 0x80004001u);
#else
  EXPECT_EQ(kNoInterface, -1);
  EXPECT_EQ(kInvalidArgument, 2);
  EXPECT_EQ(kNotImplemented, 3);
#endif
  EXPECT_EQ(kResultOk, 0);
  EXPECT_EQ(kResultFalse, 1);
}

#if INTPTR_MAX == INT64_MAX
struct DocumentedLayout {
  const char* name;
  std::size_t size;
  std::size_t documented;
};

TEST(Vst3Interface, RecordsHaveTheDocumentedSizesAndOffsetsOn64BitTargets) {
  const DocumentedLayout layouts[] = {
      {"PFactoryInfo", sizeof(PFactoryInfo), 452},
      {"PClassInfo", sizeof(PClassInfo), 116},
      {"PClassInfo2", sizeof(PClassInfo2), 440},
      {"PClassInfoW", sizeof(PClassInfoW), 696},
      {"PClassInfoW::subCategories", offsetof(PClassInfoW, subCategories), 184},
      {"BusInfo", sizeof(BusInfo), 276},
      {"BusInfo::busType", offsetof(BusInfo, busType), 268},
      {"RoutingInfo", sizeof(RoutingInfo), 12},
      {"ProcessSetup", sizeof(ProcessSetup), 24},
      {"ProcessSetup::sampleRate", offsetof(ProcessSetup, sampleRate), 16},
      {"AudioBusBuffers", sizeof(AudioBusBuffers), 24},
      {"AudioBusBuffers::channelBuffers32", offsetof(AudioBusBuffers, channelBuffers32), 16},
      {"ProcessData", sizeof(ProcessData), 80},
      {"ProcessData::inputs", offsetof(ProcessData, inputs), 24},
      {"ProcessData::inputParameterChanges", offsetof(ProcessData, inputParameterChanges), 40},
      {"ParameterInfo", sizeof(ParameterInfo), 792},
      {"ParameterInfo::units", offsetof(ParameterInfo, units), 516},
      {"ParameterInfo::defaultNormalizedValue", offsetof(ParameterInfo, defaultNormalizedValue), 776},
      {"UnitInfo", sizeof(UnitInfo), 268},
      {"ProgramListInfo", sizeof(ProgramListInfo), 264},
      {"ViewRect", sizeof(ViewRect), 16},
  };
  for (const DocumentedLayout& layout : layouts) EXPECT_EQ(layout.size, layout.documented) << layout.name;
}
#endif

TEST(Vst3Text, UnitTextsWithDegreesTravelThroughUtf16AndBack) {
  for (const std::string text : {"180°", "+3.5 dB", "4.6 kHz", ""}) {
    String128 wide = {};
    copyUtf16(wide, text.c_str());
    EXPECT_EQ(toUtf8(wide, 128), text);
  }
  String128 wide = {};
  copyUtf16(wide, "0°");
  EXPECT_EQ(wide[1], u'\u00B0');
  EXPECT_EQ(wide[2], 0);
}

TEST(Vst3Text, CopiesStopAtTheFieldAndNeverSplitACharacter) {
  char16 shortWide[3] = {1, 1, 1};
  copyUtf16(shortWide, "abcdef");
  EXPECT_EQ(std::u16string(shortWide), u"ab");
  char16 surrogateRoom[3] = {};
  copyUtf16(surrogateRoom, "a\xF0\x9F\x8E\xB5");  // a character of two units does not fit after "a"
  EXPECT_EQ(std::u16string(surrogateRoom), u"a");
  char narrow[4] = {1, 1, 1, 1};
  copyUtf8(narrow, "18°x");  // "18" and half of the degree sign would fit
  EXPECT_STREQ(narrow, "18");
  char16 bad[8] = {};
  copyUtf16(bad, "a\xC3");  // cut off inside a character
  EXPECT_EQ(bad[0], u'a');
  EXPECT_EQ(bad[1], 0xFFFD);
  const char16 lone[] = {0xD800, u'x', 0};
  EXPECT_EQ(toUtf8(lone, 3), "\xEF\xBF\xBDx");
}

}  // namespace
