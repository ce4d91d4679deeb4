// The preset browser, the file menu and the A/B controls on real folder
// trees, with scripted dialogs, boxes and shell and a recording host.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "gui/controls/cbuttons.h"
#include "tests/editor/browser_fixture.h"

namespace sorvane::test {
namespace {

TYPED_TEST_SUITE(Browser, Products);

TYPED_TEST(Browser, FolderModeNeedsAPlainDirectory) {
  ASSERT_TRUE(this->open());
  EXPECT_TRUE(this->editor->isFolderMode());
  EXPECT_EQ(this->editor->fileMenu()->getNbEntries(), 8) << "six entries, a separator and Size";
  this->close();

  fs::remove_all(this->presets);
  std::ofstream(this->presets.string()) << "a file, not a folder";
  ASSERT_TRUE(this->open());
  EXPECT_FALSE(this->editor->isFolderMode());
  EXPECT_EQ(this->editor->fileMenu()->getNbEntries(), 11) << "nine entries, a separator and Size";
  this->close();

  fs::remove(this->presets);
  fs::create_directories(this->presets);
  fs::permissions(this->presets, fs::perms::owner_write, fs::perm_options::remove);
  // Where the system marks the folder read-only, it is no plain directory.
  if (platform::systemFileSystem().attributes(this->presets.string().c_str()) != platform::kAttributeDirectory) {
    ASSERT_TRUE(this->open());
    EXPECT_FALSE(this->editor->isFolderMode()) << "a read-only folder carries a further attribute";
    this->close();
  }
  fs::permissions(this->presets, fs::perms::owner_write, fs::perm_options::add);
}

TYPED_TEST(Browser, TheMenuMirrorsTheTreeSubFoldersFirstInNameOrder) {
  const std::string e = this->ext();
  this->preset("b." + e);
  this->preset("A." + e);
  this->preset("Vocal.take." + e);
  this->preset("zeta/Deep/one." + e);
  this->preset("Alpha/two." + e);
  this->preset("-/dash." + e);
  this->preset("-." + e);
  std::ofstream(this->presets / ("Vocal." + std::string(e.size(), 'X'))) << "x";  // upper case: not a preset
  std::ofstream(this->presets / ("Vocal." + e + ".bak")) << "x";
  std::string upper = e;
  for (char& c : upper) c = static_cast<char>(std::toupper(c));
  std::ofstream(this->presets / ("Loud." + upper)) << "x";
  ASSERT_TRUE(this->open());
  COptionMenu* menu = this->editor->presetMenu();
  EXPECT_EQ(this->titles(menu),
            (std::vector<std::string>{"-", "Alpha", "zeta", "-." + e, "A." + e, "b." + e, "Vocal.take." + e}));
  EXPECT_FALSE(menu->getEntry(0)->isSeparator()) << "a folder named - is an entry";
  ASSERT_NE(menu->getSubMenu(2), nullptr);
  EXPECT_EQ(this->titles(menu->getSubMenu(2)), (std::vector<std::string>{"Deep"}));
  EXPECT_EQ(this->editor->folderCount(), 5) << "root, -, Alpha, zeta, zeta/Deep";

  this->chooseInPresetMenu({"Vocal.take." + e});
  EXPECT_EQ(this->label(), "Vocal.take");
  this->chooseInPresetMenu({"zeta", "Deep", "one." + e});
  EXPECT_EQ(this->label(), "one");
  EXPECT_EQ(this->editor->currentFolderNumber(), 4);
}

TYPED_TEST(Browser, TheScanListsLinksToPresetFilesButSkipsLinksToFoldersAndTooDeepOrTooLongPaths) {
  const std::string e = this->ext();
  this->preset("Real/in." + e, 0.25f);
  std::error_code noLinks;  // a system that makes no links here still checks the rest
  fs::create_directory_symlink(this->presets, this->presets / "Loop", noLinks);
  std::error_code noFileLink;
  fs::create_symlink(this->presets / "Real" / ("in." + e), this->presets / ("Linked." + e), noFileLink);
  std::error_code ignored;
  fs::create_symlink(this->presets / ("Gone." + e), this->presets / ("Dangling." + e), ignored);
  fs::path deep = this->presets;
  for (int i = 0; i < 20; ++i) deep /= "d";
  fs::create_directories(deep);
  this->preset(fs::relative(deep, this->presets) / ("deep." + e));
  std::string longName(260 - this->presets.string().size(), 'n');
  std::ofstream(this->presets / (longName.substr(0, longName.size() - e.size() - 1) + "." + e)) << "x";
  ASSERT_TRUE(this->open());
  COptionMenu* menu = this->editor->presetMenu();
  std::vector<std::string> expected{"d", "Real"};
  if (!noFileLink) expected.push_back("Linked." + e);
  EXPECT_EQ(this->titles(menu), expected) << "no link to a folder, none that leads nowhere, no 260-byte path";
  EXPECT_EQ(this->editor->folderCount(), 1 + 16 + 1) << "sixteen levels below the root, no more";
  if (noFileLink) return;
  this->chooseInPresetMenu({"Linked." + e});
  EXPECT_EQ(this->label(), "Linked");
  EXPECT_FLOAT_EQ(this->output(), 0.25f) << "the link's target was loaded";
}

TYPED_TEST(Browser, TheArrowsWalkTheTreeInFolderOrderAndStopAtItsEnds) {
  const std::string e = this->ext();
  this->preset("root." + e, 0.1f);
  this->preset("A/a1." + e, 0.2f);
  this->preset("A/a2." + e, 0.3f);
  this->preset("B/b1." + e, 0.4f);
  ASSERT_TRUE(this->open());
  this->chooseInPresetMenu({"root." + e});
  EXPECT_FLOAT_EQ(this->output(), 0.1f);
  this->arrow(+1);
  EXPECT_EQ(this->label(), "a1");
  EXPECT_EQ(this->editor->currentFolderNumber(), 1);
  EXPECT_FLOAT_EQ(this->output(), 0.2f);
  this->arrow(+1);
  this->arrow(+1);
  EXPECT_EQ(this->label(), "b1");
  this->arrow(+1);
  EXPECT_EQ(this->label(), "b1") << "no wrap at the end";
  EXPECT_TRUE(this->ui.messages.shown.empty());
  this->arrow(-1);
  EXPECT_EQ(this->label(), "a2");
  this->arrow(-1);
  this->arrow(-1);
  EXPECT_EQ(this->label(), "root");
  this->arrow(-1);
  EXPECT_EQ(this->label(), "root");

  // Held: nothing; released outside: one step.
  const CPoint next = TestFixture::centre(this->layout().next);
  this->window->mouseDown(next.x, next.y, kLButton);
  EXPECT_EQ(this->label(), "root");
  this->window->mouseMove(next.x + 200, next.y + 100, kLButton);
  this->window->mouseUp(next.x + 200, next.y + 100, 0);
  EXPECT_EQ(this->label(), "a1");
}

TYPED_TEST(Browser, ABrokenPresetStopsTheArrowAndKeepsTheSelection) {
  const std::string e = this->ext();
  this->preset("a." + e, 0.2f);
  std::ofstream(this->presets / ("b." + e)) << "not a preset at all";
  this->preset("c." + e, 0.3f);
  ASSERT_TRUE(this->open());
  this->chooseInPresetMenu({"a." + e});
  this->arrow(+1);
  EXPECT_EQ(this->label(), "a");
  EXPECT_EQ(this->ui.messages.shown.size(), 1u) << "the broken file says so once";
  EXPECT_TRUE(this->editor->presetMenu()->isCheckEntry(0));
  EXPECT_FLOAT_EQ(this->output(), 0.2f);

  this->chooseInPresetMenu({"b." + e});
  EXPECT_EQ(this->editor->currentPresetEntry(), 0) << "a failed choice restores the selection";
  EXPECT_TRUE(this->editor->presetMenu()->isCheckEntry(0));
  EXPECT_FALSE(this->editor->presetMenu()->isCheckEntry(1));
}

TYPED_TEST(Browser, TheModifiedMarkerAppearsOncePerChange) {
  const std::string e = this->ext();
  this->preset("p." + e);
  ASSERT_TRUE(this->open());
  this->chooseInPresetMenu({"p." + e});
  EXPECT_EQ(this->label(), "p");
  EXPECT_TRUE(this->editor->isPresetNameClean());
  const CRect r = this->controlOf(TypeParam::kOutputIndex).rect;
  for (int drag = 0; drag < 2; ++drag) {
    this->window->mouseDown(r.left + 26, r.top + 26, kLButton);
    for (int i = 1; i < 30; ++i) this->window->mouseMove(r.left + 26, r.top + 26 - i, kLButton);
    this->window->mouseUp(r.left + 26, r.top, 0);
  }
  EXPECT_EQ(this->label(), "p*");
  this->arrow(-1);  // nothing before p: no change
  this->chooseInPresetMenu({"p." + e});
  EXPECT_EQ(this->label(), "p") << "loading again makes it clean";
}

TYPED_TEST(Browser, SavePresetAsksAndSaveAsStaysInsideThePresetFolder) {
  const std::string e = this->ext();
  this->preset("keep." + e, 0.25f);
  ASSERT_TRUE(this->open());
  this->chooseInPresetMenu({"keep." + e});
  this->effect->setParameterAutomated(TypeParam::kOutputIndex, 0.75f);
  const auto before = fs::file_size(this->presets / ("keep." + e));
  this->ui.messages.answers = {platform::MessageAnswer::No};
  this->chooseInFileMenu("Save Preset");
  ASSERT_EQ(this->ui.messages.shown.size(), 1u);
  EXPECT_EQ(this->ui.messages.shown[0].text,
            "Are you sure you want to replace \"" + (this->presets / ("keep." + e)).string() + "\" ?");
  this->chooseInPresetMenu({"keep." + e});
  EXPECT_FLOAT_EQ(this->output(), 0.25f) << "No wrote nothing";
  EXPECT_EQ(fs::file_size(this->presets / ("keep." + e)), before);

  // Save As, inside: listed, selected, clean; the next knob move marks it.
  this->dialogs.answers = {(this->presets / ("new." + e)).string()};
  this->chooseInFileMenu("Save Preset As");
  ASSERT_EQ(this->dialogs.requests.size(), 1u);
  const platform::FileDialogRequest& request = this->dialogs.requests[0];
  EXPECT_EQ(request.kind, platform::FileDialogRequest::Save);
  EXPECT_EQ(request.title, "Save Preset");
  EXPECT_EQ(request.flags, 0x802u);
  EXPECT_EQ(request.defaultExtension, e);
  EXPECT_EQ(request.initialFolder, this->presets.string());
  ASSERT_EQ(request.filters.size(), 1u);
  EXPECT_EQ(request.filters[0].pattern, "*." + e);
  EXPECT_TRUE(fs::exists(this->presets / ("new." + e)));
  EXPECT_EQ(this->label(), "new");
  EXPECT_TRUE(this->editor->isPresetNameClean());
  EXPECT_EQ(this->titles(this->editor->presetMenu()), (std::vector<std::string>{"keep." + e, "new." + e}));

  // Outside, even in a neighbour whose name starts like the folder's.
  const fs::path neighbour = this->presets.string() + " Backup";
  fs::create_directories(neighbour);
  this->dialogs.answers = {(neighbour / ("x." + e)).string()};
  this->chooseInFileMenu("Save Preset As");
  EXPECT_FALSE(fs::exists(neighbour / ("x." + e)));
  ASSERT_FALSE(this->ui.messages.shown.empty());
  EXPECT_EQ(this->ui.messages.shown.back().text,
            "Please save the preset inside \"" + this->presets.string() + "\" folder!");
  EXPECT_EQ(this->ui.messages.shown.back().caption, "Attention!");

  this->chooseInFileMenu("Save Preset As");  // no answer queued: cancelled
  EXPECT_EQ(this->titles(this->editor->presetMenu()).size(), 2u);
}

TYPED_TEST(Browser, ProgramModeBrowsesTheProgramsAndFilesGoThroughDialogs) {
  fs::remove_all(this->root);
  ASSERT_TRUE(this->open());
  ASSERT_FALSE(this->editor->isFolderMode());
  this->arrow(-1);
  EXPECT_EQ(this->effect->getProgram(), 11);
  this->arrow(+1);
  EXPECT_EQ(this->effect->getProgram(), 0);
  this->chooseInPresetMenu({this->editor->presetMenu()->getEntry(4)->getTitle()});
  EXPECT_EQ(this->effect->getProgram(), 4);
  this->idle();
  EXPECT_TRUE(this->editor->presetMenu()->isCheckEntry(4));
  EXPECT_FALSE(this->editor->presetMenu()->isCheckEntry(0));

  const fs::path elsewhere = this->root.string() + "-elsewhere";
  fs::create_directories(elsewhere);
  const PresetProduct& product = this->editor->access().product();
  const std::string bankFile = (elsewhere / (std::string("all.") + product.bankExtension)).string();
  this->dialogs.answers = {bankFile};
  this->chooseInFileMenu("Save Bank");
  EXPECT_TRUE(fs::exists(bankFile));
  EXPECT_EQ(this->dialogs.requests.back().flags, 0x802u);
  EXPECT_EQ(this->dialogs.requests.back().title, "Save Bank");
  EXPECT_EQ(this->dialogs.requests.back().defaultExtension, product.bankExtension);

  // A bank loaded while side B is current lands on side B.
  this->effect->toggleActiveSide();
  this->effect->setParameterAutomated(TypeParam::kOutputIndex, 0.9f);
  this->dialogs.answers = {bankFile};
  this->chooseInFileMenu("Load Bank");
  EXPECT_EQ(this->dialogs.requests.back().flags, 0x1800u);
  EXPECT_EQ(this->effect->getActiveSide(), 1);
  EXPECT_NE(this->output(), 0.9f);
  this->idle();
  EXPECT_EQ(this->editor->parameterControl(TypeParam::kOutputIndex)->getValue(), this->output());
  this->chooseInFileMenu("Load Preset");  // cancelled
  fs::remove_all(elsewhere);
}

TYPED_TEST(Browser, ABSwitchesAndCopiesWithTheSameButtons) {
  ASSERT_TRUE(this->open());
  CKickButton* ab = this->editor->copyButton(0);
  CKickButton* ba = this->editor->copyButton(1);
  const CPoint sw = TestFixture::centre(this->layout().abSwitch);
  this->click(sw);
  EXPECT_EQ(this->effect->getActiveSide(), 1);
  EXPECT_TRUE(ba->isAttached());
  EXPECT_FALSE(ab->isAttached());
  this->click(sw);
  EXPECT_EQ(this->effect->getActiveSide(), 0);
  EXPECT_TRUE(ab->isAttached());
  EXPECT_EQ(this->editor->copyButton(0), ab) << "kept, never made anew";
  EXPECT_EQ(this->editor->copyButton(1), ba);

  // A copies to B: after the click B holds A's output.
  this->effect->setParameterAutomated(TypeParam::kOutputIndex, 0.3f);
  this->click(TestFixture::centre(this->layout().abCopy));
  this->click(sw);
  EXPECT_FLOAT_EQ(this->output(), 0.3f);

  // Another program shows its own side, whatever the switch last showed.
  this->effect->setProgram(2);
  this->idle();
  EXPECT_EQ(this->editor->abSwitch()->getValue(), 0.0f);
  EXPECT_TRUE(this->editor->copyButton(0)->isAttached());
  this->effect->setProgram(0);
  this->idle();
  EXPECT_EQ(this->editor->abSwitch()->getValue(), 1.0f);
  EXPECT_TRUE(this->editor->copyButton(1)->isAttached());
}

TYPED_TEST(Browser, TheManualAndTheWebSiteOpenThroughTheShell) {
  ASSERT_TRUE(this->open());
  this->chooseInFileMenu("User Manual");
  ASSERT_EQ(this->ui.messages.shown.size(), 1u);
  const std::string manual = (this->manuals / "Corvina Manual.pdf").string();
  EXPECT_EQ(this->ui.messages.shown[0].text, "The file at \"" + manual + "\" doesn't exist!");
  EXPECT_TRUE(this->shell.opened.empty());
  fs::create_directories(this->manuals);
  std::ofstream(manual) << "%PDF";
  this->chooseInFileMenu("User Manual");
  ASSERT_EQ(this->shell.opened.size(), 1u);
  EXPECT_EQ(this->shell.opened[0].target, manual);
  EXPECT_EQ(this->shell.opened[0].ownerWindow, this->editor->getFrame()->getSystemWindow());
  this->chooseInFileMenu("Sorvane Website");
  EXPECT_EQ(this->shell.opened.back().target, kMakerWebSite);
}

TYPED_TEST(Browser, ProgramChangesFromTheHostReachTheBypassSwitchAndThePresetName) {
  const std::string e = this->ext();
  this->preset("p." + e);
  ASSERT_TRUE(this->open());
  this->effect->setProgram(3);
  this->effect->setParameter(0, 1.0f);
  this->effect->setProgram(5);
  this->effect->setParameter(0, 0.0f);
  this->effect->setProgram(3);
  this->idle();
  EXPECT_EQ(this->editor->parameterControl(0)->getValue(), 1.0f) << "the bypass switch shows program 3's state";
  char relative[platform::kPathCapacity];
  this->editor->access().currentFileName(relative);
  std::string expected = relative;
  expected = expected.substr(expected.find_last_of("/\\") + 1);
  expected = expected.substr(0, expected.rfind('.')) + "*";
  EXPECT_EQ(this->label(), expected) << "program 3's file is not in this folder: its name with the marker";
}

}  // namespace
}  // namespace sorvane::test
