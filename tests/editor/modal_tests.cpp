// Host calls that arrive while one of the editor's own modal calls runs (a
// message box, a file dialog, a pop-up menu): the host's idle, program
// changes from the dispatcher or from another thread, and closing the
// editor. Nothing may rebuild the menus under the call's opener, and an
// answer given for a state that has gone must do nothing.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <thread>

#include "tests/editor/browser_fixture.h"

namespace sorvane::test {
namespace {

// What the editor may do inside a modal call: close, or close and open again.
enum class Reentry { Close, CloseAndOpen };

template <class Product>
class Modal : public Browser<Product> {
 protected:
  // What a host does while our loop runs: a program change (from the
  // dispatcher, or on a worker thread of its own), then its idle.
  void changeProgram(int program, bool fromAnotherThread = false) {
    if (fromAnotherThread)
      std::thread([this, program] { this->effect->setProgram(program); }).join();
    else
      this->dispatch(effSetProgram, 0, program);
    this->idle();
  }
  static const char* how(bool fromAnotherThread) {
    return fromAnotherThread ? "program changed on another thread" : "program changed by the dispatcher";
  }
  void reenter(Reentry reentry) {
    this->close();
    if (reentry == Reentry::CloseAndOpen) {
      EXPECT_TRUE(this->open());
    }
  }
  // A click that may close (or close and reopen) the editor: the window
  // pressed is released only if it is still there.
  void clickMaybeClosing(const CRect& r) {
    platform::HeadlessWindow* pressed = this->window;
    const CPoint p = this->centre(r);
    pressed->mouseDown(p.x, p.y, kLButton);
    if (this->window == pressed) pressed->mouseUp(p.x, p.y, 0);
  }
  // Whether menu is the preset menu or one of its sub-menus now.
  bool inPresetTree(const COptionMenu* menu, const COptionMenu* from = nullptr) const {
    if (!from) from = this->editor->presetMenu();
    if (menu == from) return true;
    for (int i = 0; from && i < from->getNbSubMenus(); ++i)
      if (inPresetTree(menu, from->getSubMenu(i))) return true;
    return false;
  }
  static std::string bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  float storedOutput(int program) {
    const auto& slot = this->effect->programStore().program[program];
    return slot.side[slot.activeSide != 0 ? 1 : 0].values[Product::kOutputIndex];
  }
  std::string fileNameOfCurrentProgram() {
    char name[platform::kPathCapacity];
    this->editor->access().currentFileName(name);
    return name;
  }
  // Program mode, open, and the files its dialogs answer with: two to be
  // written, a preset at output 0.9 and a bank whose program 0 is at 0.95.
  struct Files {
    fs::path preset, loud, bank, banked;
  };
  Files programModeFiles() {
    fs::remove_all(this->presets);
    const fs::path at = this->root / "elsewhere";
    fs::create_directories(at);
    const std::string e = this->ext(), b = this->editor->access().product().bankExtension;
    Files files{at / ("p." + e), at / ("loud." + e), at / ("b." + b), at / ("banked." + b)};
    EXPECT_TRUE(this->open());
    const auto saved = this->effect->programStore();
    this->effect->setParameter(Product::kOutputIndex, 0.9f);
    EXPECT_TRUE(this->editor->access().savePreset(files.loud.string().c_str()));
    this->effect->setParameter(Product::kOutputIndex, 0.95f);
    EXPECT_TRUE(this->editor->access().saveBank(files.banked.string().c_str()));
    this->effect->programStore() = saved;
    changeProgram(0);
    return files;
  }
};
TYPED_TEST_SUITE(Modal, Products);

TYPED_TEST(Modal, AFailedLoadKeepsTheMenusUntilItsErrorBoxIsClosed) {
  const std::string e = this->ext();
  this->preset("Sub/good." + e, 0.2f);
  this->preset("Sub/fine." + e, 0.3f);
  std::ofstream(this->presets / ("bad." + e)) << "not a preset at all";
  this->preset("other." + e, 0.4f);
  ASSERT_TRUE(this->open());
  for (const bool fromAnotherThread : {false, true}) {
    SCOPED_TRACE(this->how(fromAnotherThread));
    this->changeProgram(0);
    this->chooseInPresetMenu({"Sub", "good." + e});
    ASSERT_EQ(this->label(), "good");
    COptionMenu* sub = this->editor->presetMenu()->getSubMenu(0);
    ASSERT_EQ(this->editor->currentPresetMenu(), sub);
    this->ui.messages.whileOpen = [this, sub, fromAnotherThread] {
      this->changeProgram(3, fromAnotherThread);
      EXPECT_EQ(this->editor->presetMenu()->getSubMenu(0), sub) << "no rebuild while the box is up";
    };
    this->chooseInPresetMenu({"bad." + e});
    this->ui.messages.whileOpen = nullptr;
    ASSERT_FALSE(this->ui.messages.shown.empty());
    EXPECT_EQ(this->effect->getProgram(), 3);
    const COptionMenu* current = this->editor->currentPresetMenu();
    EXPECT_TRUE(!current || this->inPresetTree(current)) << "the selection points into the menus shown";
    EXPECT_NE(this->label(), "good") << "the display followed program 3 once the box was closed";

    // The next pick and the arrows work on the menus of now.
    this->chooseInPresetMenu({"Sub", "fine." + e});
    EXPECT_EQ(this->label(), "fine");
    this->arrow(+1);
    EXPECT_EQ(this->label(), "good");
    this->chooseInPresetMenu({"other." + e});
    EXPECT_EQ(this->label(), "other");
    EXPECT_FLOAT_EQ(this->output(), 0.4f);
  }
}

TYPED_TEST(Modal, AProgramPickMadeWhileTheHostChangesTheProgramDoesNothing) {
  this->programModeFiles();
  ASSERT_FALSE(this->editor->isFolderMode());
  this->changeProgram(2);
  const std::string fourth = this->editor->presetMenu()->getEntry(4)->getTitle();

  this->ui.menus.whileOpen = [this] {
    this->changeProgram(7);
    EXPECT_TRUE(this->editor->presetMenu()->isCheckEntry(2)) << "the menu is rebuilt after the pop-up, not during it";
  };
  this->chooseInPresetMenu({fourth});
  EXPECT_EQ(this->effect->getProgram(), 7) << "the pick was made among program 2's names";
  this->idle();
  EXPECT_TRUE(this->editor->presetMenu()->isCheckEntry(7)) << "the menu catches up once the pop-up has gone";
  EXPECT_FALSE(this->editor->presetMenu()->isCheckEntry(2));

  this->ui.menus.whileOpen = [this] { this->changeProgram(9, true); };
  this->chooseInPresetMenu({fourth});
  EXPECT_EQ(this->effect->getProgram(), 9);

  this->ui.menus.whileOpen = [this] { this->idle(); };
  this->chooseInPresetMenu({fourth});
  EXPECT_EQ(this->effect->getProgram(), 4) << "an idle alone leaves the pick standing";
}

TYPED_TEST(Modal, APresetPickInASubMenuMadeWhileTheHostChangesTheProgramDoesNothing) {
  const std::string e = this->ext();
  this->preset("Sub/a." + e, 0.2f);
  this->preset("Sub/b." + e, 0.3f);
  ASSERT_TRUE(this->open());
  for (const bool fromAnotherThread : {false, true}) {
    SCOPED_TRACE(this->how(fromAnotherThread));
    const int target = fromAnotherThread ? 6 : 5;
    this->changeProgram(0);
    const float targetOutput = this->storedOutput(target);
    this->chooseInPresetMenu({"Sub", "a." + e});
    ASSERT_EQ(this->label(), "a");
    COptionMenu* sub = this->editor->presetMenu()->getSubMenu(0);
    this->ui.menus.whileOpen = [this, sub, target, fromAnotherThread] {
      this->changeProgram(target, fromAnotherThread);
      EXPECT_EQ(this->editor->presetMenu()->getSubMenu(0), sub) << "no rebuild while the pop-up is open";
    };
    this->chooseInPresetMenu({"Sub", "b." + e});
    this->ui.menus.whileOpen = nullptr;
    EXPECT_EQ(this->effect->getProgram(), target);
    EXPECT_FLOAT_EQ(this->output(), targetOutput) << "b was chosen for program 0, not for this one";
    EXPECT_FLOAT_EQ(this->storedOutput(0), 0.2f);
    const COptionMenu* current = this->editor->currentPresetMenu();
    EXPECT_TRUE(!current || this->inPresetTree(current)) << "the selection points into the menus shown";

    this->chooseInPresetMenu({"Sub", "b." + e});
    EXPECT_FLOAT_EQ(this->output(), 0.3f) << "a pick with nothing in the way loads";
  }
}

TYPED_TEST(Modal, SavePresetWritesNothingWhenTheProgramChangesDuringItsQuestion) {
  const std::string e = this->ext();
  const fs::path keep = this->preset("keep." + e, 0.25f);
  const std::string kept = this->bytesOf(keep);
  ASSERT_TRUE(this->open());
  for (const bool fromAnotherThread : {false, true}) {
    SCOPED_TRACE(this->how(fromAnotherThread));
    const int target = fromAnotherThread ? 6 : 4;
    this->changeProgram(0);
    this->chooseInPresetMenu({"keep." + e});
    this->effect->setParameterAutomated(TypeParam::kOutputIndex, 0.75f);
    this->dispatch(effSetProgram, 0, target);
    const std::string targetFile = this->fileNameOfCurrentProgram();
    this->changeProgram(0);

    this->ui.messages.answers = {platform::MessageAnswer::Yes};
    this->ui.messages.whileOpen = [this, target, fromAnotherThread] { this->changeProgram(target, fromAnotherThread); };
    const size_t boxes = this->ui.messages.shown.size();
    this->chooseInFileMenu("Save Preset");
    this->ui.messages.whileOpen = nullptr;
    ASSERT_EQ(this->ui.messages.shown.size(), boxes + 1);
    EXPECT_EQ(this->ui.messages.shown.back().text, "Are you sure you want to replace \"" + keep.string() + "\" ?");
    EXPECT_EQ(this->bytesOf(keep), kept) << "the Yes was given for program 0's values";
    EXPECT_EQ(this->effect->getProgram(), target);
    EXPECT_EQ(this->fileNameOfCurrentProgram(), targetFile);
  }

  // With nothing in the way, Yes replaces the file.
  this->changeProgram(0);
  this->ui.messages.answers = {platform::MessageAnswer::Yes};
  this->ui.messages.whileOpen = [this] { this->idle(); };
  this->chooseInFileMenu("Save Preset");
  EXPECT_NE(this->bytesOf(keep), kept);
}

TYPED_TEST(Modal, ProgramModeFileDialogsIgnoreAnAnswerGivenForAnotherProgram) {
  const auto files = this->programModeFiles();
  int target = 0;
  // Each dialog sees the next program change; the menu stays as it was meanwhile.
  auto changeDuringTheDialog = [this, &target](bool fromAnotherThread) {
    target = target % 11 + 1;
    this->dialogs.whileOpen = [this, fromAnotherThread, to = target, opened = this->effect->getProgram()] {
      this->changeProgram(to, fromAnotherThread);
      EXPECT_TRUE(this->editor->presetMenu()->isCheckEntry(opened)) << "no rebuild while the dialog is up";
    };
  };
  for (const bool fromAnotherThread : {false, true}) {
    SCOPED_TRACE(this->how(fromAnotherThread));
    changeDuringTheDialog(fromAnotherThread);
    this->dialogs.answers = {files.preset.string()};
    this->chooseInFileMenu("Save Preset");
    EXPECT_FALSE(fs::exists(files.preset));
    EXPECT_TRUE(this->editor->presetMenu()->isCheckEntry(target)) << "the menu caught up after the dialog";

    changeDuringTheDialog(fromAnotherThread);
    const float before = this->storedOutput(target);
    this->dialogs.answers = {files.loud.string()};
    this->chooseInFileMenu("Load Preset");
    EXPECT_EQ(this->output(), before);
    EXPECT_EQ(this->storedOutput(target), before);

    changeDuringTheDialog(fromAnotherThread);
    this->dialogs.answers = {files.bank.string()};
    this->chooseInFileMenu("Save Bank");
    EXPECT_FALSE(fs::exists(files.bank));

    changeDuringTheDialog(fromAnotherThread);
    const float program0 = this->storedOutput(0);
    this->dialogs.answers = {files.banked.string()};
    this->chooseInFileMenu("Load Bank");
    EXPECT_EQ(this->storedOutput(0), program0);
    EXPECT_EQ(this->effect->getProgram(), target);
  }

  // An idle alone leaves every answer standing.
  this->dialogs.whileOpen = [this] { this->idle(); };
  this->dialogs.answers = {files.preset.string(), files.banked.string()};
  this->chooseInFileMenu("Save Preset");
  this->chooseInFileMenu("Load Bank");
  EXPECT_TRUE(fs::exists(files.preset));
  EXPECT_FLOAT_EQ(this->storedOutput(0), 0.95f);
}

TYPED_TEST(Modal, ClosingTheEditorInsideAProgramModeDialogMakesItsAnswerCountForNothing) {
  const auto files = this->programModeFiles();
  const float output = this->output();
  const float program0 = this->storedOutput(0);
  for (const Reentry reentry : {Reentry::Close, Reentry::CloseAndOpen}) {
    this->dialogs.whileOpen = [this, reentry] { this->reenter(reentry); };
    for (const auto& [command, answer] : {std::pair{"Save Preset", files.preset}, std::pair{"Load Preset", files.loud},
                                          std::pair{"Save Bank", files.bank}, std::pair{"Load Bank", files.banked}}) {
      SCOPED_TRACE(std::string(command) + (reentry == Reentry::Close ? ", closed" : ", closed and opened again"));
      if (!this->window) {
        ASSERT_TRUE(this->open());
      }
      this->dialogs.answers = {answer.string()};
      this->ui.menus.choose({command});
      this->clickMaybeClosing(this->layout().fileMenu);
      EXPECT_EQ(this->window != nullptr, reentry == Reentry::CloseAndOpen);
      EXPECT_FALSE(fs::exists(files.preset));
      EXPECT_FALSE(fs::exists(files.bank));
      EXPECT_EQ(this->output(), output);
      EXPECT_EQ(this->storedOutput(0), program0);
    }
  }
}

TYPED_TEST(Modal, ClosingTheEditorInsideAFolderModeBoxDialogOrPopUpMakesItsAnswerCountForNothing) {
  const std::string e = this->ext();
  const fs::path keep = this->preset("keep." + e, 0.25f);
  this->preset("Sub/in." + e, 0.35f);
  std::ofstream(this->presets / ("bad." + e)) << "not a preset at all";
  const std::string kept = this->bytesOf(keep);
  for (const Reentry reentry : {Reentry::Close, Reentry::CloseAndOpen}) {
    SCOPED_TRACE(reentry == Reentry::Close ? "closed" : "closed and opened again");
    auto reenter = [this, reentry] { this->reenter(reentry); };
    auto reopened = [this] {
      if (!this->window) this->open();
      return this->window != nullptr;
    };
    auto fileMenu = [this](const char* entry) {
      this->ui.menus.choose({entry});
      this->clickMaybeClosing(this->layout().fileMenu);
    };
    ASSERT_TRUE(reopened());
    this->chooseInPresetMenu({"keep." + e});
    this->effect->setParameterAutomated(TypeParam::kOutputIndex, 0.75f);

    // The replace question and Save Preset As's dialog, answered after the window went.
    this->ui.messages.answers = {platform::MessageAnswer::Yes};
    this->ui.messages.whileOpen = reenter;
    fileMenu("Save Preset");
    this->ui.messages.whileOpen = nullptr;
    ASSERT_TRUE(reopened());
    this->dialogs.answers = {(this->presets / ("new." + e)).string()};
    this->dialogs.whileOpen = reenter;
    fileMenu("Save Preset As");
    this->dialogs.whileOpen = nullptr;
    EXPECT_EQ(this->bytesOf(keep), kept);
    EXPECT_FALSE(fs::exists(this->presets / ("new." + e)));

    // A failed load's error box, picked while a sub-menu entry is selected.
    ASSERT_TRUE(reopened());
    this->chooseInPresetMenu({"Sub", "in." + e});
    this->ui.messages.whileOpen = reenter;
    this->ui.menus.choose({"bad." + e});
    this->clickMaybeClosing(this->layout().presetName);
    const COptionMenu* current = this->editor->currentPresetMenu();
    EXPECT_TRUE(reentry == Reentry::Close ? !current : !current || this->inPresetTree(current))
        << "the selection points into the menus of the window open now, if any";

    // The boxes that only inform: a file outside the folder, the missing manual.
    ASSERT_TRUE(reopened());
    this->dialogs.answers = {(this->root / ("x." + e)).string()};
    fileMenu("Save Preset As");
    ASSERT_TRUE(reopened());
    fileMenu("User Manual");
    this->ui.messages.whileOpen = nullptr;
    EXPECT_FALSE(fs::exists(this->root / ("x." + e)));

    // The pop-ups: the preset menu, then the file menu (whose choice must not
    // run the new window's current entry, Save Preset).
    ASSERT_TRUE(reopened());
    const float output = this->output();
    this->ui.menus.whileOpen = reenter;
    this->ui.menus.choose({"keep." + e});
    this->clickMaybeClosing(this->layout().presetName);
    EXPECT_EQ(this->output(), output);
    ASSERT_TRUE(reopened());
    const size_t boxes = this->ui.messages.shown.size();
    fileMenu("Sorvane Website");
    this->ui.menus.whileOpen = nullptr;
    EXPECT_TRUE(this->shell.opened.empty());
    EXPECT_EQ(this->ui.messages.shown.size(), boxes) << "no other command ran in its place";
    EXPECT_EQ(this->bytesOf(keep), kept);

    // The window open afterwards works as ever.
    ASSERT_TRUE(reopened());
    this->chooseInPresetMenu({"Sub", "in." + e});
    EXPECT_EQ(this->label(), "in");
    EXPECT_FLOAT_EQ(this->output(), 0.35f);
    this->close();
  }
}

TYPED_TEST(Modal, ARenameReachesTheHostAtOnceWhetherTheEditorIsOpenOrNot) {
  fs::remove_all(this->presets);
  char closedName[] = "Renamed while closed";
  this->dispatch(effSetProgramName, 0, 0, closedName);
  EXPECT_EQ(EditorHost::log(), (std::vector<std::string>{"display"})) << "never opened";

  ASSERT_TRUE(this->open());
  EXPECT_EQ(this->editor->presetMenu()->getEntry(0)->getTitle(), closedName);
  this->close();
  EditorHost::calls.clear();
  std::thread([this] {
    char name[] = "From a worker";
    this->dispatch(effSetProgramName, 0, 0, name);
  }).join();
  EXPECT_EQ(EditorHost::log(), (std::vector<std::string>{"display"})) << "closed, renamed on another thread";

  ASSERT_TRUE(this->open());
  this->idle();
  EditorHost::calls.clear();
  char openName[] = "Renamed while open";
  this->dispatch(effSetProgramName, 0, 0, openName);
  EXPECT_EQ(EditorHost::log(), (std::vector<std::string>{"display"})) << "open: at once, not at the next idle";
  EXPECT_NE(this->editor->presetMenu()->getEntry(0)->getTitle(), openName) << "the menu waits for the idle";
  this->idle();
  EXPECT_EQ(this->editor->presetMenu()->getEntry(0)->getTitle(), openName);
  EXPECT_EQ(EditorHost::log(), (std::vector<std::string>{"display"})) << "once";
}

}  // namespace
}  // namespace sorvane::test
