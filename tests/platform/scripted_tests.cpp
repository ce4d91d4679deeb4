// The doubles the editor's tests answer dialogs and the shell with.
#include <gtest/gtest.h>

#include <string>

#include "platform/scripted/file_dialog.h"
#include "platform/scripted/shell.h"

namespace sorvane::platform {
namespace {

TEST(ScriptedServices, DialogsAnswerInTurnAndAnEmptyOrOverlongAnswerCancels) {
  ScriptedFileDialogs dialogs;
  dialogs.answers = {"/presets/Vocal.tsqp", "", std::string(kPathCapacity, 'a')};
  FileDialogRequest request;
  request.title = "Load Preset";
  char path[kPathCapacity];
  EXPECT_TRUE(dialogs.run(request, path));
  EXPECT_STREQ(path, "/presets/Vocal.tsqp");
  for (int cancelled = 0; cancelled < 3; ++cancelled) {  // empty, too long, queue exhausted
    EXPECT_FALSE(dialogs.run(request, path));
    EXPECT_STREQ(path, "");
  }
  ASSERT_EQ(dialogs.requests.size(), 4u);
  EXPECT_EQ(dialogs.requests[0].title, "Load Preset");

  ScriptedShell shell;
  int owner = 0;
  EXPECT_TRUE(shell.open(&owner, "https://example.org/"));
  shell.answer = false;
  EXPECT_FALSE(shell.open(nullptr, "/manuals/Manual.pdf"));
  ASSERT_EQ(shell.opened.size(), 2u);
  EXPECT_EQ(shell.opened[0].ownerWindow, &owner);
  EXPECT_EQ(shell.opened[1].target, "/manuals/Manual.pdf");
}

}  // namespace
}  // namespace sorvane::platform
