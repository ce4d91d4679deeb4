// The built plug-in libraries in a real window, loaded through their entry
// point as a host loads them: each library's editor windows have a class of
// their own, and sorvane-host's editor command drives them end to end.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/window/win32_fixture.h"
#include "tools/sorvane-host/commands.h"
#include "tools/sorvane-host/plugin_host.h"

namespace sorvane::test {
namespace {

namespace probe = hostkit::win32probe;

struct LoadedPlugin {
  std::unique_ptr<host::PluginLibrary> library;
  std::unique_ptr<host::PluginInstance> instance;
  explicit LoadedPlugin(const std::string& file) {
    std::string error;
    library = host::PluginLibrary::open(SORVANE_PLUGIN_DIR + file, error);
    if (library) instance = host::PluginInstance::create(*library, error);
    EXPECT_NE(instance, nullptr) << error;
  }
};

TEST(Win32PluginLibraries, EachLibraryGivesItsEditorWindowsAClassOfItsOwn) {
  LoadedPlugin tessaro("Tessaro.dll"), pallido("Pallido.dll");
  ASSERT_TRUE(tessaro.instance && pallido.instance);
  auto first = makeHostWindow(571, 267), second = makeHostWindow(671, 267);
  ASSERT_TRUE(first && second);
  ASSERT_EQ(tessaro.instance->dispatch(effEditOpen, 0, 0, first->handle()), 1);
  ASSERT_EQ(pallido.instance->dispatch(effEditOpen, 0, 0, second->handle()), 1);
  probe::WindowFacts a, b;
  ASSERT_TRUE(probe::describeWindow(probe::firstChildWindow(first->handle()), a));
  ASSERT_TRUE(probe::describeWindow(probe::firstChildWindow(second->handle()), b));
  void* tessaroModule = probe::loadedModule("Tessaro.dll");
  void* pallidoModule = probe::loadedModule("Pallido.dll");
  EXPECT_EQ(a.className, probe::editorClassName(tessaroModule));
  EXPECT_EQ(b.className, probe::editorClassName(pallidoModule));
  EXPECT_NE(a.className, b.className);

  tessaro.instance->dispatch(effEditClose);
  EXPECT_FALSE(probe::classRegistered(tessaroModule, a.className));
  EXPECT_TRUE(probe::classRegistered(pallidoModule, b.className)) << "the other library's editor is still open";
  pallido.instance->dispatch(effEditClose);
  EXPECT_FALSE(probe::classRegistered(pallidoModule, b.className));
}

TEST(Win32PluginLibraries, TheEditorCommandReportsTheGesturesCallsAndWritesWhatTheWindowShows) {
  const std::string png = SORVANE_OUTPUT_DIR "tessaro-editor.png";
  std::remove(png.c_str());
  std::ostringstream out, err;
  const int code =
      host::runCommandLine({"editor", SORVANE_PLUGIN_DIR "Tessaro.dll", "--png", png, "--param", "Output=0.25",
                            "--drag", "514,84,0,-50", "--click", "10,262", "--wheel", "410,210,-2"},
                           out, err);
  ASSERT_EQ(code, 0) << err.str();
  const std::string text = out.str();
  // Output from 0.25: 50 pixels up on a 200-pixel sweep is 0.5.
  for (const char* line : {"drag from 514,84 by 0,-50:\n  begin edit 11\n  automate 11 0.255\n",
                           "  automate 11 0.5\n  end edit 11\n", "click at 10,262: no host calls\n",
                           "wheel at 410,210 by -2 notches:\n  begin edit 3\n  automate 3 0.4\n  end edit 3\n"
                           "  begin edit 3\n  automate 3 0.3\n  end edit 3\n",
                           "  3 High Gain: 0.500000 -> 0.300000", "  11 Output: 0.250000 -> 0.500000"})
    EXPECT_NE(text.find(line), std::string::npos) << "missing '" << line << "' in\n" << text;
  std::ifstream file(png, std::ios::binary);
  char signature[8] = {};
  file.read(signature, 8);
  EXPECT_EQ(std::string(signature + 1, 3), "PNG");
}

}  // namespace
}  // namespace sorvane::test
