// The user's settings file (rules, round trips, bad files, missing and
// unwritable folders, where it lives) and the readers of the desktop's size.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "platform/settings.h"
#include "platform/system_scale.h"
#include "tests/platform/temp_tree.h"

namespace sorvane::platform {
namespace {

using test::TempTree;
namespace fs = std::filesystem;

std::string readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(SettingsText, GoodLinesParseAndEverythingElseMakesTheWholeFileNothing) {
  SettingsEntries entries;
  ASSERT_TRUE(parseSettings("# c\n\nsize=200\r\nname.x-y_2=a b\tc\nempty=\n", entries));
  EXPECT_EQ(entries, (SettingsEntries{{"size", "200"}, {"name.x-y_2", "a b\tc"}, {"empty", ""}}));
  ASSERT_TRUE(parseSettings("a=1=2\n", entries));
  EXPECT_EQ(entries, (SettingsEntries{{"a", "1=2"}}));

  for (const std::string& bad :
       {std::string(""), std::string("size=200"), std::string("size=200\nx=1"), std::string("size\n"),
        std::string("=200\n"), std::string("Size=200\n"), std::string("si ze=200\n"), std::string("size=2\x01\n"),
        std::string("size=\xc3\xa9\n"), std::string("size=200\n\0\n", 11), std::string("# \x7f\n"),
        std::string(kSettingsFileLimit, '\n') + "a=1\n"}) {
    entries = {{"stale", "1"}};
    EXPECT_FALSE(parseSettings(bad, entries)) << bad.substr(0, 20);
    EXPECT_TRUE(entries.empty());
  }
  EXPECT_EQ(formatSettings({{"size", "200"}, {"Bad Key", "x"}, {"bin", "\x01"}}),
            "# Sorvane editor settings\nsize=200\n");
  ASSERT_TRUE(parseSettings(formatSettings({{"size", "automatic"}, {"x", "a b"}}), entries));
  EXPECT_EQ(entries, (SettingsEntries{{"size", "automatic"}, {"x", "a b"}}));
}

TEST(FolderSettingsFile, ValuesGoRoundTripThroughTheFileAndReplaceTheirLineOnly) {
  TempTree tree;
  FolderSettings settings((tree.root / "a" / "b" / "Sorvane").string());
  EXPECT_EQ(settings.value("size"), "") << "no file yet";
  EXPECT_TRUE(settings.setValue("size", "200"));
  EXPECT_TRUE(settings.setValue("other", "x"));
  EXPECT_EQ(settings.value("size"), "200");
  EXPECT_TRUE(settings.setValue("size", "automatic"));
  EXPECT_EQ(readAll(tree.root / "a" / "b" / "Sorvane" / "settings"),
            "# Sorvane editor settings\nsize=automatic\nother=x\n");
  // Only the file remains: no temporary one beside it.
  int files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(tree.root / "a" / "b" / "Sorvane")) ++files;
  EXPECT_EQ(files, 1);
  EXPECT_FALSE(settings.setValue("Bad Key", "1"));
  EXPECT_FALSE(settings.setValue("size", "two\nlines"));
  EXPECT_EQ(settings.value("size"), "automatic");
}

TEST(FolderSettingsFile, ABadFileReadsAsNothingAndIsReplacedWhole) {
  TempTree tree;
  const fs::path file = tree.file("S/settings", std::string("size=200\n\x89PNG\0", 14));
  FolderSettings settings(file.parent_path().string());
  EXPECT_EQ(settings.value("size"), "");
  EXPECT_TRUE(settings.setValue("size", "150"));
  EXPECT_EQ(readAll(file), "# Sorvane editor settings\nsize=150\n");
  // Two lines for one key: the last counts, and a new value leaves one.
  tree.file("S/settings", "size=100\nsize=125\n");
  EXPECT_EQ(settings.value("size"), "125");
  EXPECT_TRUE(settings.setValue("size", "300"));
  EXPECT_EQ(readAll(file), "# Sorvane editor settings\nsize=300\n");
  // A folder where the file should be.
  fs::remove(file);
  fs::create_directories(file);
  EXPECT_EQ(settings.value("size"), "");
  EXPECT_FALSE(settings.setValue("size", "200"));
}

TEST(FolderSettingsFile, AnUnwritableOrImpossibleFolderFailsAndLeavesTheOldFile) {
  TempTree tree;
  const fs::path blocker = tree.file("blocker", "not a folder");
  FolderSettings underFile((blocker / "Sorvane").string());
  EXPECT_FALSE(underFile.setValue("size", "200"));
  EXPECT_EQ(underFile.value("size"), "");
  EXPECT_FALSE(FolderSettings("").setValue("size", "200"));
  EXPECT_EQ(FolderSettings("").value("size"), "");

  const fs::path folder = tree.file("ro/settings", "size=125\n").parent_path();
  FolderSettings readOnly(folder.string());
  fs::permissions(folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const bool denied = !std::ofstream(folder / "probe");  // the super-user writes anyway
  if (denied) {
    EXPECT_FALSE(readOnly.setValue("size", "200"));
    EXPECT_EQ(readOnly.value("size"), "125") << "the old file stays";
  }
  fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add);
}

#ifndef _WIN32
// The environment is the process's: these tests put back what they change.
class Environment {
 public:
  explicit Environment(const char* name) : name_(name) {
    if (const char* value = std::getenv(name)) old_ = value, had_ = true;
  }
  ~Environment() { had_ ? setenv(name_, old_.c_str(), 1) : unsetenv(name_); }
  void set(const char* value) { value ? setenv(name_, value, 1) : unsetenv(name_); }

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

TEST(UserSettingsFolder, TheOverrideThenAnAbsoluteXdgConfigHomeThenHomesConfig) {
  Environment own("SORVANE_SETTINGS_DIR"), xdg("XDG_CONFIG_HOME"), home("HOME");
  own.set(nullptr);
  home.set("/home/someone");
  xdg.set("/xdg");
  EXPECT_EQ(userSettingsFolder(), "/xdg/Sorvane");
  xdg.set("relative/config");
  EXPECT_EQ(userSettingsFolder(), "/home/someone/.config/Sorvane") << "a relative XDG folder does not count";
  xdg.set(nullptr);
  EXPECT_EQ(userSettingsFolder(), "/home/someone/.config/Sorvane");
  home.set(nullptr);
  EXPECT_EQ(userSettingsFolder(), "");
  EXPECT_EQ(userSettings().value("size"), "");
  EXPECT_FALSE(userSettings().setValue("size", "200")) << "nowhere to keep it";

  TempTree tree;
  own.set((tree.root / "mine").string().c_str());
  EXPECT_TRUE(userSettings().setValue("size", "175"));
  EXPECT_EQ(readAll(tree.root / "mine" / "settings"), "# Sorvane editor settings\nsize=175\n");
}
#else
TEST(UserSettingsFolder, TheOverrideThenTheRoamingApplicationData) {
  const char* before = std::getenv("SORVANE_SETTINGS_DIR");
  const std::string old = before ? before : "";
  _putenv_s("SORVANE_SETTINGS_DIR", "");
  const std::string folder = userSettingsFolder();
  ASSERT_GT(folder.size(), 8u);
  EXPECT_EQ(folder.substr(folder.size() - 8), "\\Sorvane") << folder;
  if (const char* appData = std::getenv("APPDATA")) {
    EXPECT_EQ(folder, std::string(appData) + "\\Sorvane");
  }
  TempTree tree;
  _putenv_s("SORVANE_SETTINGS_DIR", (tree.root / "mine").string().c_str());
  EXPECT_TRUE(userSettings().setValue("size", "175"));
  EXPECT_EQ(readAll(tree.root / "mine" / "settings"), "# Sorvane editor settings\nsize=175\n");
  _putenv_s("SORVANE_SETTINGS_DIR", old.c_str());
}
#endif

TEST(SystemScale, DotsPerInchAreAPercentOf96AndNonsenseIsNothing) {
  EXPECT_EQ(scaleFromDpi(96), 100);
  EXPECT_EQ(scaleFromDpi(192), 200);
  EXPECT_EQ(scaleFromDpi(144), 150);
  EXPECT_EQ(scaleFromDpi(120), 125);
  EXPECT_EQ(scaleFromDpi(768), 800);
  for (double bad :
       {0.0, -96.0, 769.0, 1e300, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()})
    EXPECT_EQ(scaleFromDpi(bad), 0) << bad;
}

TEST(SystemScale, TheXResourcesGiveTheirXftDpiLine) {
  EXPECT_EQ(scaleFromXResources("Xft.dpi:\t192\n"), 200);
  EXPECT_EQ(scaleFromXResources("*customization:\t-color\nXft.antialias:\t1\nXft.dpi:\t144\nXft.hinting:\t1\n"), 150);
  EXPECT_EQ(scaleFromXResources("Xft.dpi: 120"), 125) << "no newline at the end";
  EXPECT_EQ(scaleFromXResources("  Xft.dpi :  96.0 \r\n"), 100);
  EXPECT_EQ(scaleFromXResources("Xft.dpi:\t96\nXft.dpi:\t192\n"), 200) << "the last one counts";
  for (const char* bad :
       {"", "Xft.dpi:\n", "Xft.dpi:\tabc\n", "Xft.dpi:\t0\n", "Xft.dpi:\t-192\n", "Xft.dpi:\t1e9\n",
        "Xft.dpi:\t99999999999999999999999999999999999\n", "Xft.dpi:\t192px\n", "Xft.dpi:\t1.2.3\n", "Xft.dpix:\t192\n",
        "Xft.dpi\t192\n", "MyXft.dpi:\t192\n", "Xft.dpi:\t192\nXft.dpi:\tgarbage\n", "Xft.dpi:\t.\n"})
    EXPECT_EQ(scaleFromXResources(bad), 0) << bad;
  EXPECT_EQ(scaleFromXResources(std::string("Xft.dpi:\t1\0"
                                            "92\n",
                                            14)),
            0)
      << "a NUL inside";
}

TEST(SystemScale, GdkScaleIsAWholeFactor) {
  EXPECT_EQ(scaleFromGdkScale("1"), 100);
  EXPECT_EQ(scaleFromGdkScale("2"), 200);
  EXPECT_EQ(scaleFromGdkScale(" 3 "), 300);
  EXPECT_EQ(scaleFromGdkScale("8"), 800);
  for (const char* bad : {static_cast<const char*>(nullptr), "", "0", "-2", "1.5", "9", "2x", "two", "99999999999999"})
    EXPECT_EQ(scaleFromGdkScale(bad), 0) << (bad ? bad : "null");
}

}  // namespace
}  // namespace sorvane::platform
