// Bit-by-bit canonical Huffman decoding, written for clarity rather than speed.
#include "tests/resources/inflate.h"

#include <array>

#include "resources/imagegen/deflate.h"

namespace imagegen_test {
namespace {

// The inflater keeps its own copy of the format's tables, so that a wrong entry in the
// compressor's copy cannot cancel itself out in a round trip.
constexpr std::array<int, 29> kLengthBase = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,
                                             15, 17, 19, 23, 27, 31, 35, 43, 51,  59,
                                             67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<int, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                              2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<int, 30> kDistBase = {1,    2,    3,    4,    5,    7,     9,     13,
                                           17,   25,   33,   49,   65,   97,    129,   193,
                                           257,  385,  513,  769,  1025, 1537,  2049,  3073,
                                           4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<int, 30> kDistExtra = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                            6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr std::array<int, 19> kOrder = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

struct Reader {
  std::span<const std::uint8_t> in;
  std::size_t pos = 0;
  int bit = 0;
  bool failed = false;

  std::uint32_t Bits(int count) {
    std::uint32_t v = 0;
    for (int i = 0; i < count; ++i) {
      if (pos >= in.size()) {
        failed = true;
        return 0;
      }
      v |= static_cast<std::uint32_t>((in[pos] >> bit) & 1) << i;
      if (++bit == 8) {
        bit = 0;
        ++pos;
      }
    }
    return v;
  }
};

struct Code {
  std::array<int, 16> count{};
  std::vector<int> symbols;  // by code length, then by symbol
  bool valid = false;
};

Code Build(const std::vector<int>& lengths) {
  Code code;
  for (int len : lengths) ++code.count[len];
  code.count[0] = 0;
  long left = 1;
  for (int len = 1; len < 16; ++len) {
    left = 2 * left - code.count[len];
    if (left < 0) return code;  // over-subscribed
  }
  if (left != 0) return code;  // incomplete
  for (int len = 1; len < 16; ++len) {
    for (std::size_t s = 0; s < lengths.size(); ++s) {
      if (lengths[s] == len) code.symbols.push_back(static_cast<int>(s));
    }
  }
  code.valid = true;
  return code;
}

int Decode(Reader& r, const Code& c) {
  int code = 0;
  int first = 0;
  int index = 0;
  for (int len = 1; len < 16; ++len) {
    code |= static_cast<int>(r.Bits(1));
    if (r.failed) return -1;
    const int count = c.count[len];
    if (code - first < count) return c.symbols[index + code - first];
    index += count;
    first = (first + count) << 1;
    code <<= 1;
  }
  return -1;
}

bool Codes(Reader& r, std::vector<std::uint8_t>& out, const Code& lit, const Code& dist) {
  for (;;) {
    const int symbol = Decode(r, lit);
    if (symbol < 0) return false;
    if (symbol < 256) {
      out.push_back(static_cast<std::uint8_t>(symbol));
      continue;
    }
    if (symbol == 256) return true;
    const int lc = symbol - 257;
    if (lc >= 29) return false;
    const int length = kLengthBase[lc] + static_cast<int>(r.Bits(kLengthExtra[lc]));
    const int dc = Decode(r, dist);
    if (dc < 0 || dc >= 30) return false;
    const std::size_t distance = kDistBase[dc] + r.Bits(kDistExtra[dc]);
    if (r.failed || distance > out.size()) return false;
    for (int i = 0; i < length; ++i) out.push_back(out[out.size() - distance]);
  }
}

}  // namespace

std::optional<std::vector<std::uint8_t>> Inflate(std::span<const std::uint8_t> stream) {
  Reader r{stream};
  std::vector<std::uint8_t> out;
  bool final = false;
  while (!final) {
    final = r.Bits(1) == 1;
    const std::uint32_t type = r.Bits(2);
    if (r.failed) return std::nullopt;
    if (type == 0) {
      if (r.bit != 0) {
        r.bit = 0;
        ++r.pos;
      }
      const std::uint32_t len = r.Bits(16);
      const std::uint32_t nlen = r.Bits(16);
      if (r.failed || (len ^ 0xFFFFu) != nlen || r.pos + len > stream.size()) return std::nullopt;
      out.insert(out.end(), stream.begin() + static_cast<std::ptrdiff_t>(r.pos),
                 stream.begin() + static_cast<std::ptrdiff_t>(r.pos + len));
      r.pos += len;
    } else if (type == 1) {
      std::vector<int> lit(288);
      for (int s = 0; s < 288; ++s) lit[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
      if (!Codes(r, out, Build(lit), Build(std::vector<int>(32, 5)))) return std::nullopt;
    } else if (type == 2) {
      const int hlit = static_cast<int>(r.Bits(5)) + 257;
      const int hdist = static_cast<int>(r.Bits(5)) + 1;
      const int hclen = static_cast<int>(r.Bits(4)) + 4;
      std::vector<int> clen(19, 0);
      for (int i = 0; i < hclen; ++i) clen[kOrder[i]] = static_cast<int>(r.Bits(3));
      const Code clenCode = Build(clen);
      if (r.failed || !clenCode.valid || hlit > 286 || hdist > 30) return std::nullopt;
      std::vector<int> lengths;
      while (static_cast<int>(lengths.size()) < hlit + hdist) {
        const int symbol = Decode(r, clenCode);
        if (symbol < 0) return std::nullopt;
        if (symbol < 16) {
          lengths.push_back(symbol);
          continue;
        }
        int repeat = 0;
        int value = 0;
        if (symbol == 16) {
          if (lengths.empty()) return std::nullopt;
          value = lengths.back();
          repeat = 3 + static_cast<int>(r.Bits(2));
        } else if (symbol == 17) {
          repeat = 3 + static_cast<int>(r.Bits(3));
        } else {
          repeat = 11 + static_cast<int>(r.Bits(7));
        }
        if (static_cast<int>(lengths.size()) + repeat > hlit + hdist) return std::nullopt;
        lengths.insert(lengths.end(), repeat, value);
      }
      const std::vector<int> litLengths(lengths.begin(), lengths.begin() + hlit);
      const std::vector<int> distLengths(lengths.begin() + hlit, lengths.end());
      const Code lit = Build(litLengths);
      const Code dist = Build(distLengths);
      if (!lit.valid || !dist.valid || litLengths[256] == 0) return std::nullopt;
      if (!Codes(r, out, lit, dist)) return std::nullopt;
    } else {
      return std::nullopt;
    }
  }
  // Nothing may follow the final block but the padding of its last byte.
  if (r.pos + (r.bit != 0 ? 1 : 0) != stream.size()) return std::nullopt;
  return out;
}

std::optional<std::vector<std::uint8_t>> ZlibInflate(std::span<const std::uint8_t> stream) {
  if (stream.size() < 6) return std::nullopt;
  const unsigned cmf = stream[0];
  const unsigned flg = stream[1];
  if ((cmf & 0x0F) != 8 || (cmf >> 4) > 7 || (cmf * 256 + flg) % 31 != 0 || (flg & 0x20) != 0) {
    return std::nullopt;
  }
  auto body = Inflate(stream.subspan(2, stream.size() - 6));
  if (!body) return std::nullopt;
  const std::size_t end = stream.size() - 4;
  const std::uint32_t adler = (std::uint32_t{stream[end]} << 24) | (std::uint32_t{stream[end + 1]} << 16) |
                              (std::uint32_t{stream[end + 2]} << 8) | stream[end + 3];
  if (adler != imagegen::Adler32(*body)) return std::nullopt;
  return body;
}

}  // namespace imagegen_test
