// Figures of the Linux editor for the notes (run by hand under xvfb-run -a;
// never a test): effEditOpen to the first paint on the screen, an idle with
// nothing to redraw, one knob redrawn and put on the window, and the memory
// an open editor holds.
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <memory>

#include "editor/layout.h"
#include "editor/sorvane_gui.h"
#include "gui/draw/cbitmap.h"
#include "hostkit/host_window.h"
#include "platform/ui_services.h"
#include "tests/editor/editor_fixture.h"

namespace {

using namespace sorvane;
using Seconds = std::chrono::duration<double>;

template <class Product>
AEffEditor* nativeEditor(AudioEffect* effect) {
  return editor::makeProductEditor<Product>(effect, test::layoutOf<Product>(), platform::nativeUiServices());
}

VstIntPtr VSTCALLBACK quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

template <class Function>
double microseconds(int repeats, Function&& run) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < repeats; ++i) run(i);
  return Seconds(std::chrono::steady_clock::now() - start).count() * 1e6 / repeats;
}

template <class Product>
void figures() {
  const editor::EditorLayout& layout = test::layoutOf<Product>();
  test::useProductPictures(layout.product);
  Sorvane<Product> effect(&quietHost, &nativeEditor<Product>);
  AEffect* record = effect.getAeffect();
  auto dispatch = [&](VstInt32 opcode, void* ptr = nullptr) {
    return record->dispatcher(record, opcode, 0, 0, ptr, 0);
  };
  auto host = hostkit::createHostWindow("figures", layout.width, layout.height);
  if (!host) {
    std::fprintf(stderr, "no X display\n");
    return;
  }
  // Warm-up: fonts and the first connection.
  dispatch(effEditOpen, host->handle());
  dispatch(effEditIdle);
  dispatch(effEditClose);

  const double open = microseconds(50, [&](int) {
    dispatch(effEditOpen, host->handle());
    dispatch(effEditIdle);  // the whole panel painted and on the server
    dispatch(effEditClose);
  });

  const size_t before = mallinfo2().uordblks;
  dispatch(effEditOpen, host->handle());
  dispatch(effEditIdle);
  const size_t heap = mallinfo2().uordblks - before;
  const double idle = microseconds(2000, [&](int) { dispatch(effEditIdle); });
  const double knob = microseconds(500, [&](int i) {
    record->setParameter(record, Product::kOutputIndex, (i % 2) ? 0.25f : 0.75f);
    dispatch(effEditIdle);
  });
  dispatch(effEditClose);

  size_t pictures = 0;
  auto add = [&](const char* name) {
    auto* bitmap = new CBitmap(name);
    pictures += static_cast<size_t>(bitmap->getWidth()) * static_cast<size_t>(bitmap->getHeight()) * 4;
    bitmap->forget();
  };
  add(editor::kBackgroundBitmap);
  add(editor::kAboutBitmap);
  for (const char* name : layout.bitmaps) add(name);
  const size_t backBuffer = static_cast<size_t>(layout.width) * static_cast<size_t>(layout.height) * 4;

  std::printf("%s (%d x %d)\n", layout.product, layout.width, layout.height);
  std::printf("  effEditOpen to first paint on the server: %8.0f us (open, idle, close: mean of 50)\n", open);
  std::printf("  effEditIdle with nothing dirty:          %8.2f us\n", idle);
  std::printf("  one knob redrawn and put on the window:  %8.0f us (idle after a host change)\n", knob);
  std::printf("  decoded pictures %zu KiB + back buffer %zu KiB (shared memory); heap growth while open %zu KiB\n",
              pictures / 1024, backBuffer / 1024, heap / 1024);
}

}  // namespace

int main() {
  figures<tessaro::Product>();
  figures<pallido::Product>();
  return 0;
}
