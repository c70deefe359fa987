#include "flow/png_image.h"

#include <cairo.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct SurfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

Surface SurfaceOf(const std::vector<Rgb>& pixels, int width, int height) {
  if (width <= 0 || height <= 0 || pixels.size() != static_cast<size_t>(width) * height) return nullptr;
  Surface s(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
  if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  cairo_surface_flush(s.get());
  unsigned char* data = cairo_image_surface_get_data(s.get());
  const int stride = cairo_image_surface_get_stride(s.get());
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < width; ++x) {
      const Rgb& p = pixels[static_cast<size_t>(y) * width + x];
      row[x] = 0xFF000000u | (std::uint32_t(p.r) << 16) | (std::uint32_t(p.g) << 8) | p.b;
    }
  }
  cairo_surface_mark_dirty(s.get());
  return s;
}

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

bool EncodePng(const std::vector<Rgb>& topFirst, int width, int height, std::string& png) {
  const Surface s = SurfaceOf(topFirst, width, height);
  png.clear();
  return s && cairo_surface_write_to_png_stream(s.get(), AppendBytes, &png) == CAIRO_STATUS_SUCCESS;
}

bool WritePngFile(const std::string& path, const std::vector<Rgb>& topFirst, int width, int height,
                  std::string& error) {
  std::string png;
  if (!EncodePng(topFirst, width, height, png)) {
    error = path + ": a imagem não pôde ser codificada";
    return false;
  }
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
  if (std::fclose(f) != 0) ok = false;
  if (!ok) error = path + ": erro de escrita";
  return ok;
}
