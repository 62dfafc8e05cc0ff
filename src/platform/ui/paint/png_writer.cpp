#include "platform/ui/paint/png_writer.hpp"

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <new>
#include <stdexcept>
#include <vector>

namespace corvane {
namespace {

// libpng is C: its errors must leave through its own protocol (the error
// function longjmps back to the setjmp in encode()), never as a C++
// exception thrown through its frames. The frames a longjmp skips (libpng's
// and the callbacks below) hold no C++ object with a destructor; the reason
// is kept in a plain buffer and thrown as an exception once back in C++.
struct ErrorText {
  char text[200] = "PNG: unknown error";
};

[[noreturn]] void fail(png_structp png, png_const_charp message) {
  auto* error = static_cast<ErrorText*>(png_get_error_ptr(png));
  std::snprintf(error->text, sizeof error->text, "PNG: %s", message);
  png_longjmp(png, 1);
}

void warnNothing(png_structp, png_const_charp) {}

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
  bool appended = true;
  try {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
  } catch (const std::bad_alloc&) {
    appended = false;
  }
  if (!appended) png_error(png, "out of memory");  // after the handler has ended: nothing left to unwind
}

void flushNothing(png_structp) {}

// Cairo keeps premultiplied native-endian ARGB; PNG wants straight RGBA.
void unpremultiply(const unsigned char* src, int width, png_byte* row) {
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

struct Image {
  const unsigned char* data;
  int width, height, stride;
};

// Every libpng call, under one setjmp. Only trivially destructible values
// live in this frame; nothing set after setjmp is read after a longjmp.
// False when libpng reported an error (its text is in the error buffer).
bool encode(png_structp png, png_infop info, Image image, png_byte* row) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);  // the palette's colours are sRGB
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
  png_set_compression_level(png, 1);
  png_set_compression_strategy(png, Z_RLE);
  png_write_info(png, info);
  for (int y = 0; y < image.height; ++y) {
    unpremultiply(image.data + static_cast<std::ptrdiff_t>(y) * image.stride, image.width, row);
    png_write_row(png, row);
  }
  png_write_end(png, info);
  return true;
}

// The write and info structures, destroyed together.
struct PngWrite {
  png_structp png = nullptr;
  png_infop info = nullptr;
  explicit PngWrite(ErrorText& error) {
    png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, fail, warnNothing);
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
  const Image source{cairo_image_surface_get_data(image), cairo_image_surface_get_width(image),
                     cairo_image_surface_get_height(image), cairo_image_surface_get_stride(image)};
  if (!source.data || cairo_image_surface_get_format(image) != CAIRO_FORMAT_ARGB32)
    throw std::runtime_error("PNG: not an ARGB32 image");

  std::string bytes;
  std::vector<png_byte> row(static_cast<std::size_t>(source.width) * 4);
  ErrorText error;
  PngWrite w(error);
  png_set_write_fn(w.png, &bytes, appendBytes, flushNothing);
  if (!encode(w.png, w.info, source, row.data())) throw std::runtime_error(error.text);
  return bytes;
}

}  // namespace corvane
