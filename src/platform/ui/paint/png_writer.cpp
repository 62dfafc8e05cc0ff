#include "platform/ui/paint/png_writer.hpp"

#include <png.h>
#include <zlib.h>

#include <stdexcept>
#include <vector>

namespace corvane {
namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

void flushNothing(png_structp) {}

[[noreturn]] void fail(png_structp, png_const_charp message) { throw std::runtime_error(std::string("PNG: ") + message); }

void warnNothing(png_structp, png_const_charp) {}

// Cairo keeps premultiplied native-endian ARGB; PNG wants straight RGBA.
void unpremultiply(const unsigned char* src, int width, std::vector<png_byte>& row) {
  const auto* px = reinterpret_cast<const std::uint32_t*>(src);
  for (int x = 0; x < width; ++x) {
    std::uint32_t p = px[x];
    unsigned a = p >> 24, r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    png_byte* out = &row[static_cast<std::size_t>(x) * 4];
    if (a == 255) {  // most of a widget is opaque: nothing to divide
      out[0] = static_cast<png_byte>(r), out[1] = static_cast<png_byte>(g), out[2] = static_cast<png_byte>(b);
      out[3] = 255;
    } else if (a == 0) {
      out[0] = out[1] = out[2] = out[3] = 0;
    } else {
      out[0] = static_cast<png_byte>((r * 255 + a / 2) / a);
      out[1] = static_cast<png_byte>((g * 255 + a / 2) / a);
      out[2] = static_cast<png_byte>((b * 255 + a / 2) / a);
      out[3] = static_cast<png_byte>(a);
    }
  }
}

struct PngWrite {
  png_structp png = nullptr;
  png_infop info = nullptr;
  PngWrite() {
    png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, fail, warnNothing);
    if (png) info = png_create_info_struct(png);
    if (!png || !info) throw std::runtime_error("PNG: out of memory");
  }
  ~PngWrite() { png_destroy_write_struct(&png, &info); }
  PngWrite(const PngWrite&) = delete;
  PngWrite& operator=(const PngWrite&) = delete;
};

}  // namespace

std::string writePng(cairo_surface_t* image) {
  cairo_surface_flush(image);
  const int width = cairo_image_surface_get_width(image), height = cairo_image_surface_get_height(image);
  const int stride = cairo_image_surface_get_stride(image);
  const unsigned char* data = cairo_image_surface_get_data(image);
  if (!data || cairo_image_surface_get_format(image) != CAIRO_FORMAT_ARGB32)
    throw std::runtime_error("PNG: not an ARGB32 image");

  std::string bytes;
  PngWrite w;
  png_set_write_fn(w.png, &bytes, appendBytes, flushNothing);
  png_set_IHDR(w.png, w.info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_sRGB(w.png, w.info, PNG_sRGB_INTENT_PERCEPTUAL);  // the palette's colours are sRGB
  png_set_filter(w.png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
  png_set_compression_level(w.png, 1);
  png_set_compression_strategy(w.png, Z_RLE);
  png_write_info(w.png, w.info);
  std::vector<png_byte> row(static_cast<std::size_t>(width) * 4);
  for (int y = 0; y < height; ++y) {
    unpremultiply(data + static_cast<std::ptrdiff_t>(y) * stride, width, row);
    png_write_row(w.png, row.data());
  }
  png_write_end(w.png, w.info);
  return bytes;
}

}  // namespace corvane
