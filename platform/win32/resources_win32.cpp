// Resources of the library that contains this code (the plug-in DLL): the
// pictures are resources of type "PNG", found by FindResourceA, whose names
// Windows compares without regard to case. A product's byte table, when one
// is selected, is searched after them.
#include <windows.h>

#include <cstring>

#include "platform/resources_table.h"
#include "platform/win32/gdi_objects.h"

namespace sorvane::platform {
namespace {

const EmbeddedResourceTable* selectedTable = nullptr;

HMODULE thisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&thisModule), &module);
  return module;
}

}  // namespace

void useEmbeddedResources(const EmbeddedResourceTable* table) { selectedTable = table; }

std::span<const std::uint8_t> findResource(const char* type, const char* name) {
  if (type == nullptr || name == nullptr) return {};
  HMODULE module = thisModule();
  if (HRSRC found = FindResourceA(module, name, type)) {
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    DWORD size = SizeofResource(module, found);
    if (bytes && size > 0) return {static_cast<const std::uint8_t*>(bytes), size};
  }
  return detail::findInTable(selectedTable, type, name);
}

std::unique_ptr<PixelBuffer> loadBitmapResource(const char* name) {
  if (name == nullptr) return nullptr;
  HBITMAP bitmap =
      gdi::counted(static_cast<HBITMAP>(LoadImageA(thisModule(), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!bitmap) return nullptr;
  BITMAP info{};
  GetObjectA(bitmap, sizeof info, &info);
  auto pixels = createPixelBuffer(info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight);
  if (pixels) {
    HDC from = gdi::counted(CreateCompatibleDC(nullptr));
    HDC to = gdi::counted(CreateCompatibleDC(nullptr));
    HGDIOBJ oldFrom = SelectObject(from, bitmap);
    HGDIOBJ oldTo = SelectObject(to, static_cast<HBITMAP>(pixels->nativeHandle()));
    BitBlt(to, 0, 0, pixels->width(), pixels->height(), from, 0, 0, SRCCOPY);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
    gdi::deleteDC(from);
    gdi::deleteDC(to);
    // A plain bitmap is opaque.
    for (int y = 0; y < pixels->height(); ++y)
      for (int x = 0; x < pixels->width(); ++x) pixels->row(y)[x * 4 + 3] = 255;
  }
  gdi::deleteObject(bitmap);
  return pixels;
}

}  // namespace sorvane::platform
