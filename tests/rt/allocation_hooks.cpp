#include "allocation_hooks.h"

#include <cstddef>
#include <cstdlib>
#include <new>

#if defined(_WIN32)
#include <malloc.h>
#endif

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define SORVANE_SANITIZER_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define SORVANE_SANITIZER_ALLOCATOR 1
#endif
#endif

namespace sorvane::rt {
namespace {

// Plain thread-locals of the program itself: reading them allocates nothing.
thread_local bool watched = false;
thread_local long heapCalls = 0;

inline void noteHeapCall() {
  if (watched) ++heapCalls;
}

}  // namespace

void watchThisThread(bool watching) {
  heapCalls = 0;
  watched = watching;
}
long heapCallsOfThisThread() { return heapCalls; }

}  // namespace sorvane::rt

#if defined(SORVANE_SANITIZER_ALLOCATOR)

// The sanitizer owns malloc and operator new; it reports every block it
// hands out or takes back.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*onMalloc)(const volatile void*, size_t),
                                                         void (*onFree)(const volatile void*));
namespace {
void onMalloc(const volatile void*, size_t) { sorvane::rt::noteHeapCall(); }
void onFree(const volatile void*) { sorvane::rt::noteHeapCall(); }
const int installed = __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree);
}  // namespace
const char* sorvane::rt::hookKind() { return installed ? "sanitizer hooks" : "none (hooks refused)"; }

#else

#if defined(__GLIBC__)
// The C library's own entry points, under the names it exports for exactly
// this purpose; every other allocation function of the program comes here.
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);

void* malloc(size_t size) {
  sorvane::rt::noteHeapCall();
  return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
  sorvane::rt::noteHeapCall();
  return __libc_calloc(count, size);
}
void* realloc(void* block, size_t size) {
  sorvane::rt::noteHeapCall();
  return __libc_realloc(block, size);
}
void* aligned_alloc(size_t alignment, size_t size) {
  sorvane::rt::noteHeapCall();
  return __libc_memalign(alignment, size);
}
void* memalign(size_t alignment, size_t size) {
  sorvane::rt::noteHeapCall();
  return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, size_t alignment, size_t size) {
  sorvane::rt::noteHeapCall();
  void* block = __libc_memalign(alignment, size);
  if (!block) return 12;  // ENOMEM
  *out = block;
  return 0;
}
void free(void* block) {
  sorvane::rt::noteHeapCall();
  __libc_free(block);
}
}
const char* sorvane::rt::hookKind() { return "malloc interposition"; }
#else
const char* sorvane::rt::hookKind() { return "operator new"; }
#endif

// Every form of the global operators, counted, on top of malloc.
namespace {
void* allocate(size_t size) {
  sorvane::rt::noteHeapCall();
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}
void* allocateAligned(size_t size, std::align_val_t alignment) {
  sorvane::rt::noteHeapCall();
  const size_t align = static_cast<size_t>(alignment);
#if defined(_WIN32)
  if (void* block = _aligned_malloc(size ? size : 1, align)) return block;
#else
  if (void* block = std::aligned_alloc(align, (size + align - 1) / align * align)) return block;
#endif
  throw std::bad_alloc();
}
void release(void* block) {
  sorvane::rt::noteHeapCall();
  std::free(block);
}
void releaseAligned(void* block) {
  sorvane::rt::noteHeapCall();
#if defined(_WIN32)
  _aligned_free(block);
#else
  std::free(block);
#endif
}
}  // namespace

void* operator new(size_t size) { return allocate(size); }
void* operator new[](size_t size) { return allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void* operator new(size_t size, std::align_val_t alignment) { return allocateAligned(size, alignment); }
void* operator new[](size_t size, std::align_val_t alignment) { return allocateAligned(size, alignment); }
void operator delete(void* block) noexcept { release(block); }
void operator delete[](void* block) noexcept { release(block); }
void operator delete(void* block, size_t) noexcept { release(block); }
void operator delete[](void* block, size_t) noexcept { release(block); }
void operator delete(void* block, std::align_val_t) noexcept { releaseAligned(block); }
void operator delete[](void* block, std::align_val_t) noexcept { releaseAligned(block); }
void operator delete(void* block, size_t, std::align_val_t) noexcept { releaseAligned(block); }
void operator delete[](void* block, size_t, std::align_val_t) noexcept { releaseAligned(block); }

#endif
