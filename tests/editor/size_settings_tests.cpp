// Where the editor's size comes from beyond the host: the Size sub-menu of
// the file menu, the user's settings file behind it (good, bad, missing and
// unwritable), and the system's size at opening and while open.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "gui/controls/coptionmenu.h"
#include "gui/draw/scaling.h"
#include "platform/scripted/file_dialog.h"
#include "platform/settings.h"
#include "tests/editor/editor_fixture.h"
#include "tests/platform/temp_tree.h"

namespace sorvane::test {
namespace {

namespace fs = std::filesystem;
using Source = editor::AEffGUIEditor::ScaleSource;

template <class Product>
class EditorSizes : public EditorTest<Product> {
 protected:
  void SetUp() override {
    EditorTest<Product>::SetUp();
    useFolder(tree.root / "config" / "Sorvane");
  }
  // A fresh editor whose settings live in folder.
  void useFolder(const fs::path& folder) {
    this->effect.reset();
    settings = std::make_unique<platform::FolderSettings>(folder.string());
    this->ui.settings = settings.get();
    this->makeEffect();
  }
  fs::path file() const { return fs::path(settings->folder()) / "settings"; }
  std::string fileText() const {
    std::ifstream in(file(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  void writeFile(const std::string& text) {
    fs::create_directories(file().parent_path());
    std::ofstream(file(), std::ios::binary) << text;
  }
  void chooseSize(const char* title) {
    this->ui.menus.choose({"Size", title});
    this->click(this->centre(this->layout().fileMenu));
  }
  // The Size sub-menu as the last pop-up showed it: titles and the checked one.
  std::vector<std::string> shownSizes(std::string& checked) const {
    std::vector<std::string> titles;
    checked.clear();
    const auto& entries = this->ui.menus.shown.back().menu.entries;
    const platform::PopupMenuEntry& size = entries.back();
    EXPECT_EQ(size.kind, platform::PopupMenuEntry::Submenu);
    EXPECT_EQ(size.title, "Size");
    EXPECT_EQ(entries[entries.size() - 2].kind, platform::PopupMenuEntry::Separator);
    for (const auto& e : size.submenu) {
      titles.push_back(e.title);
      if (e.checked) checked += e.title;
    }
    return titles;
  }

  platform::test::TempTree tree;
  std::unique_ptr<platform::FolderSettings> settings;
};
TYPED_TEST_SUITE(EditorSizes, Products);

TYPED_TEST(EditorSizes, TheSizeMenuChoosesKeepsAndChecksTheUsersSizeAndAutomaticGivesItBack) {
  this->dispatch(effVendorSpecific, 0x50726553, 0x41654373, nullptr, 1.5f);  // the host says 150 %
  ASSERT_TRUE(this->open());
  this->ui.menus.dismiss();
  this->click(TestFixture::centre(this->layout().fileMenu));
  std::string checked;
  EXPECT_EQ(this->shownSizes(checked),
            (std::vector<std::string>{"100 %", "125 %", "150 %", "175 %", "200 %", "250 %", "300 %", "Automatic"}));
  EXPECT_EQ(checked, "Automatic") << "no choice of the user's: the host's size rules";

  this->chooseSize("200 %");
  EXPECT_EQ(this->editor->getScale(Source::User), 200);
  EXPECT_EQ(this->fileText(), "# Sorvane editor settings\nsize=200\n");
  EXPECT_EQ(this->windowSize(), this->panelAt(150)) << "not inside the menu's event";
  this->idle();
  EXPECT_EQ(this->windowSize(), this->panelAt(200));
  this->ui.menus.dismiss();
  this->click(TestFixture::centre(scaleToWindow(this->layout().fileMenu, 200)));
  this->shownSizes(checked);
  EXPECT_EQ(checked, "200 %");

  this->chooseSize("Automatic");
  this->click(TestFixture::centre(scaleToWindow(this->layout().fileMenu, 200)));
  EXPECT_EQ(this->editor->getScale(Source::User), 0);
  EXPECT_EQ(this->editor->getScale(), 150) << "the host's again";
  EXPECT_EQ(this->fileText(), "# Sorvane editor settings\nsize=automatic\n");
  this->idle();
  EXPECT_EQ(this->windowSize(), this->panelAt(150));
}

TYPED_TEST(EditorSizes, TheFileMenusOwnEntriesKeepTheirPlacesAndCommands) {
  // Program mode: "Load Bank" is the fifth entry, and answers a dialog.
  platform::ScriptedFileDialogs dialogs;
  this->ui.dialogs = &dialogs;
  this->makeEffect();
  ASSERT_TRUE(this->open());
  COptionMenu* menu = this->editor->fileMenu();
  const std::vector<std::string> expected{"Save Preset",     "Load Preset", "-",           "Save Bank",
                                          "Load Bank",       "-",           "User Manual", "-",
                                          "Sorvane Website", "-",           "Size"};
  ASSERT_EQ(menu->getNbEntries(), static_cast<int>(expected.size()));
  for (int i = 0; i < menu->getNbEntries(); ++i)
    EXPECT_EQ(menu->getEntry(i)->isSeparator() ? "-" : menu->getEntry(i)->getTitle(), expected[static_cast<size_t>(i)]);
  this->ui.menus.choose({"Load Bank"});
  this->click(TestFixture::centre(this->layout().fileMenu));
  ASSERT_EQ(dialogs.requests.size(), 1u);
  EXPECT_EQ(dialogs.requests[0].kind, platform::FileDialogRequest::Open);
  EXPECT_EQ(this->editor->getScale(Source::User), 0) << "no size chosen by it";
}

TYPED_TEST(EditorSizes, TheUsersSizeIsReadFromTheSettingsBeforeTheFirstRectangle) {
  this->writeFile("# mine\nother=x\nsize=175\n");
  this->useFolder(this->settings->folder());
  EXPECT_EQ(this->rectSize(), this->panelAt(175));
  ASSERT_TRUE(this->open());
  EXPECT_EQ(this->windowSize(), this->panelAt(175));
  this->close();
  // Another editor's choice changes the file, not this editor's size.
  this->writeFile("other=x\nsize=300\n");
  EXPECT_EQ(this->rectSize(), this->panelAt(175)) << "read once, when the editor is first asked";
  // A choice keeps the file's other entries.
  EXPECT_TRUE(this->editor->chooseScale(125));
  EXPECT_EQ(this->fileText(), "# Sorvane editor settings\nother=x\nsize=125\n");
}

TYPED_TEST(EditorSizes, AnEmptyTruncatedBinaryOrUnknownFileIsNoChoiceAndTheNextChoiceRewritesIt) {
  const std::string bad[] = {"",
                             "size=200",  // cut before its newline
                             "size=20",
                             "size=130\n",
                             "size=200%\n",
                             "size= 200\n",
                             "size=-200\n",
                             "size=99999999999999999999\n",
                             std::string("size=200\n\0\x89PNG\n", 15),
                             "\x89PNG\r\n\x1a\n",
                             "size 200\n",
                             std::string(5000, '#') + "\nsize=200\n"};
  for (const std::string& text : bad) {
    this->writeFile(text);
    this->useFolder(this->settings->folder());
    EXPECT_EQ(this->rectSize(), this->panelAt(100)) << "file: " << text.substr(0, 40);
    EXPECT_EQ(this->editor->getScale(Source::User), 0);
  }
  EXPECT_TRUE(this->editor->chooseScale(250));
  EXPECT_EQ(this->fileText(), "# Sorvane editor settings\nsize=250\n");
  this->useFolder(this->settings->folder());
  EXPECT_EQ(this->rectSize(), this->panelAt(250));
}

TYPED_TEST(EditorSizes, AMissingFolderIsMadeAndAnUnwritableOneStillLetsTheChoiceHold) {
  this->useFolder(this->tree.root / "deep" / "er" / "Sorvane");
  EXPECT_EQ(this->rectSize(), this->panelAt(100));
  EXPECT_TRUE(this->editor->chooseScale(300));
  EXPECT_EQ(this->fileText(), "# Sorvane editor settings\nsize=300\n");

  // A file where the folder should be: nothing can be written there.
  const fs::path blocked = this->tree.file("blocked", "a file");
  this->useFolder(blocked / "Sorvane");
  ASSERT_TRUE(this->open());
  this->chooseSize("200 %");
  EXPECT_EQ(this->editor->getScale(), 200) << "the choice holds for this editor";
  this->idle();
  EXPECT_EQ(this->windowSize(), this->panelAt(200));
  EXPECT_TRUE(this->ui.messages.shown.empty());
  this->close();
  EXPECT_EQ(this->rectSize(), this->panelAt(200)) << "and is not lost to the unreadable file";
  EXPECT_FALSE(this->editor->chooseScale(150));
  EXPECT_EQ(this->editor->getScale(), 150);
  EXPECT_FALSE(this->editor->chooseScale(130)) << "not a size";
  EXPECT_EQ(this->editor->getScale(), 150);

  // No settings service at all.
  this->ui.settings = nullptr;
  this->makeEffect();
  EXPECT_FALSE(this->editor->chooseScale(125));
  EXPECT_EQ(this->editor->getScale(), 125);
}

TYPED_TEST(EditorSizes, TheSystemsSizeComesAtOpeningAndWhenTheWindowReportsAChange) {
  this->ui.windows.systemPercent = 192;  // 184 dots per inch: snapped to the nearest size
  EXPECT_EQ(this->rectSize(), this->panelAt(200)) << "the main screen's, before the host's window is known";
  EXPECT_EQ(this->editor->getScale(Source::System), 200);
  this->ui.windows.systemPercent = 250;  // the host's window is on another screen
  ASSERT_TRUE(this->open());
  EXPECT_EQ(this->windowSize(), this->panelAt(250)) << "the host window's screen, asked at opening";
  this->window->reportedScale = 200;
  this->idle();
  EXPECT_EQ(this->windowSize(), this->panelAt(200));
  // Moved to another screen.
  this->window->reportedScale = 150;
  this->idle();
  EXPECT_EQ(this->windowSize(), this->panelAt(150));
  EXPECT_EQ(this->editor->getScale(Source::System), 150);
  // The user's choice comes first; a report that says nothing changes nothing.
  this->editor->chooseScale(100);
  this->window->reportedScale = 0;
  this->idle();
  EXPECT_EQ(this->windowSize(), this->panelAt(100));
  this->close();

  // Nothing usable from the system: no size of its own.
  this->editor->chooseScale(0);
  for (int bad : {0, -200, 5000}) {
    this->ui.windows.systemPercent = bad;
    EXPECT_EQ(this->rectSize(), this->panelAt(100)) << bad;
    EXPECT_EQ(this->editor->getScale(Source::System), 0) << bad;
  }
}

}  // namespace
}  // namespace sorvane::test
