// The panel's main states against checked-in pictures: exact outside the
// text areas, within a tolerance inside them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "editor/cvaluereadout.h"
#include "gui/draw/scaling.h"
#include "tests/editor/editor_fixture.h"
#include "tests/editor/golden.h"

namespace sorvane::test {
namespace {

// A preset folder that exists only for the browser: every listed file is a
// regular file.
struct FakePresetFolder : platform::FileSystemService {
  std::string root;
  std::map<std::string, std::vector<platform::FolderEntry>> folders;
  std::uint32_t attributes(const char* path) override {
    return folders.count(path) ? platform::kAttributeDirectory : platform::kInvalidAttributes;
  }
  bool listFolder(const char* folder, std::vector<platform::FolderEntry>& entries) override {
    auto it = folders.find(folder);
    if (it == folders.end()) return false;
    entries = it->second;
    return true;
  }
  bool isRegularFile(const char* path) override {
    const std::string p = path;
    const size_t cut = p.find_last_of("/\\");
    if (cut == std::string::npos) return false;
    auto it = folders.find(p.substr(0, cut));
    if (it == folders.end()) return false;
    for (const auto& e : it->second)
      if (!e.isDirectory && e.name == p.substr(cut + 1)) return true;
    return false;
  }
};

template <class Product>
class Golden : public EditorTest<Product> {
 protected:
  // The preset name always; the version label only where the about screen
  // shows it (closed, that spot is panel and is compared exactly).
  std::vector<CRect> textAreas(bool aboutShown) const {
    std::vector<CRect> areas{this->layout().presetName};
    if (aboutShown) {
      CRect version = this->layout().versionLabel;
      version.offset(this->layout().aboutScreen.left, this->layout().aboutScreen.top);
      areas.push_back(version);
    }
    return areas;
  }
  void expectPicture(const std::string& state, bool aboutShown = false) {
    ASSERT_NE(this->window, nullptr);
    this->idle();
    const std::string name = std::string(this->layout().product) + "-" + state;
    const std::string problem = compareWithGolden(name, this->window->pixels(), textAreas(aboutShown));
    EXPECT_EQ(problem, "");
  }
  // The same at another size: the picture named "<product>-<percent>-<state>",
  // the text areas where the window shows them.
  void expectScaledPicture(int percent, const std::string& state, bool aboutShown = false) {
    ASSERT_NE(this->window, nullptr);
    this->idle();
    const std::string name = std::string(this->layout().product) + "-" + std::to_string(percent) + "-" + state;
    std::vector<CRect> areas;
    for (const CRect& area : textAreas(aboutShown)) areas.push_back(scaleToWindow(area, percent));
    // A knob's value readout, where one shows: its text (inside the outline).
    if (const CControl* knob = this->editor->readout()->shownKnob()) {
      EXPECT_TRUE(knob->isTypeOf("CKnob"));
      CRect text = this->editor->readout()->getViewSize();
      text.inset(1, 1);
      areas.push_back(scaleToWindow(text, percent));
    }
    EXPECT_EQ(compareWithGolden(name, this->window->pixels(), areas), "");
  }
  CPoint windowCentre(const CRect& panel, int percent) const {
    const CRect w = scaleToWindow(panel, percent);
    return CPoint((w.left + w.right) / 2, (w.top + w.bottom) / 2);
  }
  void setAll(float value) {
    for (int i = 0; i < this->kParameters; ++i) this->effect->setParameter(i, value);
  }
  bool aboutShown() const { return this->editor->getFrame()->getModalView() != nullptr; }
  // The window's pixels as the idle left them.
  std::vector<std::uint8_t> shown() const {
    const platform::PixelBuffer& p = this->window->pixels();
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < p.height(); ++y) pixels.insert(pixels.end(), p.row(y), p.row(y) + 4 * p.width());
    return pixels;
  }
  // How many pixels differ between two pictures of the window outside the
  // area left out, with the first of them.
  std::string difference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b,
                         const CRect& leftOut = CRect()) const {
    const int width = this->window->pixels().width();
    int count = 0;
    std::string first;
    for (size_t i = 0; i < a.size(); i += 4) {
      const CPoint at(static_cast<int>(i / 4) % width, static_cast<int>(i / 4) / width);
      if (leftOut.pointInside(at) || (a[i] == b[i] && a[i + 1] == b[i + 1] && a[i + 2] == b[i + 2])) continue;
      if (count++ == 0) first = std::to_string(at.x) + "," + std::to_string(at.y);
    }
    return count == 0 ? "" : std::to_string(count) + " pixels differ, the first at " + first;
  }
  // How the window after the idle differs from a whole paint of the same state.
  std::string staleAfterIdle() {
    this->idle();
    const auto afterIdle = shown();
    this->window->paintAll();
    return difference(afterIdle, shown());
  }
};
TYPED_TEST_SUITE(Golden, Products);

TYPED_TEST(Golden, TheMainStatesOfThePanel) {
  ASSERT_TRUE(this->open());
  this->expectPicture("side-a");
  this->click(TestFixture::centre(this->layout().abSwitch));
  this->expectPicture("side-b");
  this->click(TestFixture::centre(this->layout().aboutClick));
  ASSERT_TRUE(this->aboutShown());
  this->expectPicture("about", true);
  this->click(TestFixture::centre(this->layout().aboutScreen));
  ASSERT_FALSE(this->aboutShown()) << "a click inside the about screen closes it";
  this->setAll(0.0f);
  this->expectPicture("all-0");
  this->setAll(1.0f);
  this->expectPicture("all-1");
}

// The panel at twice and at one and a half times its size: the main side,
// the about screen, and a knob in the middle of a drag (the button still down).
TYPED_TEST(Golden, ThePanelAtTwoHundredAndAtOneHundredAndFiftyPercent) {
  for (int percent : {200, 150}) {
    this->editor->setScale(editor::AEffGUIEditor::ScaleSource::User, percent);
    this->effect->setParameter(TypeParam::kOutputIndex, 0.5f);
    ASSERT_TRUE(this->open());
    ASSERT_EQ(this->window->pixels().width(), scaleToWindow(this->layout().width, percent));
    this->expectScaledPicture(percent, "side-a");
    const CPoint about = this->windowCentre(this->layout().aboutClick, percent);
    this->click(about);
    ASSERT_TRUE(this->aboutShown());
    this->expectScaledPicture(percent, "about", true);
    this->click(this->windowCentre(this->layout().aboutScreen, percent));
    ASSERT_FALSE(this->aboutShown());

    const CPoint knob = this->windowCentre(this->controlOf(TypeParam::kOutputIndex).rect, percent);
    const int travel = scaleToWindow(30, percent);
    this->window->mouseDown(knob.x, knob.y, kLButton);
    for (int y = knob.y - 1; y >= knob.y - travel; --y) this->window->mouseMove(knob.x, y, kLButton);
    EXPECT_FLOAT_EQ(this->effect->getParameter(TypeParam::kOutputIndex), 0.65f);
    this->expectScaledPicture(percent, "drag");
    this->window->mouseUp(knob.x, knob.y - travel, 0);
    this->close();
  }
}

// The field to type a value in, opened by a double-click on the Output knob,
// at 100 and 200 %: all its text selected, in the panel's colours, its text
// set at the size (compared within the text tolerance, the rest exactly).
TYPED_TEST(Golden, TheValueFieldOpenOverAKnobAtOneHundredAndTwoHundredPercent) {
  for (int percent : {100, 200}) {
    this->editor->setScale(editor::AEffGUIEditor::ScaleSource::User, percent);
    this->effect->setParameter(TypeParam::kOutputIndex, 0.5f);
    ASSERT_TRUE(this->open());
    const CPoint knob = this->windowCentre(this->controlOf(TypeParam::kOutputIndex).rect, percent);
    this->window->mouseDown(knob.x, knob.y, kLButton);
    this->window->mouseUp(knob.x, knob.y, 0);
    this->window->mouseDown(knob.x, knob.y, kLButton | kDoubleClick);
    this->window->mouseUp(knob.x, knob.y, 0);
    ASSERT_NE(this->editor->valueField(), nullptr);
    this->idle();
    std::vector<CRect> areas;
    for (const CRect& area : this->textAreas(false)) areas.push_back(scaleToWindow(area, percent));
    CRect field = this->editor->valueField()->getViewSize();
    field.inset(1, 1);  // the edge is no text: compared exactly
    areas.push_back(scaleToWindow(field, percent));
    // The double-click's first click shows the knob's readout beside the field.
    if (this->editor->readout()->shownKnob()) {
      CRect text = this->editor->readout()->getViewSize();
      text.inset(1, 1);
      areas.push_back(scaleToWindow(text, percent));
    }
    const std::string name = std::string(this->layout().product) +
                             (percent == 100 ? std::string() : "-" + std::to_string(percent)) + "-value-field";
    EXPECT_EQ(compareWithGolden(name, this->window->pixels(), areas), "") << percent << " %";
    EXPECT_EQ(this->staleAfterIdle(), "") << "the field's redraw at " << percent << " %";
    this->close();
  }
}

// At sizes that are no whole multiple the parts the idle redraws land on
// exactly the pixels a whole paint gives: nothing stale, no seams.
TYPED_TEST(Golden, RedrawsAtEverySizeLeaveThePixelsAWholePaintGives) {
  for (int percent : {125, 150, 175, 250}) {
    this->editor->setScale(editor::AEffGUIEditor::ScaleSource::User, percent);
    ASSERT_TRUE(this->open());
    for (float value : {1.0f, 0.0f, 0.37f}) {
      this->setAll(value);
      EXPECT_EQ(this->staleAfterIdle(), "") << "host changes to " << value << " at " << percent << " %";
    }
    this->click(this->windowCentre(this->layout().aboutClick, percent));
    ASSERT_TRUE(this->aboutShown());
    EXPECT_EQ(this->staleAfterIdle(), "") << "about screen opened at " << percent << " %";
    this->setAll(0.5f);
    EXPECT_EQ(this->staleAfterIdle(), "") << "host changes under the about screen at " << percent << " %";
    this->click(this->windowCentre(this->layout().aboutScreen, percent));
    EXPECT_EQ(this->staleAfterIdle(), "") << "about screen closed at " << percent << " %";
    this->close();
  }
}

// The pictures of the closed panel would not pass with the about screen
// still over it: the comparison leaves out no part of it.
TYPED_TEST(Golden, APanelPictureDoesNotMatchThePanelWithTheAboutScreenOpen) {
  if (goldenUpdateRequested()) return;  // compares against the pictures being rewritten
  ASSERT_TRUE(this->open());
  this->click(TestFixture::centre(this->layout().abSwitch));
  this->setAll(1.0f);
  this->idle();
  const std::string name = std::string(this->layout().product) + "-all-1";
  ASSERT_EQ(differenceFromGolden(name, this->window->pixels(), this->textAreas(false)), "");
  this->click(TestFixture::centre(this->layout().aboutClick));
  ASSERT_TRUE(this->aboutShown());
  this->idle();
  EXPECT_NE(differenceFromGolden(name, this->window->pixels(), this->textAreas(false)), "");
  EXPECT_NE(differenceFromGolden(name, this->window->pixels(), this->textAreas(true)), "");
}

// The about screen sits away from the panel's corner: opening and closing it
// repaints all of it, and the controls beside it follow the host meanwhile,
// so closing it changes nothing beside it.
TYPED_TEST(Golden, TheAboutScreenIsPaintedWholeAndTheControlsBesideItFollowTheHost) {
  ASSERT_TRUE(this->open());
  this->click(TestFixture::centre(this->layout().aboutClick));
  ASSERT_TRUE(this->aboutShown());
  EXPECT_EQ(this->staleAfterIdle(), "") << "opened";

  for (float value : {1.0f, 0.0f, 0.5f}) {
    this->setAll(value);
    EXPECT_EQ(this->staleAfterIdle(), "") << "host changes to " << value << " while it is shown";
  }
  this->setAll(1.0f);
  this->idle();
  const auto whileShown = this->shown();
  this->click(TestFixture::centre(this->layout().aboutScreen));
  ASSERT_FALSE(this->aboutShown());
  EXPECT_EQ(this->staleAfterIdle(), "") << "closed";
  EXPECT_EQ(this->difference(whileShown, this->shown(), this->layout().aboutScreen), "")
      << "nothing beside the about screen moves when it closes";
}

TYPED_TEST(Golden, FolderModeMarksTheModifiedPreset) {
  this->effect.reset();
  FakePresetFolder folder;
  this->ui.files = &folder;
  this->makeEffect();
  folder.root = this->effect->getPresetFolderPath();
  char relative[platform::kPathCapacity];
  this->editor->access().currentFileName(relative);
  std::string file = relative;
  const size_t cut = file.find_last_of("/\\");
  std::string sub = cut == std::string::npos ? "" : file.substr(0, cut);
  std::string name = cut == std::string::npos ? file : file.substr(cut + 1);
  if (sub.empty()) {
    folder.folders[folder.root] = {{name, false, false}};
  } else {
    folder.folders[folder.root] = {{sub, true, false}};
    folder.folders[folder.root + platform::kPathSeparator + sub] = {{name, false, false}};
  }
  ASSERT_TRUE(this->open());
  EXPECT_TRUE(this->editor->isFolderMode());
  EXPECT_TRUE(this->editor->isPresetNameClean()) << relative;
  const CRect r = this->controlOf(TypeParam::kOutputIndex).rect;
  this->window->mouseDown(r.left + 26, r.top + 26, kLButton);
  this->window->mouseMove(r.left + 26, r.top + 6, kLButton);
  this->window->mouseUp(r.left + 26, r.top + 6, 0);
  this->ui.clock.advance(1000);  // the knob's readout has gone
  this->expectPicture("folder-modified");
  this->effect.reset();
}

// One recorded script of gestures: the values it leaves and the picture it
// draws are checked in once and must come out the same in every build (the
// Linux and the Windows build run the same software back end).
TYPED_TEST(Golden, TheSameEventScriptGivesTheSameValuesAndPixelsEverywhere) {
  ASSERT_TRUE(this->open());
  auto* w = this->window;
  const auto& controls = this->layout().controls;
  for (size_t i = 0; i < controls.size(); ++i) {
    const auto& c = controls[i];
    const CPoint mid = TestFixture::centre(c.rect);
    switch (c.kind) {
      case editor::ControlKind::SteppedKnob:
        this->click(TestFixture::centre(c.zones[i % c.zones.size()]));
        w->wheel(mid.x, mid.y, -120);
        break;
      case editor::ControlKind::Knob:
        w->mouseDown(mid.x, mid.y, kLButton);
        for (int k = 1; k <= 37; ++k) w->mouseMove(mid.x + k % 3, mid.y - k, k > 20 ? kLButton | kShift : kLButton);
        w->mouseUp(mid.x, mid.y - 37, 0);
        if (i % 2) this->click(mid, kLButton | kControl);
        w->wheel(mid.x, mid.y, 60);
        w->wheel(mid.x, mid.y, 70);
        break;
      case editor::ControlKind::Switch:
        this->click(mid);
        break;
    }
    this->idle();
  }
  this->click(TestFixture::centre(this->layout().abSwitch));
  this->click(TestFixture::centre(this->layout().abSwitch));
  this->click(TestFixture::centre(this->layout().abCopy));
  this->ui.clock.advance(1000);  // the last knob's readout has gone

  std::string values;
  for (int i = 0; i < this->kParameters; ++i) {
    char line[48];
    std::snprintf(line, sizeof(line), "%d %.9g\n", i, static_cast<double>(this->effect->getParameter(i)));
    values += line;
  }
  const char* data = std::getenv("SORVANE_TEST_DATA");
  const std::string path =
      std::string(data ? data : "tests/data") + "/editor/" + this->layout().product + "-script-values.txt";
  if (goldenUpdateRequested()) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs(values.c_str(), f);
    std::fclose(f);
  } else {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr) << path;
    std::string expected;
    char buffer[256];
    while (std::fgets(buffer, sizeof(buffer), f)) expected += buffer;
    std::fclose(f);
    EXPECT_EQ(values, expected);
  }
  this->expectPicture("script");
}

}  // namespace
}  // namespace sorvane::test
