// Both products' editors at Windows' 200 %: a Wine prefix whose desktop is
// set to 192 dots per inch (LogPixels, build/wineprefix-window-200) and a
// host window aware of each screen's DPI, as current hosts make theirs. The
// editor takes the system's size from the host's window when it opens, and
// a later change from the DPI message its own window gets.
//
// What Wine 8.0 does (measured): it refuses per-monitor mode version 2
// (SetThreadDpiAwarenessContext answers null, error 87) and takes version 1;
// and its programs are per-monitor aware from the start, so GetDpiForWindow
// and GetDpiForSystem answer 192 for every window, aware or not. Under Wine
// these tests therefore cannot show that a host window that is not DPI
// aware gets 96 (and the editor 100 %), as on Windows.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "gui/draw/scaling.h"
#include "platform/settings.h"
#include "tests/editor/golden.h"
#include "tests/window/win32_fixture.h"

namespace sorvane::test {
namespace {

namespace probe = hostkit::win32probe;
using Source = editor::AEffGUIEditor::ScaleSource;

// A folder of the test's own below the system's temporary one.
struct TempFolder {
  TempFolder() {
    std::random_device entropy;
    path = (std::filesystem::temp_directory_path() / ("sorvane-size-" + std::to_string(entropy()))).string();
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::string path;
};

template <class Product>
class Win32At200 : public Win32EditorTest<Product> {
 protected:
  void SetUp() override {
    // Before the host's window is made: it takes the thread's mode.
    aware = hostkit::becomePerMonitorDpiAware();
    Win32EditorTest<Product>::SetUp();
  }
  static void setState(Sorvane<Product>& effect) { turnEveryKnob(effect); }
  // The size effEditGetRect answers.
  CPoint rectSize() {
    ERect* r = nullptr;
    EXPECT_EQ(this->dispatch(effEditGetRect, 0, 0, &r), 1);
    return r ? CPoint(r->right - r->left, r->bottom - r->top) : CPoint();
  }
  CPoint panelAt(int percent) const {
    return CPoint(scaleToWindow(this->layout().width, percent), scaleToWindow(this->layout().height, percent));
  }
  std::unique_ptr<platform::PixelBuffer> screenshotAt(int percent) {
    const CPoint size = panelAt(percent);
    auto pixels = platform::createMemoryPixelBuffer(size.x, size.y);
    EXPECT_TRUE(this->host->capture(*pixels)) << "the window could not be read back";
    return pixels;
  }
  std::unique_ptr<platform::PixelBuffer> headlessPicture(int percent) {
    return headlessPictureOfTurnedKnobs<Product>(percent);
  }
  // Opens as a host does: the rectangle first, its window sized to it.
  bool openSized() {
    const CPoint size = rectSize();
    this->host->setClientSize(size.x, size.y);
    return this->open();
  }
  int aware = 0;  // the per-monitor mode version the host's thread took
};
TYPED_TEST_SUITE(Win32At200, Products);

TYPED_TEST(Win32At200, TheSystemReports192DotsPerInchForTheHostsWindow) {
  EXPECT_GE(this->aware, 1) << "the system has a per-monitor mode (Windows 10 1607 and Wine 8 have)";
  const int dpi = probe::windowDpi(this->host->handle());
  EXPECT_EQ(dpi, 192) << "GetDpiForWindow of the host's window";
  EXPECT_EQ(platform::nativeWindowSystem().systemScale(this->host->handle()), 200);
}

TYPED_TEST(Win32At200, TheEditorOpensAt200PercentAndShowsTheHeadlessRenderOutsideTheText) {
  this->setState(*this->effect);
  EXPECT_EQ(this->rectSize(), this->panelAt(200));
  ASSERT_TRUE(this->openSized());
  EXPECT_EQ(this->editor->getScale(Source::System), 200);
  EXPECT_EQ(this->editor->getShownScale(), 200);
  this->pump(150);
  auto window = this->screenshotAt(200);
  this->close();
  auto headless = this->headlessPicture(200);
  const PictureComparison c = comparePictures(*window, *headless, {scaleToWindow(this->layout().presetName, 200)});
  EXPECT_LE(c.outside, kBlendTolerance) << "worst at " << c.where << " (x,y)";
  EXPECT_LE(c.brighterInText, kBlendTolerance) << "text is black, so it can only darken";
  EXPECT_GT(c.darkenedInText, 40) << "the preset name is shown";
  if (this->HasFailure()) {
    writePng(std::string(this->layout().product) + "-200-window.png", *window);
    writePng(std::string(this->layout().product) + "-200-headless.png", *headless);
  }
}

TYPED_TEST(Win32At200, ADpiMessageToTheEditorsWindowResizesThePanelAtTheNextIdle) {
  ASSERT_TRUE(this->openSized());
  void* child = this->editorWindow();
  ASSERT_NE(child, nullptr);
  probe::sendDpiChanged(child, 144);  // moved to a screen at 150 %
  EXPECT_EQ(this->editor->getShownScale(), 200) << "nothing happens inside the message";
  this->pump(100);
  EXPECT_EQ(this->editor->getScale(Source::System), 150);
  EXPECT_EQ(this->editor->getShownScale(), 150);
  bool asked = false;
  for (const HostCall& call : EditorHost::calls)
    asked |= call.opcode == audioMasterSizeWindow && call.index == this->panelAt(150).x &&
             call.value == this->panelAt(150).y;
  EXPECT_TRUE(asked) << "the host was asked for the window at 150 %";
  this->close();
}

// FILE, then Size, then "100 %", with the keys, through the system's own
// pop-up menu and its sub-menu: the panel goes down to 100 % at the next
// idle and the choice is kept in the settings folder.
TYPED_TEST(Win32At200, TheSizeSubMenuOfTheSystemsPopUpChoosesASizeThatIsKept) {
  TempFolder folder;
  probe::setEnvironment("SORVANE_SETTINGS_DIR", folder.path.c_str());
  ASSERT_TRUE(this->openSized());
  ASSERT_EQ(this->editor->getShownScale(), 200);
  {
    // Seven commands lead to Size; Right opens it on its first entry.
    std::vector<probe::Key> keys(7, probe::Key::Down);
    keys.insert(keys.end(), {probe::Key::Right, probe::Key::Return});
    probe::MenuDriver driver(keys, 10000);
    this->click(TestFixture::centre(scaleToWindow(this->layout().fileMenu, 200)));
    EXPECT_EQ(driver.finish(), "");
  }
  EXPECT_EQ(this->editor->getScale(Source::User), 100);
  this->pump(100);
  EXPECT_EQ(this->editor->getShownScale(), 100);
  EXPECT_EQ(platform::FolderSettings(folder.path).value("size"), "100");
  this->close();
  probe::setEnvironment("SORVANE_SETTINGS_DIR", nullptr);
}

}  // namespace
}  // namespace sorvane::test
