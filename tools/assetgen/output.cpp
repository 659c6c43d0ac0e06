#include "tools/assetgen/output.h"

#include <jpeglib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/d3dx/pictures/picture_writers.h"

void Fail(const std::string& what) {
  std::fprintf(stderr, "assetgen: %s\n", what.c_str());
  std::exit(1);
}

std::string Output::PathOf(const std::string& gameName) const {
  std::string relative = gameName;
  for (char& c : relative) {
    if (c == '\\') c = '/';
  }
  const std::filesystem::path path = std::filesystem::path(root_) / relative;
  std::filesystem::create_directories(path.parent_path());
  return path.string();
}

void Output::WriteBytes(const std::string& gameName, const std::vector<uint8_t>& bytes) const {
  const std::string path = PathOf(gameName);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!out.flush()) Fail("cannot write " + path);
}

void Output::WriteText(const std::string& gameName, const std::string& text) const {
  WriteBytes(gameName, std::vector<uint8_t>(text.begin(), text.end()));
}

void Output::WriteJpeg(const std::string& gameName, const platform::d3dx::Picture& picture, int quality) const {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr error;
  cinfo.err = jpeg_std_error(&error);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = picture.width;
  cinfo.image_height = picture.height;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<unsigned char> row(size_t(picture.width) * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    const uint32_t* pixels = picture.Row(cinfo.next_scanline);
    for (uint32_t x = 0; x < picture.width; ++x) {
      row[x * 3] = uint8_t(pixels[x] >> 16);
      row[x * 3 + 1] = uint8_t(pixels[x] >> 8);
      row[x * 3 + 2] = uint8_t(pixels[x]);
    }
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<uint8_t> bytes(buffer, buffer + size);
  std::free(buffer);
  WriteBytes(gameName, bytes);
}

void Output::WriteBmp(const std::string& gameName, const platform::d3dx::Picture& picture) const {
  std::vector<uint8_t> bytes;
  if (platform::d3dx::EncodePicture(platform::d3dx::IFF_BMP, picture, false, bytes) != platform::gfx::kOk)
    Fail("cannot encode " + gameName);
  WriteBytes(gameName, bytes);
}
