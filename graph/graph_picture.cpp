// The diagram as a picture file or on the clipboard: painted by Graph_Draw
// into an off-screen image (PNG) or an SVG canvas (vector lines and text),
// then written through the safe save, so that a failed export never damages
// a file that was there.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "formats/safe_write.h"
#include "graph/graph.h"
#include "winutil/error_text.h"
#include "winutil/winapi.h"

namespace {

// Writes size bytes to path through a temporary file; 0 or the result code.
int WriteBytes(const char* path, const char* data, size_t size) {
  SafeWrite sw{};
  static BufferedFile f;  // 64 KiB: kept off the stack
  int rc = SafeWrite_Begin(&sw, &f, path);
  if (rc != 0) return rc;
  for (size_t done = 0; done < size;) {
    int chunk = static_cast<int>(size - done < (1u << 30) ? size - done : (1u << 30));
    if (BufferedFile_Write(&f, data + done, chunk) != chunk) break;
    done += static_cast<size_t>(chunk);
  }
  return SafeWrite_Commit(&sw, &f);  // a failed write is sticky in the record
}

}  // namespace

int Graph_IsSvgPath(const char* path) {
  size_t n = path ? std::strlen(path) : 0;
  return n > 4 && strcasecmp(path + n - 4, ".svg") == 0;
}

int Graph_SavePicture(AppState* app, const char* path, int w, int h) {
  if (!app || !path || w < 1 || h < 1) return ERROR_WRITE;
  int svg = Graph_IsSvgPath(path);
  HDC dc = svg ? Win_CreateSvgDC(w, h) : Win_CreateCompatibleDC(nullptr);
  HBITMAP bitmap = svg ? nullptr : Win_CreateCompatibleBitmap(dc, w, h);
  HGDIOBJ old = bitmap ? Win_SelectObject(dc, bitmap) : nullptr;
  char* data = nullptr;
  size_t size = 0;
  if (dc && (svg || bitmap)) {
    Graph_Draw(app, dc, w, h);
    data = Win_EncodeCanvas(dc, &size);
  }
  if (bitmap) {
    Win_SelectObject(dc, old);
    Win_DeleteObject(bitmap);
  }
  Win_DeleteDC(dc);
  if (!data) return ERROR_SYSTEM_BASE + ENOMEM;
  int rc = WriteBytes(path, data, size);
  std::free(data);
  return rc;
}

int Graph_CopyPicture(AppState* app, int w, int h) {
  if (!app || w < 1 || h < 1) return 0;
  HDC dc = Win_CreateCompatibleDC(nullptr);
  HBITMAP bitmap = Win_CreateCompatibleBitmap(dc, w, h);
  int ok = 0;
  if (bitmap) {
    HGDIOBJ old = Win_SelectObject(dc, bitmap);
    Graph_Draw(app, dc, w, h);
    Win_SelectObject(dc, old);
    ok = Win_CopyBitmapToClipboard(bitmap);
    Win_DeleteObject(bitmap);
  }
  Win_DeleteDC(dc);
  return ok;
}
