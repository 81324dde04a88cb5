// A strict inflater for checking the image generator's output: it rejects malformed streams and
// also Huffman codes that are over-subscribed or incomplete (the generator only writes complete
// codes).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace imagegen_test {

// The bytes of a raw deflate stream, or nothing if the stream is malformed or does not end with
// a final block.
std::optional<std::vector<std::uint8_t>> Inflate(std::span<const std::uint8_t> stream);

// The bytes of a zlib stream after checking its header and Adler-32, or nothing.
std::optional<std::vector<std::uint8_t>> ZlibInflate(std::span<const std::uint8_t> stream);

}  // namespace imagegen_test
