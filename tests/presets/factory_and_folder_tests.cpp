// Factory programs against the published tables, and the folder rules.
#include <cstdlib>

#include "platform/documents.h"
#include "preset_fixture.h"

namespace sorvane::testing {
namespace {

// Transcribed from the product documentation independently of the product
// tables, so a typo in either shows up here.
struct PublishedProgram {
  const char* name;
  std::vector<double> values;
};

const std::vector<PublishedProgram> kTessaroPrograms = {
    {"Init", {0, 1, 0, 0.5, 0, 0, 0.5, 0, 0.5, 0, 0, 0.5}},
    {"Lead Vocal", {0, 0.925, 0.676667, 0.755, 0.588333, 0, 0.325, 1, 0.675, 0.945, 0, 0.45}},
    {"Female Vocal", {0, 1, 0.343333, 0.65, 0.51, 0, 0.42, 1, 0.62, 0, 0, 0.5}},
    {"Acc Guitar 1", {0, 1, 0.676667, 0.595, 0.843333, 0, 0.845, 1, 0.4, 0.64, 0, 0.45}},
    {"Nylon Guitar 1", {0, 0.47, 0.44, 0.595, 0.51, 0, 0.62, 0.76, 0.41, 0.645, 0, 0.45}},
    {"Distort Guitar 1", {0, 0.47, 0.44, 0.395, 0.858333, 0, 0.595, 1, 0.505, 0.645, 0, 0.45}},
    {"Bass Drum 1", {0, 1, 0.343333, 0.71, 0.235, 0, 0.2, 0.51, 0.685, 0, 0, 0.5}},
    {"Metal Bass Drum 1", {0, 0.875, 0.343333, 0.74, 0.343333, 0, 0.125, 0.76, 0.67, 0, 0, 0.45}},
    {"Snare Drum 1", {0, 1, 0.451667, 0.725, 0.448333, 0, 0.31, 1, 0.735, 0.735, 0, 0.45}},
    {"Snare Drum 2", {0, 0.825, 0.451667, 0.66, 0.176667, 1, 0.39, 1, 0.7, 0.735, 0, 0.45}},
    {"Rack Tom 1", {0, 1, 0.451667, 0.695, 0.176667, 0, 0.17, 0.865, 0.64, 0.735, 0, 0.45}},
    {"Floor Tom 1", {0, 0.925, 0.343333, 0.575, 0.343333, 1, 0.12, 0.86, 0.595, 0.735, 0, 0.45}},
};

const std::vector<PublishedProgram> kPallidoPrograms = {
    {"Init", {0, 1, 0, 0, 0.5, 0, 0, 0.5, 0, 0, 0.5, 0, 0, 0.5, 0, 0, 0.5}},
    {"Male Vocal 1", {0, 0.655, 0.67, 0, 0.555, 0.755, 0, 0.72, 0.9, 0, 0.33, 1, 0, 0.45, 0.73, 0, 0.5}},
    {"Female Pop Vocal", {0, 1, 1, 0, 0.655, 0.705, 1, 0.445, 1, 0, 0.385, 0.81, 1, 0.59, 0.465, 0, 0.5}},
    {"Acc Guitar", {0, 1, 1, 0, 0.59, 0.305, 0, 0.635, 0.455, 0, 0.375, 0.915, 0, 0.44, 0.68, 0, 0.5}},
    {"Electric Guitar 1", {0, 1, 0.26, 0, 0.5, 0.935, 1, 0.385, 0.3, 1, 0.405, 0.505, 0, 0.5, 0.89, 0, 0.5}},
    {"Distorted Guitar 1", {0, 0.49, 0, 0, 0.5, 0.255, 0, 0.595, 0.31, 0, 0.37, 0, 0, 0.5, 0.77, 0, 0.5}},
    {"Lead Guitar 1", {0, 0.49, 0.41, 1, 0.55, 0.11, 0, 0.6, 0.53, 0, 0.31, 0, 0, 0.5, 0.92, 0, 0.5}},
    {"Bass Guitar", {0, 0.51, 0, 0, 0.5, 0.245, 0, 0.585, 0.295, 0, 0.325, 0.41, 0, 0.545, 0, 0, 0.5}},
    {"Kick Drum 1", {0, 0.81, 0.88, 0, 0.61, 0.71, 0, 0.61, 0.23, 1, 0.23, 0.61, 0, 0.65, 0.21, 0, 0.5}},
    {"Snare Drum 1", {0, 0.815, 0, 0, 0.5, 0.71, 0, 0.715, 0.44, 0, 0.385, 0.865, 1, 0.42, 0.655, 0, 0.5}},
    {"Tom Hi", {0, 0.785, 0.61, 0, 0.5, 0.925, 0, 0.63, 0.42, 1, 0.24, 0.865, 1, 0.595, 0.99, 0, 0.5}},
    {"Tom Lo", {0, 0.785, 0.26, 0, 0.56, 0.755, 0, 0.605, 0.325, 1, 0.305, 0.505, 0, 0.425, 0.47, 0, 0.5}},
};

const std::vector<PublishedProgram>& publishedPrograms(const PresetProduct& product) {
  return &product == &tessaro::kPresetProduct ? kTessaroPrograms : kPallidoPrograms;
}

template <class Case>
class FactoryPrograms : public PresetFixture<Case> {};
TYPED_TEST_SUITE(FactoryPrograms, ProductCases);

TYPED_TEST(FactoryPrograms, EverySlotHoldsThePublishedProgramOnBothSides) {
  const PresetProduct& product = TypeParam::product();
  const auto& published = publishedPrograms(product);
  const auto& bank = this->store();
  EXPECT_EQ(0, std::memcmp(bank.magic, product.bankMagic, 6));
  EXPECT_EQ(1, bank.version);
  for (int p = 0; p < kProgramCount; ++p) {
    const auto& slot = bank.program[p];
    const std::string fileName = std::string(published[p].name) + "." + product.presetExtension;
    EXPECT_EQ(1, slot.version);
    EXPECT_EQ(0u, slot.activeSide);
    for (int s = 0; s < 2; ++s) {
      const auto& record = slot.side[s];
      SCOPED_TRACE(::testing::Message() << "program " << p << " side " << s);
      EXPECT_EQ(0, std::memcmp(record.magic, product.presetMagic, 6));
      EXPECT_EQ(1, record.version);
      EXPECT_STREQ(published[p].name, record.name);
      EXPECT_EQ(fileName, slot.fileName[s]);
      ASSERT_EQ(published[p].values.size(), static_cast<size_t>(this->kParameterCount));
      for (int i = 0; i < this->kParameterCount; ++i)
        EXPECT_EQ(bitsOf(static_cast<float>(published[p].values[i])), bitsOf(record.values[i])) << "value " << i;
      for (int i = this->kParameterCount; i < static_cast<int>(std::size(record.values)); ++i)
        EXPECT_EQ(0u, bitsOf(record.values[i]));
    }
  }
}

TYPED_TEST(FactoryPrograms, AFreshEffectPlaysInitAndNamesEveryProgram) {
  const auto& published = publishedPrograms(TypeParam::product());
  auto& effect = *this->effect;
  EXPECT_EQ(0, effect.getProgram());
  for (int i = 0; i < this->kParameterCount; ++i)
    EXPECT_EQ(static_cast<float>(published[0].values[i]), effect.getParameter(i));
  char name[kProgramNameField] = {};
  for (int p = 0; p < kProgramCount; ++p) {
    ASSERT_TRUE(effect.getProgramNameIndexed(0, p, name));
    EXPECT_STREQ(published[p].name, name);
  }
  // Both sides are equal, so switching right away changes nothing.
  effect.toggleActiveSide();
  for (int i = 0; i < this->kParameterCount; ++i)
    EXPECT_EQ(static_cast<float>(published[0].values[i]), effect.getParameter(i));
}

// ---- Folders ------------------------------------------------------------------

TEST(PresetFolders, AreTheDocumentsFolderJoinedWithTheRelativeNames) {
  char documents[platform::kPathCapacity];
  platform::documentsFolder(documents);
  const char sep = platform::kPathSeparator;
  for (const PresetProduct* product : {&tessaro::kPresetProduct, &pallido::kPresetProduct}) {
    char manual[platform::kPathCapacity], presets[platform::kPathCapacity];
    std::memset(manual, 'x', sizeof(manual));
    std::memset(presets, 'x', sizeof(presets));
    buildFolderPaths(*product, manual, presets);
    std::string expectedPresets = std::string(documents) + sep + product->presetFolder;
    std::string expectedManual = std::string(documents) + sep + kManualFolder;
    for (auto* text : {&expectedPresets, &expectedManual})
      for (char& c : *text)
        if (c == '\\') c = sep;
    EXPECT_EQ(expectedPresets, presets);
    EXPECT_EQ(expectedManual, manual);
    // The field is cleared before it is filled.
    EXPECT_EQ(std::string(platform::kPathCapacity - expectedPresets.size(), '\0'),
              std::string(presets + expectedPresets.size(), platform::kPathCapacity - expectedPresets.size()));
  }
}

TEST(PresetFolders, JoiningAcceptsEitherSeparatorAndRefusesWhatDoesNotFit) {
  char out[32];
  ASSERT_TRUE(joinPath("root", "Sub\\Deeper/x.tsqp", out, sizeof(out)));
  const std::string sep(1, platform::kPathSeparator);
  EXPECT_EQ("root" + sep + "Sub" + sep + "Deeper" + sep + "x.tsqp", out);
  EXPECT_FALSE(joinPath("root", std::string(40, 'n').c_str(), out, sizeof(out)));
  EXPECT_EQ(31u, std::strlen(out));
}

#ifndef _WIN32
void setVariable(const char* name, const char* value) { setenv(name, value, 1); }
void unsetVariable(const char* name) { unsetenv(name); }

TEST(PresetFolders, ConstructingAnEffectCreatesNoFolder) {
  ScratchFolder home(tessaro::kPresetProduct);
  fs::remove_all(home.root / "Sorvane");
  const std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  setVariable("HOME", home.root.string().c_str());
  unsetVariable("XDG_CONFIG_HOME");
  {
    tessaro::Effect tessaroEffect(nullptr);
    pallido::Effect pallidoEffect(nullptr);
    EXPECT_EQ((home.root / "Documents" / "Sorvane" / "Presets" / "Tessaro").string(),
              tessaroEffect.getPresetFolderPath());
    EXPECT_EQ((home.root / "Documents" / "Sorvane" / "User Manuals").string(), pallidoEffect.getManualFolderPath());
  }
  setVariable("HOME", oldHome.c_str());
  EXPECT_TRUE(fs::is_empty(home.root));
}

TEST(PresetFolders, ReadTheUserDirsFileOfTheConfigFolder) {
  ScratchFolder home(tessaro::kPresetProduct);
  fs::create_directories(home.root / "config");
  std::ofstream(home.root / "config" / "user-dirs.dirs") << "XDG_DOCUMENTS_DIR=\"$HOME/Papiers\"\n";
  const std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  setVariable("HOME", home.root.string().c_str());
  setVariable("XDG_CONFIG_HOME", (home.root / "config").string().c_str());
  char documents[platform::kPathCapacity];
  const bool found = platform::documentsFolder(documents);
  setVariable("HOME", oldHome.c_str());
  unsetVariable("XDG_CONFIG_HOME");
  ASSERT_TRUE(found);
  EXPECT_EQ((home.root / "Papiers").string(), documents);
}
#endif

TEST(DocumentsFolder, FollowsTheLastDocumentsEntryOfTheUserDirsFile) {
  char out[platform::kPathCapacity];
  const char* text =
      "# written by the desktop\n"
      "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
      "XDG_DOCUMENTS_DIR=\"$HOME/Old\"\n"
      "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n";
  ASSERT_TRUE(platform::xdgDocumentsFolder(text, "/home/ana", out));
  EXPECT_STREQ("/home/ana/Dokumente", out);

  ASSERT_TRUE(platform::xdgDocumentsFolder("XDG_DOCUMENTS_DIR=\"/srv/docs/\"\n", "/home/ana", out));
  EXPECT_STREQ("/srv/docs", out);
  ASSERT_TRUE(platform::xdgDocumentsFolder("  XDG_DOCUMENTS_DIR=\"${HOME}/My \\\"Docs\\\"\"", "/h", out));
  EXPECT_STREQ("/h/My \"Docs\"", out);
  // "$HOME/" is how the desktop disables a folder: the home folder itself.
  ASSERT_TRUE(platform::xdgDocumentsFolder("XDG_DOCUMENTS_DIR=\"$HOME/\"", "/home/ana", out));
  EXPECT_STREQ("/home/ana", out);
  // An escaped dollar is text, not the home folder.
  ASSERT_TRUE(platform::xdgDocumentsFolder("XDG_DOCUMENTS_DIR=\"/x/\\$HOME\"", "/home/ana", out));
  EXPECT_STREQ("/x/$HOME", out);
}

TEST(DocumentsFolder, FallsBackToDocumentsInTheHomeFolder) {
  char out[platform::kPathCapacity];
  for (const char* text : {static_cast<const char*>(nullptr), "", "XDG_MUSIC_DIR=\"$HOME/Music\"",
                           "XDG_DOCUMENTS_DIR=\"relative/path\"", "XDG_DOCUMENTS_DIR=\"$HOME/unclosed"}) {
    ASSERT_TRUE(platform::xdgDocumentsFolder(text, "/home/ana", out)) << (text ? text : "(no file)");
    EXPECT_STREQ("/home/ana/Documents", out) << (text ? text : "(no file)");
  }
  EXPECT_FALSE(platform::xdgDocumentsFolder(nullptr, "", out));
  EXPECT_STREQ("", out);
  std::string longHome(301, 'h');
  longHome[0] = '/';
  EXPECT_FALSE(platform::xdgDocumentsFolder(nullptr, longHome.c_str(), out));
  EXPECT_STREQ("", out);
}

}  // namespace
}  // namespace sorvane::testing
