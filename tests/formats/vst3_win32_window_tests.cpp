// The Windows bundle's view through sorvane-host's editor command (the
// bridge's frame, the view's timer on its own window), in a real window
// under Wine: the same gestures reach the host as from the VST 2.4 DLL, and
// the window shows the same panel.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "tools/sorvane-host/commands.h"

namespace {

std::string gestureCalls(const std::string& text) {
  std::istringstream lines(text);
  std::string line, calls;
  while (std::getline(lines, line))
    if (line.rfind("  begin", 0) == 0 || line.rfind("  automate", 0) == 0 || line.rfind("  end", 0) == 0)
      calls += line + "\n";
  return calls;
}

std::string fileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(Vst3Win32View, TheBundlesViewTakesTheDragAsTheVst2DllsEditorDoes) {
  struct Case {
    const char* product;
    const char* drag;
  };
  for (const Case& c : {Case{"Tessaro", "514,84,0,-50"}, Case{"Pallido", "614,81,0,40"}}) {
    const std::string product = c.product;
    std::string outputs[2];
    const std::string libraries[2] = {SORVANE_PLUGIN_DIR "/" + product + ".dll",
                                      SORVANE_VST3_DIR "/" + product + ".vst3"};
    for (int i = 0; i < 2; ++i) {
      std::ostringstream out, err;
      const std::string png = SORVANE_OUTPUT_DIR "/vst3-" + product + std::to_string(i) + ".png";
      const int code =
          sorvane::host::runCommandLine({"editor", libraries[i], "--png", png, "--drag", c.drag}, out, err);
      ASSERT_EQ(code, 0) << libraries[i] << ": " << err.str();
      outputs[i] = out.str();
    }
    EXPECT_NE(gestureCalls(outputs[1]).find("end edit"), std::string::npos) << outputs[1];
    EXPECT_EQ(gestureCalls(outputs[1]), gestureCalls(outputs[0])) << product;
    EXPECT_EQ(fileBytes(SORVANE_OUTPUT_DIR "/vst3-" + product + "1.png"),
              fileBytes(SORVANE_OUTPUT_DIR "/vst3-" + product + "0.png"))
        << product << ": the panels differ";
  }
}

}  // namespace
