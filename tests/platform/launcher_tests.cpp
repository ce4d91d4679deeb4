// The desktop helper programs behind dialogs, message boxes and the shell,
// replaced by recording scripts that stand first (and alone) on PATH.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/shell.h"
#include "tests/platform/temp_tree.h"

namespace sorvane::platform {
namespace {

using test::TempTree;
namespace fs = std::filesystem;
using Arguments = std::vector<std::string>;

// What every fake does first: its arguments, NUL-separated, into a log file
// named after the program and its first argument when that is an option.
constexpr const char* kRecord =
    "#!/bin/sh\n"
    "case \"$1\" in --*) log=\"$FAKE_LOG/${0##*/}$1\" ;; *) log=\"$FAKE_LOG/${0##*/}\" ;; esac\n"
    "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$log\"\n";

// A dialog program: prints $FAKE_ANSWER and exits with $FAKE_EXIT; as a
// message box it exits with $FAKE_QUESTION_EXIT.
constexpr const char* kDialogProgram =
    "case \"$1\" in\n"
    "  --file-selection|--getopenfilename|--getsavefilename)\n"
    "    [ -n \"$FAKE_ANSWER\" ] && printf '%s\\n' \"$FAKE_ANSWER\"\n"
    "    exit ${FAKE_EXIT:-0} ;;\n"
    "  *) exit ${FAKE_QUESTION_EXIT:-0} ;;\n"
    "esac\n";

// An opener that leaves its process id and, with $FAKE_WAIT set, runs until
// the test creates the file "release" (at most 20 s).
constexpr const char* kOpener =
    "printf '%s' $$ > \"$FAKE_LOG/pid\"\n"
    "n=0\n"
    "while [ -n \"$FAKE_WAIT\" ] && [ ! -e \"$FAKE_LOG/release\" ] && [ $n -lt 400 ]; do\n"
    "  /bin/sleep 0.05; n=$((n+1))\n"
    "done\n";

// "pid (name) S ...": the state letter, or 0 when the process is gone.
char processState(const std::string& pid) {
  std::ifstream in("/proc/" + pid + "/stat");
  const std::string stat{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const std::size_t close = stat.rfind(')');
  return close == std::string::npos || close + 2 >= stat.size() ? 0 : stat[close + 2];
}

template <class Condition>
bool eventually(Condition condition) {
  for (int i = 0; i < 400; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  return false;
}

std::string readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Launchers : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name :
         {"PATH", "DISPLAY", "FAKE_LOG", "FAKE_ANSWER", "FAKE_EXIT", "FAKE_QUESTION_EXIT", "FAKE_WAIT"})
      saved_.push_back({name, std::getenv(name) ? std::optional<std::string>(std::getenv(name)) : std::nullopt});
    bin = tree.folder("bin");
    log = tree.folder("log");
    setenv("PATH", bin.c_str(), 1);
    setenv("DISPLAY", ":sorvane-test", 1);
    setenv("FAKE_LOG", log.c_str(), 1);
    for (const char* name : {"FAKE_ANSWER", "FAKE_EXIT", "FAKE_QUESTION_EXIT", "FAKE_WAIT"}) unsetenv(name);
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_)
      if (value)
        setenv(name.c_str(), value->c_str(), 1);
      else
        unsetenv(name.c_str());
  }

  void fake(const std::string& name, const std::string& body) const {
    const fs::path path = bin / name;
    std::ofstream(path) << kRecord << body;
    fs::permissions(path, fs::perms::owner_all);
  }

  // The arguments the fake received in its run with that first argument.
  Arguments argumentsOf(const std::string& program, const std::string& first) const {
    std::ifstream in(log / (program + first), std::ios::binary);
    if (!in) return {"(not run)"};
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    Arguments arguments;
    std::istringstream split(text);
    for (std::string argument; std::getline(split, argument, '\0');) arguments.push_back(argument);
    return arguments;
  }
  bool ran(const std::string& program, const std::string& first) const { return fs::exists(log / (program + first)); }
  // An opener other than the previous one has left its id and ended, so
  // nothing writes into the log folder any more.
  bool openerFinished(const std::string& previous) const {
    return eventually([&] {
      const std::string pid = readAll(log / "pid");
      return !pid.empty() && pid != previous && processState(pid) == 'Z';
    });
  }

  TempTree tree;
  fs::path bin, log;

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

FileDialogRequest presetRequest(FileDialogRequest::Kind kind, std::uint32_t flags, std::string folder = {}) {
  FileDialogRequest request;
  request.kind = kind;
  request.title = kind == FileDialogRequest::Save ? "Save Preset" : "Load Preset";
  request.filters = {{"Tessaro Preset (*.tsqp)", "*.tsqp"}};
  request.defaultExtension = "tsqp";
  request.initialFolder = std::move(folder);
  request.flags = flags;
  return request;
}

struct DialogResult {
  bool chosen;
  std::string path;
};
DialogResult runDialog(const FileDialogRequest& request) {
  char path[kPathCapacity];
  std::memset(path, '?', sizeof(path));
  const bool chosen = systemFileDialogs().run(request, path);
  return {chosen, path};
}

// ---- file dialogs

TEST_F(Launchers, ZenityGetsEachTextAsOneArgumentAndItsAnswerArrivesIntact) {
  fake("zenity", kDialogProgram);
  const std::string folder = (tree.root / "My \"Presets\" $HOME `id`; it's").string();
  const std::string answer = folder + "/Vocal 'take' \"2\" $(x).tsqp";
  setenv("FAKE_ANSWER", answer.c_str(), 1);

  const DialogResult open = runDialog(presetRequest(FileDialogRequest::Open, 0x1800, folder));
  EXPECT_TRUE(open.chosen);
  EXPECT_EQ(open.path, answer);
  EXPECT_EQ(argumentsOf("zenity", "--file-selection"),
            (Arguments{"--file-selection", "--title=Load Preset", "--filename=" + folder + "/",
                       "--file-filter=Tessaro Preset (*.tsqp) | *.tsqp"}));

  // Overwriting is confirmed by the program only when the caller asks for it.
  EXPECT_TRUE(runDialog(presetRequest(FileDialogRequest::Save, 0x802)).chosen);
  EXPECT_EQ(argumentsOf("zenity", "--file-selection"),
            (Arguments{"--file-selection", "--title=Save Preset", "--save", "--confirm-overwrite",
                       "--file-filter=Tessaro Preset (*.tsqp) | *.tsqp"}));
  EXPECT_TRUE(runDialog(presetRequest(FileDialogRequest::Save, 0x800)).chosen);
  EXPECT_EQ(argumentsOf("zenity", "--file-selection")[2], "--save");
  EXPECT_EQ(argumentsOf("zenity", "--file-selection").size(), 4u);
}

TEST_F(Launchers, KdialogServesWhenZenityIsMissing) {
  fake("kdialog", kDialogProgram);
  setenv("FAKE_ANSWER", "/presets/Vocal.tsqp", 1);
  const DialogResult save = runDialog(presetRequest(FileDialogRequest::Save, 0x802, "/presets"));
  EXPECT_TRUE(save.chosen);
  EXPECT_EQ(save.path, "/presets/Vocal.tsqp");
  EXPECT_EQ(argumentsOf("kdialog", "--getsavefilename"),
            (Arguments{"--getsavefilename", "/presets/", "*.tsqp|Tessaro Preset (*.tsqp)", "--title", "Save Preset"}));
  EXPECT_TRUE(runDialog(presetRequest(FileDialogRequest::Open, 0x1800)).chosen);
  EXPECT_EQ(argumentsOf("kdialog", "--getopenfilename")[1], "");
}

TEST_F(Launchers, ACancelledOrFailedDialogChoosesNothing) {
  fake("zenity", kDialogProgram);
  setenv("FAKE_EXIT", "1", 1);  // cancelled
  DialogResult result = runDialog(presetRequest(FileDialogRequest::Open, 0x1800));
  EXPECT_FALSE(result.chosen);
  EXPECT_EQ(result.path, "");
  setenv("FAKE_EXIT", "0", 1);  // "chose" an empty name
  EXPECT_FALSE(runDialog(presetRequest(FileDialogRequest::Open, 0x1800)).chosen);
  setenv("FAKE_ANSWER", "/presets/Vocal.tsqp", 1);
  setenv("FAKE_EXIT", "255", 1);  // printed, then failed
  EXPECT_FALSE(runDialog(presetRequest(FileDialogRequest::Open, 0x1800)).chosen);
}

TEST_F(Launchers, WithoutADialogProgramTheUserIsToldAndNothingIsChosen) {
  testing::internal::CaptureStderr();
  const DialogResult result = runDialog(presetRequest(FileDialogRequest::Save, 0x802));
  const std::string told = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(result.chosen);
  EXPECT_EQ(result.path, "");
  EXPECT_NE(told.find("No file dialog is available: install zenity or kdialog."), std::string::npos) << told;
}

TEST_F(Launchers, ASavedNameWithoutExtensionGetsTheDefaultOne) {
  fake("zenity", kDialogProgram);
  const auto saveAs = [](const std::string& answer) {
    setenv("FAKE_ANSWER", answer.c_str(), 1);
    return runDialog(presetRequest(FileDialogRequest::Save, 0x802)).path;
  };
  EXPECT_EQ(saveAs("/presets/New Preset"), "/presets/New Preset.tsqp");
  EXPECT_EQ(saveAs("/presets/v1.2/New"), "/presets/v1.2/New.tsqp");
  EXPECT_EQ(saveAs("/presets/Vocal.take"), "/presets/Vocal.take");
  // An opened file is one that exists under exactly the chosen name.
  setenv("FAKE_ANSWER", "/presets/README", 1);
  EXPECT_EQ(runDialog(presetRequest(FileDialogRequest::Open, 0x1800)).path, "/presets/README");
}

// The program confirmed "Vocal"; the file written would be "Vocal.tsqp".
TEST_F(Launchers, AnExistingFileNamedByTheAddedExtensionIsReplacedOnlyOnYes) {
  fake("zenity", kDialogProgram);
  const fs::path existing = tree.file("Vocal.tsqp");
  setenv("FAKE_ANSWER", (tree.root / "Vocal").c_str(), 1);

  setenv("FAKE_QUESTION_EXIT", "1", 1);
  EXPECT_FALSE(runDialog(presetRequest(FileDialogRequest::Save, 0x802)).chosen);
  const Arguments question = argumentsOf("zenity", "--question");
  ASSERT_GE(question.size(), 3u);
  EXPECT_EQ(question[2], "--text=Vocal.tsqp already exists.\nDo you want to replace it?");

  setenv("FAKE_QUESTION_EXIT", "0", 1);
  const DialogResult yes = runDialog(presetRequest(FileDialogRequest::Save, 0x802));
  EXPECT_TRUE(yes.chosen);
  EXPECT_EQ(yes.path, existing.string());

  // Without the prompt flag the caller has chosen to overwrite silently.
  fs::remove(log / "zenity--question");
  setenv("FAKE_QUESTION_EXIT", "1", 1);
  EXPECT_TRUE(runDialog(presetRequest(FileDialogRequest::Save, 0x800)).chosen);
  EXPECT_FALSE(ran("zenity", "--question"));
}

TEST_F(Launchers, APathOf260BytesOrMoreIsRefused) {
  fake("zenity", kDialogProgram);
  const std::string longest = "/" + std::string(kPathCapacity - 2, 'a');  // 259 bytes
  setenv("FAKE_ANSWER", longest.c_str(), 1);
  EXPECT_EQ(runDialog(presetRequest(FileDialogRequest::Open, 0x1800)).path, longest);
  setenv("FAKE_ANSWER", (longest + "b").c_str(), 1);
  EXPECT_FALSE(runDialog(presetRequest(FileDialogRequest::Open, 0x1800)).chosen);
  // 255 bytes fit, but not with ".tsqp" added.
  setenv("FAKE_ANSWER", longest.substr(0, 255).c_str(), 1);
  const DialogResult extended = runDialog(presetRequest(FileDialogRequest::Save, 0x802));
  EXPECT_FALSE(extended.chosen);
  EXPECT_EQ(extended.path, "");
}

// ---- message boxes

TEST_F(Launchers, AQuestionThatCannotBeShownAnswersNo) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(systemMessageBox().show(nullptr, "Replace?", "", MessageButtons::YesNo), MessageAnswer::No);
  EXPECT_EQ(systemMessageBox().show(nullptr, "Saved.", "", MessageButtons::Ok), MessageAnswer::Ok);

  fake("zenity", "exit 0\n");  // would say Yes, but there is no display to show it on
  unsetenv("DISPLAY");
  EXPECT_EQ(systemMessageBox().show(nullptr, "Replace?", "", MessageButtons::YesNo), MessageAnswer::No);
  EXPECT_FALSE(ran("zenity", "--question"));
  setenv("DISPLAY", ":sorvane-test", 1);

  fake("zenity", "exit 255\n");  // started, but could not show the box
  EXPECT_EQ(systemMessageBox().show(nullptr, "Replace?", "", MessageButtons::YesNo), MessageAnswer::No);
  std::ofstream(bin / "zenity") << "#!/nonexistent/interpreter\n";  // cannot start
  EXPECT_EQ(systemMessageBox().show(nullptr, "Replace?", "", MessageButtons::YesNo), MessageAnswer::No);
  const std::string told = testing::internal::GetCapturedStderr();
  EXPECT_NE(told.find("Replace?"), std::string::npos);
  EXPECT_NE(told.find("Saved."), std::string::npos);
}

TEST_F(Launchers, ZenityShowsTheTextPlainAndItsAnswerCounts) {
  fake("zenity", kDialogProgram);
  const char* text = "Are you sure you want to replace \"/a & <b>/c\\d.tsqp\" ?";
  EXPECT_EQ(systemMessageBox().show(nullptr, text, "", MessageButtons::YesNo), MessageAnswer::Yes);
  EXPECT_EQ(argumentsOf("zenity", "--question"),
            (Arguments{"--question", "--no-markup", std::string("--text=") + text, "--title="}));
  setenv("FAKE_QUESTION_EXIT", "1", 1);
  EXPECT_EQ(systemMessageBox().show(nullptr, text, "", MessageButtons::YesNo), MessageAnswer::No);

  EXPECT_EQ(systemMessageBox().show(nullptr, "Please save", "Attention!", MessageButtons::Ok), MessageAnswer::Ok);
  EXPECT_EQ(argumentsOf("zenity", "--info"),
            (Arguments{"--info", "--no-markup", "--text=Please save", "--title=Attention!"}));
}

// ---- shell

TEST_F(Launchers, TheOpenerGetsTheTargetUntouchedAndIsNeitherWaitedForNorLeftAsAZombie) {
  fake("xdg-open", kOpener);
  const fs::path pwned = tree.root / "pwned";
  const std::string target =
      (tree.root / "it's a \"manual\" $(/bin/touch ").string() + pwned.string() + "); `x` & y.pdf";
  setenv("FAKE_WAIT", "1", 1);
  int owner = 0;
  ASSERT_TRUE(systemShell().open(&owner, target.c_str()));

  // Back from open while the opener still runs.
  ASSERT_TRUE(eventually([&] { return !readAll(log / "pid").empty(); }));
  const std::string pid = readAll(log / "pid");
  const char running = processState(pid);
  EXPECT_TRUE(running != 0 && running != 'Z') << running;
  EXPECT_EQ(argumentsOf("xdg-open", ""), Arguments{target});
  EXPECT_FALSE(fs::exists(pwned));

  // Finished, it waits to be reaped; the next open reaps it.
  std::ofstream(log / "release") << "";
  ASSERT_TRUE(eventually([&] { return processState(pid) == 'Z'; }));
  unsetenv("FAKE_WAIT");
  EXPECT_TRUE(systemShell().open(nullptr, "https://example.org/"));
  EXPECT_EQ(processState(pid), 0);
  EXPECT_TRUE(openerFinished(pid));
}

TEST_F(Launchers, WithoutAnOpenerNothingIsStarted) {
  EXPECT_FALSE(systemShell().open(nullptr, "/manuals/Manual.pdf"));
  fake("xdg-open", kOpener);
  EXPECT_FALSE(systemShell().open(nullptr, ""));
  // The opener would take a leading "-" for an option of its own.
  EXPECT_TRUE(systemShell().open(nullptr, "-manual.pdf"));
  ASSERT_TRUE(openerFinished(""));
  EXPECT_EQ(argumentsOf("xdg-open", ""), Arguments{"./-manual.pdf"});
}

}  // namespace
}  // namespace sorvane::platform
