// A frame on a headless window with scripted services, a recording editor
// and listener, and bitmaps made in memory whose frames have distinct
// colours, so a test can read from the pixels which frame a control shows.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "gui/controls/ccontrol.h"
#include "gui/draw/cbitmap.h"
#include "gui/views/cframe.h"
#include "platform/headless/headless_window.h"
#include "platform/scripted/clock.h"
#include "platform/scripted/message_box.h"
#include "platform/scripted/popup_menu.h"
#include "tests/gui/draw/png_fixture.h"

namespace sorvane::test {

struct RecordingEditor : GUIEditorInterface {
  void doIdleStuff() override { ++idles; }
  std::int32_t getKnobMode() const override { return knobMode; }
  void beginEdit(std::int32_t index) override { calls.push_back("begin " + std::to_string(index)); }
  void endEdit(std::int32_t index) override { calls.push_back("end " + std::to_string(index)); }

  std::int32_t knobMode = kLinearMode;
  int idles = 0;
  std::vector<std::string> calls;
};

struct RecordingListener : CControlListener {
  struct Report {
    std::int32_t tag;
    float value;
    CControl* control;
  };
  void valueChanged(CControl* control) override {
    reports.push_back({control->getTag(), control->getValue(), control});
    if (onChange) onChange(control);
  }
  std::vector<float> values() const {
    std::vector<float> v;
    for (const Report& r : reports) v.push_back(r.value);
    return v;
  }
  std::vector<Report> reports;
  std::function<void(CControl*)> onChange;
};

// The colour of frame i of a test strip: far apart for every i below 40.
inline std::array<std::uint8_t, 4> frameColour(int i) {
  return {static_cast<std::uint8_t>(10 + 6 * i), static_cast<std::uint8_t>(250 - 6 * i),
          static_cast<std::uint8_t>(i % 2 ? 200 : 40), 255};
}

// An opaque strip of frames, each frameHeight rows of frameColour(i).
inline CBitmap* makeStrip(int width, int frameHeight, int frames) {
  auto png = rgbaPng(width, frameHeight * frames, [frameHeight](int, int y) { return frameColour(y / frameHeight); });
  return new CBitmap(std::span<const std::uint8_t>(png));
}

class ToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override { liveAtStart = liveToolkitObjects(); }
  void TearDown() override {
    closeFrame();
    EXPECT_EQ(liveToolkitObjects(), liveAtStart) << "toolkit objects leaked";
  }

  CFrame* openFrame(int width = 200, int height = 100, int scalePercent = 100) {
    frame = new CFrame(CRect(0, 0, width, height), &parent, &editor, services, scalePercent);
    window = windows.window();
    return frame;
  }
  void closeFrame() {
    if (frame) frame->forget();
    frame = nullptr;
    window = nullptr;
  }
  // Pixel (x, y) of the window as blue, green, red.
  std::array<int, 3> pixel(int x, int y) const {
    const std::uint8_t* p = window->pixels().row(y) + x * 4;
    return {p[0], p[1], p[2]};
  }
  // An opaque picture colour as it lands on the window (stored premultiplied, c × 255 >> 8).
  static std::array<int, 3> bgr(std::array<std::uint8_t, 4> rgba) {
    auto stored = [](int c) { return (c * 255) >> 8; };
    return {stored(rgba[2]), stored(rgba[1]), stored(rgba[0])};
  }

  int liveAtStart = 0;
  int parent = 0;  // any non-null handle stands for the host's window
  platform::HeadlessWindowSystem windows;
  platform::ScriptedPopupMenus menus;
  platform::ManualClock clock;
  platform::ScriptedMessageBox messages;
  platform::UiServices services{&windows, &menus, &clock, &messages, nullptr, nullptr, nullptr};
  RecordingEditor editor;
  RecordingListener listener;
  CFrame* frame = nullptr;
  platform::HeadlessWindow* window = nullptr;
};

}  // namespace sorvane::test
