// A host that automates from its audio thread while its user-interface thread
// opens, idles and closes the editor: the editor must take the values only
// through its atomics and touch its controls on its own thread.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/editor/editor_fixture.h"

namespace sorvane::test {
namespace {

template <class Product>
class EditorThreads : public EditorTest<Product> {};
TYPED_TEST_SUITE(EditorThreads, Products);

TYPED_TEST(EditorThreads, AutomationWhileTheEditorOpensAndClosesAHundredTimes) {
  AEffect* record = this->effect->getAeffect();
  std::atomic<bool> done{false};
  std::atomic<long> changes{0};
  std::thread audio([&] {
    long n = 0;
    while (!done.load(std::memory_order_relaxed)) {
      const int index = static_cast<int>(n % this->kParameters);
      record->setParameter(record, index, static_cast<float>(n % 101) / 100.0f);
      ++n;
    }
    changes.store(n);
  });
  for (int i = 0; i < 100; ++i) {
    ASSERT_TRUE(this->open());
    for (int k = 0; k < 3; ++k) this->idle();
    this->close();
  }
  done.store(true);
  audio.join();
  EXPECT_GT(changes.load(), 0);
  // The last values win once the editor looks again.
  ASSERT_TRUE(this->open());
  this->idle();
  for (int i = 0; i < this->kParameters; ++i)
    EXPECT_EQ(this->editor->parameterControl(i)->getValue(), this->effect->getParameter(i)) << i;
}

}  // namespace
}  // namespace sorvane::test
