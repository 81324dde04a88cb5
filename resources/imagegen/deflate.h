// Checksums and a small deflate compressor (LZ77 with lazy matching, fixed or dynamic Huffman
// blocks) for the PNG files of the image generator. The output depends only on the input bytes.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace imagegen {

// CRC-32 (polynomial 0xEDB88320) as used by PNG and zip. Pass the previous result to continue
// over a further piece of data.
std::uint32_t Crc32(std::span<const std::uint8_t> data, std::uint32_t crc = 0);

// Adler-32 as used by the zlib format. Pass the previous result to continue.
std::uint32_t Adler32(std::span<const std::uint8_t> data, std::uint32_t adler = 1);

// A raw deflate stream (no header) of `data`, the last block marked final.
std::vector<std::uint8_t> Deflate(std::span<const std::uint8_t> data);

// A zlib stream: two header bytes, the deflate stream and the big-endian Adler-32 of `data`.
std::vector<std::uint8_t> ZlibCompress(std::span<const std::uint8_t> data);

}  // namespace imagegen
