#include "flow/svg_render.h"

#include <cairo.h>
#include <librsvg/rsvg.h>

#include <cmath>

namespace {

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

std::string Taken(GError* e) {
  std::string text = e && e->message ? e->message : "erro desconhecido";
  if (e) g_error_free(e);
  return text;
}

}  // namespace

bool RenderSvgToPng(const std::string& svg, std::string& png, std::string& error) {
  GError* e = nullptr;
  RsvgHandle* handle =
      rsvg_handle_new_from_data(reinterpret_cast<const guint8*>(svg.data()), svg.size(), &e);
  if (!handle) {
    error = "SVG ilegível: " + Taken(e);
    return false;
  }
  gdouble width = 0, height = 0;
  if (!rsvg_handle_get_intrinsic_size_in_pixels(handle, &width, &height) || !(width >= 1) ||
      !(height >= 1)) {
    g_object_unref(handle);
    error = "a figura não tem tamanho";
    return false;
  }
  cairo_surface_t* surface = cairo_image_surface_create(
      CAIRO_FORMAT_RGB24, static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height)));
  cairo_t* cr = cairo_create(surface);
  const RsvgRectangle viewport = {0, 0, width, height};
  const bool drawn = rsvg_handle_render_document(handle, cr, &viewport, &e);
  cairo_destroy(cr);
  g_object_unref(handle);
  png.clear();
  const bool written =
      drawn && cairo_surface_write_to_png_stream(surface, AppendBytes, &png) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface);
  if (!drawn) error = "a figura não pôde ser desenhada: " + Taken(e);
  else if (!written) error = "a imagem não pôde ser codificada";
  return written;
}
