// imagegen: draws the program's icons and button images and writes them with PNG previews.
//
// The images under resources/images are this program's output and are committed beside it; a
// test checks that they match. After changing a drawing, regenerate them from the source root:
//
//   cmake --build --preset native --target imagegen
//   build/native/resources/imagegen/imagegen resources/images
//
// The output is byte-identical on every run and with every compiler.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>

#include "resources/imagegen/catalog.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: imagegen OUTPUT_FOLDER\n");
    return 2;
  }
  try {
    const std::filesystem::path root(argv[1]);
    for (const imagegen::OutputFile& file : imagegen::GenerateAll()) {
      const std::filesystem::path path = root / std::filesystem::path(file.path);
      std::filesystem::create_directories(path.parent_path());
      std::ofstream out(path, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(file.bytes.data()),
                static_cast<std::streamsize>(file.bytes.size()));
      out.close();
      if (!out) {
        std::fprintf(stderr, "imagegen: cannot write %s\n", path.string().c_str());
        return 1;
      }
      std::printf("%s %zu bytes\n", file.path.c_str(), file.bytes.size());
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "imagegen: %s\n", e.what());
    return 1;
  }
  return 0;
}
