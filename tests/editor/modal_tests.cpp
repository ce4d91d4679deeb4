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

template <class Product>
class Modal : public Browser<Product> {
 protected:
  // What a host does while our loop runs: a program change, then its idle.
  void hostChangesProgram(int program) {
    this->dispatch(effSetProgram, 0, program);
    this->idle();
  }
  // The same change made on another thread (hosts that load programs from a
  // worker), and the user-interface thread's next idle.
  void otherThreadChangesProgram(int program) {
    std::thread([this, program] { this->effect->setProgram(program); }).join();
    this->idle();
  }
  // A click that may close (or close and reopen) the editor: the window
  // pressed is released only if it is still there.
  void clickMaybeClosing(const CPoint& p) {
    platform::HeadlessWindow* pressed = this->window;
    pressed->mouseDown(p.x, p.y, kLButton);
    if (this->window == pressed) pressed->mouseUp(p.x, p.y, 0);
  }
  void chooseInFileMenuMaybeClosing(const char* entry) {
    this->ui.menus.choose({entry});
    clickMaybeClosing(this->centre(this->layout().fileMenu));
  }
  void chooseInPresetMenuMaybeClosing(std::vector<std::string> path) {
    this->ui.menus.choose(std::move(path));
    clickMaybeClosing(this->centre(this->layout().presetName));
  }
  // Whether menu is the preset menu or one of its sub-menus now.
  bool inPresetTree(const COptionMenu* menu, const COptionMenu* from = nullptr) const {
    if (!from) from = this->editor->presetMenu();
    if (!from) return false;
    if (menu == from) return true;
    for (int i = 0; i < from->getNbSubMenus(); ++i)
      if (inPresetTree(menu, from->getSubMenu(i))) return true;
    return false;
  }
  static std::string bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // A preset file anywhere, from the current values with the given output;
  // the program keeps its name and file.
  void writePreset(const fs::path& file, float output) {
    const auto saved = this->effect->programStore();
    const float before = this->output();
    this->effect->setParameter(Product::kOutputIndex, output);
    ASSERT_TRUE(this->editor->access().savePreset(file.string().c_str()));
    this->effect->programStore() = saved;
    this->effect->setParameter(Product::kOutputIndex, before);
  }
  float storedOutput(int program) {
    const auto& slot = this->effect->programStore().program[program];
    return slot.side[slot.activeSide != 0 ? 1 : 0].values[Product::kOutputIndex];
  }
  std::string programName(int program) {
    char name[kProgramNameMax + 1];
    this->editor->access().programName(program, name);
    return name;
  }
  std::string fileNameOfCurrentProgram() {
    char name[platform::kPathCapacity];
    this->editor->access().currentFileName(name);
    return name;
  }
  // Files the program-mode dialogs answer with, outside any preset folder.
  fs::path elsewhere() const { return this->root / "elsewhere"; }
  std::string bankExt() const { return this->editor->access().product().bankExtension; }
  void toProgramMode() {
    fs::remove_all(this->presets);
    fs::create_directories(elsewhere());
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
    SCOPED_TRACE(fromAnotherThread ? "program changed on another thread" : "program changed by the dispatcher");
    this->dispatch(effSetProgram, 0, 0);
    this->idle();
    this->chooseInPresetMenu({"Sub", "good." + e});
    ASSERT_EQ(this->label(), "good");
    COptionMenu* sub = this->editor->presetMenu()->getSubMenu(0);
    ASSERT_EQ(this->editor->currentPresetMenu(), sub);
    this->ui.messages.whileOpen = [this, sub, fromAnotherThread] {
      if (fromAnotherThread)
        this->otherThreadChangesProgram(3);
      else
        this->hostChangesProgram(3);
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
  this->toProgramMode();
  ASSERT_TRUE(this->open());
  ASSERT_FALSE(this->editor->isFolderMode());
  this->hostChangesProgram(2);
  const std::string fourth = this->editor->presetMenu()->getEntry(4)->getTitle();

  this->ui.menus.whileOpen = [this] {
    this->hostChangesProgram(7);
    EXPECT_TRUE(this->editor->presetMenu()->isCheckEntry(2)) << "the menu is rebuilt after the pop-up, not during it";
  };
  this->chooseInPresetMenu({fourth});
  EXPECT_EQ(this->effect->getProgram(), 7) << "the pick was made among program 2's names";
  this->idle();
  EXPECT_TRUE(this->editor->presetMenu()->isCheckEntry(7)) << "the menu catches up once the pop-up has gone";
  EXPECT_FALSE(this->editor->presetMenu()->isCheckEntry(2));

  this->ui.menus.whileOpen = [this] { this->otherThreadChangesProgram(9); };
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
    SCOPED_TRACE(fromAnotherThread ? "program changed on another thread" : "program changed by the dispatcher");
    const int target = fromAnotherThread ? 6 : 5;
    this->dispatch(effSetProgram, 0, 0);
    this->idle();
    const float targetOutput = this->storedOutput(target);
    this->chooseInPresetMenu({"Sub", "a." + e});
    ASSERT_EQ(this->label(), "a");
    COptionMenu* sub = this->editor->presetMenu()->getSubMenu(0);
    this->ui.menus.whileOpen = [this, sub, target, fromAnotherThread] {
      if (fromAnotherThread)
        this->otherThreadChangesProgram(target);
      else
        this->hostChangesProgram(target);
      EXPECT_EQ(this->editor->presetMenu()->getSubMenu(0), sub) << "no rebuild while the pop-up is open";
    };
    this->chooseInPresetMenu({"Sub", "b." + e});
    this->ui.menus.whileOpen = nullptr;
    EXPECT_EQ(this->effect->getProgram(), target);
    EXPECT_FLOAT_EQ(this->output(), targetOutput) << "b was chosen for program 0, not for this one";
    EXPECT_FLOAT_EQ(this->storedOutput(0), 0.2f);
    const COptionMenu* current = this->editor->currentPresetMenu();
    EXPECT_TRUE(!current || this->inPresetTree(current)) << "the selection points into the menus shown";

    this->arrow(+1);
    this->arrow(-1);
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
    SCOPED_TRACE(fromAnotherThread ? "program changed on another thread" : "program changed by the dispatcher");
    const int target = fromAnotherThread ? 6 : 4;
    this->dispatch(effSetProgram, 0, 0);
    this->idle();
    this->chooseInPresetMenu({"keep." + e});
    this->effect->setParameterAutomated(TypeParam::kOutputIndex, 0.75f);
    this->dispatch(effSetProgram, 0, target);
    const std::string targetFile = this->fileNameOfCurrentProgram();
    const std::string targetName = this->programName(target);
    this->dispatch(effSetProgram, 0, 0);
    this->idle();

    this->ui.messages.answers = {platform::MessageAnswer::Yes};
    this->ui.messages.whileOpen = [this, target, fromAnotherThread] {
      if (fromAnotherThread)
        this->otherThreadChangesProgram(target);
      else
        this->hostChangesProgram(target);
    };
    const size_t boxes = this->ui.messages.shown.size();
    this->chooseInFileMenu("Save Preset");
    this->ui.messages.whileOpen = nullptr;
    ASSERT_EQ(this->ui.messages.shown.size(), boxes + 1);
    EXPECT_EQ(this->ui.messages.shown.back().text, "Are you sure you want to replace \"" + keep.string() + "\" ?");
    EXPECT_EQ(this->bytesOf(keep), kept) << "the Yes was given for program 0's values";
    EXPECT_EQ(this->effect->getProgram(), target);
    EXPECT_EQ(this->fileNameOfCurrentProgram(), targetFile);
    EXPECT_EQ(this->programName(target), targetName);
  }

  // With nothing in the way, Yes replaces the file.
  this->dispatch(effSetProgram, 0, 0);
  this->idle();
  this->ui.messages.answers = {platform::MessageAnswer::Yes};
  this->ui.messages.whileOpen = [this] { this->idle(); };
  this->chooseInFileMenu("Save Preset");
  EXPECT_NE(this->bytesOf(keep), kept);
}

TYPED_TEST(Modal, ProgramModeFileDialogsIgnoreAnAnswerGivenForAnotherProgram) {
  this->toProgramMode();
  const std::string e = this->ext();
  const fs::path preset = this->elsewhere() / ("p." + e);
  const fs::path loud = this->elsewhere() / ("loud." + e);
  const fs::path bank = this->elsewhere() / ("b." + this->bankExt());
  const fs::path banked = this->elsewhere() / ("banked." + this->bankExt());
  ASSERT_TRUE(this->open());
  this->writePreset(loud, 0.9f);
  {
    // A bank whose program 0 is louder than the factory's.
    const auto saved = this->effect->programStore();
    this->effect->setParameter(TypeParam::kOutputIndex, 0.95f);
    ASSERT_TRUE(this->editor->access().saveBank(banked.string().c_str()));
    this->effect->programStore() = saved;
    this->dispatch(effSetProgram, 0, 0);
  }
  this->idle();
  int target = 0;
  auto changeDuringTheDialog = [this, &target](bool fromAnotherThread) {
    target = target % 11 + 1;
    const int opened = this->effect->getProgram();
    this->dialogs.whileOpen = [this, opened, fromAnotherThread, to = target] {
      if (fromAnotherThread)
        this->otherThreadChangesProgram(to);
      else
        this->hostChangesProgram(to);
      EXPECT_TRUE(this->editor->presetMenu()->isCheckEntry(opened)) << "no rebuild while the dialog is up";
    };
  };
  for (const bool fromAnotherThread : {false, true}) {
    SCOPED_TRACE(fromAnotherThread ? "program changed on another thread" : "program changed by the dispatcher");
    changeDuringTheDialog(fromAnotherThread);
    this->dialogs.answers = {preset.string()};
    this->chooseInFileMenu("Save Preset");
    EXPECT_FALSE(fs::exists(preset));
    EXPECT_TRUE(this->editor->presetMenu()->isCheckEntry(target)) << "the menu caught up after the dialog";

    changeDuringTheDialog(fromAnotherThread);
    const float before = this->storedOutput(target);
    this->dialogs.answers = {loud.string()};
    this->chooseInFileMenu("Load Preset");
    EXPECT_EQ(this->output(), before);
    EXPECT_EQ(this->storedOutput(target), before);

    changeDuringTheDialog(fromAnotherThread);
    this->dialogs.answers = {bank.string()};
    this->chooseInFileMenu("Save Bank");
    EXPECT_FALSE(fs::exists(bank));

    changeDuringTheDialog(fromAnotherThread);
    const float program0 = this->storedOutput(0);
    this->dialogs.answers = {banked.string()};
    this->chooseInFileMenu("Load Bank");
    EXPECT_EQ(this->storedOutput(0), program0);
    EXPECT_EQ(this->effect->getProgram(), target);
  }

  // An idle alone leaves every answer standing.
  this->dialogs.whileOpen = [this] { this->idle(); };
  this->dialogs.answers = {preset.string(), loud.string(), bank.string(), banked.string()};
  this->chooseInFileMenu("Save Preset");
  this->chooseInFileMenu("Load Preset");
  this->chooseInFileMenu("Save Bank");
  this->chooseInFileMenu("Load Bank");
  EXPECT_TRUE(fs::exists(preset));
  EXPECT_TRUE(fs::exists(bank));
  EXPECT_FLOAT_EQ(this->storedOutput(0), 0.95f);
}

// What the editor may do inside a modal call: close, or close and open again.
enum class Reentry { Close, CloseAndOpen };

TYPED_TEST(Modal, ClosingTheEditorInsideAProgramModeDialogMakesItsAnswerCountForNothing) {
  this->toProgramMode();
  const std::string e = this->ext();
  const fs::path preset = this->elsewhere() / ("p." + e);
  const fs::path loud = this->elsewhere() / ("loud." + e);
  const fs::path bank = this->elsewhere() / ("b." + this->bankExt());
  const fs::path banked = this->elsewhere() / ("banked." + this->bankExt());
  ASSERT_TRUE(this->open());
  this->writePreset(loud, 0.9f);
  {
    // A bank whose program 0 is louder than the factory's.
    const auto saved = this->effect->programStore();
    this->effect->setParameter(TypeParam::kOutputIndex, 0.95f);
    ASSERT_TRUE(this->editor->access().saveBank(banked.string().c_str()));
    this->effect->programStore() = saved;
    this->dispatch(effSetProgram, 0, 0);
  }
  const float output = this->output();
  const float program0 = this->storedOutput(0);
  for (const Reentry reentry : {Reentry::Close, Reentry::CloseAndOpen}) {
    SCOPED_TRACE(reentry == Reentry::Close ? "closed" : "closed and opened again");
    this->dialogs.whileOpen = [this, reentry] {
      this->close();
      if (reentry == Reentry::CloseAndOpen) {
        EXPECT_TRUE(this->open());
      }
    };
    for (const char* command : {"Save Preset", "Load Preset", "Save Bank", "Load Bank"}) {
      SCOPED_TRACE(command);
      if (!this->window) {
        ASSERT_TRUE(this->open());
      }
      const bool loads = command[0] == 'L';
      const bool banks = std::string(command).find("Bank") != std::string::npos;
      this->dialogs.answers = {(banks ? (loads ? banked : bank) : (loads ? loud : preset)).string()};
      this->chooseInFileMenuMaybeClosing(command);
      EXPECT_EQ(this->window != nullptr, reentry == Reentry::CloseAndOpen);
      EXPECT_FALSE(fs::exists(preset));
      EXPECT_FALSE(fs::exists(bank));
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
    auto reenter = [this, reentry] {
      this->close();
      if (reentry == Reentry::CloseAndOpen) {
        EXPECT_TRUE(this->open());
      }
    };
    auto reopen = [this] {
      if (!this->window) {
        ASSERT_TRUE(this->open());
      }
    };
    reopen();
    this->chooseInPresetMenu({"keep." + e});
    this->effect->setParameterAutomated(TypeParam::kOutputIndex, 0.75f);

    // The replace question, answered Yes after the window went.
    this->ui.messages.answers = {platform::MessageAnswer::Yes};
    this->ui.messages.whileOpen = reenter;
    this->chooseInFileMenuMaybeClosing("Save Preset");
    EXPECT_EQ(this->bytesOf(keep), kept);
    this->ui.messages.whileOpen = nullptr;
    this->ui.messages.answers.clear();

    // Save Preset As, answered with a new file.
    reopen();
    this->dialogs.answers = {(this->presets / ("new." + e)).string()};
    this->dialogs.whileOpen = reenter;
    this->chooseInFileMenuMaybeClosing("Save Preset As");
    EXPECT_FALSE(fs::exists(this->presets / ("new." + e)));
    this->dialogs.whileOpen = nullptr;

    // A failed load's error box, from a sub-menu selection.
    reopen();
    this->chooseInPresetMenu({"Sub", "in." + e});
    this->ui.messages.whileOpen = reenter;
    this->chooseInPresetMenuMaybeClosing({"bad." + e});
    this->ui.messages.whileOpen = nullptr;
    if (reentry == Reentry::Close) {
      EXPECT_EQ(this->editor->currentPresetMenu(), nullptr) << "a closed editor keeps no menu";
    } else {
      const COptionMenu* current = this->editor->currentPresetMenu();
      EXPECT_TRUE(!current || this->inPresetTree(current)) << "the selection points into the menus shown";
    }

    // The boxes that only inform: outside the folder, and the missing manual.
    reopen();
    const fs::path outside = this->root / ("x." + e);
    this->dialogs.answers = {outside.string()};
    this->ui.messages.whileOpen = reenter;
    this->chooseInFileMenuMaybeClosing("Save Preset As");
    reopen();
    this->chooseInFileMenuMaybeClosing("User Manual");
    this->ui.messages.whileOpen = nullptr;
    EXPECT_FALSE(fs::exists(outside));
    EXPECT_TRUE(this->shell.opened.empty());

    // Pop-ups: the preset menu and the file menu.
    reopen();
    const float output = this->output();
    this->ui.menus.whileOpen = reenter;
    this->chooseInPresetMenuMaybeClosing({"keep." + e});
    EXPECT_EQ(this->output(), output);
    reopen();
    const size_t boxes = this->ui.messages.shown.size();
    const size_t dialogs = this->dialogs.requests.size();
    this->chooseInFileMenuMaybeClosing("Sorvane Website");
    this->ui.menus.whileOpen = nullptr;
    EXPECT_TRUE(this->shell.opened.empty());
    EXPECT_EQ(this->ui.messages.shown.size(), boxes) << "no other command ran in its place";
    EXPECT_EQ(this->dialogs.requests.size(), dialogs);
    EXPECT_EQ(this->bytesOf(keep), kept);

    // What is open afterwards works as ever.
    reopen();
    this->chooseInPresetMenu({"Sub", "in." + e});
    EXPECT_EQ(this->label(), "in");
    EXPECT_FLOAT_EQ(this->output(), 0.35f);
    this->close();
  }
}

TYPED_TEST(Modal, ARenameReachesTheHostAtOnceWhetherTheEditorIsOpenOrNot) {
  this->toProgramMode();
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
