// Deflate compressor: LZ77 over a 32 KiB window with hash chains and one step of lazy matching;
// each block of tokens is written stored, with the fixed codes or with its own length-limited
// Huffman codes, whichever is smallest. Only integer arithmetic, so every build gives the same
// bytes.
#include "resources/imagegen/deflate.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

namespace imagegen {
namespace {

constexpr int kWindow = 32768;
constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 258;
constexpr int kMaxChain = 256;
constexpr int kHashBits = 15;
constexpr std::size_t kTokensPerBlock = 16384;

constexpr int kLitLenCodes = 286;
constexpr int kDistCodes = 30;
constexpr int kEndOfBlock = 256;

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
// Order in which the lengths of the code-length code are sent.
constexpr std::array<int, 19> kCodeLengthOrder = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                  11, 4,  12, 3, 13, 2, 14, 1, 15};

// A literal (length 0) or a back reference of `length` bytes `dist` bytes back.
struct Token {
  std::uint16_t length;
  std::uint16_t value;  // the literal byte, or the distance
};

int LengthCode(int length) {  // index into kLengthBase
  int code = 0;
  while (code + 1 < static_cast<int>(kLengthBase.size()) && kLengthBase[code + 1] <= length) ++code;
  return code;
}

int DistCode(int dist) {  // index into kDistBase
  int code = 0;
  while (code + 1 < static_cast<int>(kDistBase.size()) && kDistBase[code + 1] <= dist) ++code;
  return code;
}

class BitWriter {
 public:
  explicit BitWriter(std::vector<std::uint8_t>& out) : out_(out) {}

  // Appends the low `count` bits of `bits`, least significant first.
  void Put(std::uint32_t bits, int count) {
    acc_ |= static_cast<std::uint64_t>(bits) << fill_;
    fill_ += count;
    while (fill_ >= 8) {
      out_.push_back(static_cast<std::uint8_t>(acc_));
      acc_ >>= 8;
      fill_ -= 8;
    }
  }

  // Appends a Huffman code, which deflate sends most significant bit first.
  void PutCode(std::uint32_t code, int length) {
    std::uint32_t reversed = 0;
    for (int i = 0; i < length; ++i) reversed |= ((code >> i) & 1u) << (length - 1 - i);
    Put(reversed, length);
  }

  void AlignToByte() {
    if (fill_ > 0) Put(0, 8 - fill_);
  }

 private:
  std::vector<std::uint8_t>& out_;
  std::uint64_t acc_ = 0;
  int fill_ = 0;
};

// Huffman code lengths of at most `limit` bits for `freq`, by package-merge, which gives the
// optimal lengths under the limit. Unused symbols get 0. At least two symbols always get a
// code, so that every code is complete and any decoder accepts it.
std::vector<int> CodeLengths(std::vector<std::uint32_t> freq, int limit) {
  const int n = static_cast<int>(freq.size());
  int used = 0;
  for (std::uint32_t f : freq) used += f > 0 ? 1 : 0;
  for (int s = 0; used < 2 && s < n; ++s) {
    if (freq[s] == 0) {
      freq[s] = 1;
      ++used;
    }
  }

  struct Item {
    std::uint64_t weight;
    std::vector<std::uint16_t> symbols;
  };
  std::vector<Item> leaves;
  for (int s = 0; s < n; ++s) {
    if (freq[s] > 0) leaves.push_back({freq[s], {static_cast<std::uint16_t>(s)}});
  }
  std::stable_sort(leaves.begin(), leaves.end(),
                   [](const Item& a, const Item& b) { return a.weight < b.weight; });

  std::vector<Item> list = leaves;
  for (int level = 1; level < limit; ++level) {
    std::vector<Item> packages;
    for (std::size_t i = 0; i + 1 < list.size(); i += 2) {
      Item merged{list[i].weight + list[i + 1].weight, list[i].symbols};
      merged.symbols.insert(merged.symbols.end(), list[i + 1].symbols.begin(),
                            list[i + 1].symbols.end());
      packages.push_back(std::move(merged));
    }
    std::vector<Item> next;
    std::size_t a = 0;
    std::size_t b = 0;
    while (a < leaves.size() || b < packages.size()) {
      if (b == packages.size() || (a < leaves.size() && leaves[a].weight <= packages[b].weight)) {
        next.push_back(leaves[a++]);
      } else {
        next.push_back(std::move(packages[b++]));
      }
    }
    list = std::move(next);
  }

  std::vector<int> lengths(n, 0);
  const std::size_t take = 2 * leaves.size() - 2;
  for (std::size_t i = 0; i < take; ++i) {
    for (std::uint16_t s : list[i].symbols) ++lengths[s];
  }
  return lengths;
}

// Canonical codes for the given lengths.
std::vector<std::uint32_t> CanonicalCodes(const std::vector<int>& lengths) {
  std::array<std::uint32_t, 16> count{};
  for (int len : lengths) ++count[len];
  count[0] = 0;
  std::array<std::uint32_t, 16> next{};
  std::uint32_t code = 0;
  for (int bits = 1; bits < 16; ++bits) {
    code = (code + count[bits - 1]) << 1;
    next[bits] = code;
  }
  std::vector<std::uint32_t> codes(lengths.size(), 0);
  for (std::size_t s = 0; s < lengths.size(); ++s) {
    if (lengths[s] > 0) codes[s] = next[lengths[s]]++;
  }
  return codes;
}

struct Huffman {
  std::vector<int> lengths;
  std::vector<std::uint32_t> codes;
};

Huffman MakeHuffman(std::vector<int> lengths) {
  Huffman h;
  h.codes = CanonicalCodes(lengths);
  h.lengths = std::move(lengths);
  return h;
}

Huffman FixedLitLen() {
  std::vector<int> lengths(288);
  for (int s = 0; s < 288; ++s) lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
  return MakeHuffman(std::move(lengths));
}

Huffman FixedDist() { return MakeHuffman(std::vector<int>(30, 5)); }

// LZ77 tokens of `data`.
std::vector<Token> Tokenize(std::span<const std::uint8_t> data) {
  const int n = static_cast<int>(data.size());
  std::vector<int> head(1u << kHashBits, -1);
  std::vector<int> prev(kWindow, -1);
  auto hash = [&](int i) {
    const std::uint32_t v = (static_cast<std::uint32_t>(data[i]) << 16) |
                            (static_cast<std::uint32_t>(data[i + 1]) << 8) | data[i + 2];
    return static_cast<int>((v * 2654435761u) >> (32 - kHashBits));
  };
  auto insert = [&](int i) {
    if (i + kMinMatch > n) return;
    const int h = hash(i);
    prev[i & (kWindow - 1)] = head[h];
    head[h] = i;
  };
  struct Match {
    int length = 0;
    int dist = 0;
  };
  auto longest = [&](int i) {
    Match best;
    if (i + kMinMatch > n) return best;
    const int limit = std::min(kMaxMatch, n - i);
    int candidate = head[hash(i)];
    for (int chain = kMaxChain; candidate >= 0 && chain > 0; --chain) {
      const int dist = i - candidate;
      if (dist >= kWindow) break;
      if (data[candidate + best.length] == data[i + best.length]) {
        int len = 0;
        while (len < limit && data[candidate + len] == data[i + len]) ++len;
        if (len > best.length) {
          best = {len, dist};
          if (len == limit) break;
        }
      }
      const int older = prev[candidate & (kWindow - 1)];
      if (older >= candidate) break;  // the slot was reused by a newer position
      candidate = older;
    }
    if (best.length < kMinMatch) best = {};
    return best;
  };

  std::vector<Token> tokens;
  int i = 0;
  while (i < n) {
    const Match match = longest(i);
    insert(i);
    if (match.length == 0) {
      tokens.push_back({0, data[i]});
      ++i;
      continue;
    }
    // Lazy matching: a longer match one byte later wins over this one.
    if (match.length < kMaxMatch && longest(i + 1).length > match.length) {
      tokens.push_back({0, data[i]});
      ++i;
      continue;
    }
    tokens.push_back({static_cast<std::uint16_t>(match.length), static_cast<std::uint16_t>(match.dist)});
    for (int k = i + 1; k < i + match.length; ++k) insert(k);
    i += match.length;
  }
  return tokens;
}

// Bits that the tokens take with the given codes (header excluded).
std::uint64_t TokenBits(std::span<const Token> tokens, const Huffman& lit, const Huffman& dist) {
  std::uint64_t bits = lit.lengths[kEndOfBlock];
  for (const Token& t : tokens) {
    if (t.length == 0) {
      bits += lit.lengths[t.value];
    } else {
      const int lc = LengthCode(t.length);
      const int dc = DistCode(t.value);
      bits += lit.lengths[257 + lc] + kLengthExtra[lc] + dist.lengths[dc] + kDistExtra[dc];
    }
  }
  return bits;
}

void WriteTokens(BitWriter& out, std::span<const Token> tokens, const Huffman& lit,
                 const Huffman& dist) {
  for (const Token& t : tokens) {
    if (t.length == 0) {
      out.PutCode(lit.codes[t.value], lit.lengths[t.value]);
      continue;
    }
    const int lc = LengthCode(t.length);
    out.PutCode(lit.codes[257 + lc], lit.lengths[257 + lc]);
    out.Put(static_cast<std::uint32_t>(t.length - kLengthBase[lc]), kLengthExtra[lc]);
    const int dc = DistCode(t.value);
    out.PutCode(dist.codes[dc], dist.lengths[dc]);
    out.Put(static_cast<std::uint32_t>(t.value - kDistBase[dc]), kDistExtra[dc]);
  }
  out.PutCode(lit.codes[kEndOfBlock], lit.lengths[kEndOfBlock]);
}

// The header of a dynamic block: its code lengths, run-length coded and Huffman coded.
struct DynamicHeader {
  Huffman lit;
  Huffman dist;
  int hlit = 0;
  int hdist = 0;
  int hclen = 0;
  Huffman clen;
  std::vector<std::pair<int, int>> runs;  // code-length symbol and its extra-bit value
  std::uint64_t bits = 0;
};

DynamicHeader MakeDynamicHeader(std::span<const Token> tokens) {
  std::vector<std::uint32_t> litFreq(kLitLenCodes, 0);
  std::vector<std::uint32_t> distFreq(kDistCodes, 0);
  litFreq[kEndOfBlock] = 1;
  for (const Token& t : tokens) {
    if (t.length == 0) {
      ++litFreq[t.value];
    } else {
      ++litFreq[257 + LengthCode(t.length)];
      ++distFreq[DistCode(t.value)];
    }
  }
  DynamicHeader h;
  h.lit = MakeHuffman(CodeLengths(litFreq, 15));
  h.dist = MakeHuffman(CodeLengths(distFreq, 15));
  h.hlit = kLitLenCodes;
  while (h.hlit > 257 && h.lit.lengths[h.hlit - 1] == 0) --h.hlit;
  h.hdist = kDistCodes;
  while (h.hdist > 1 && h.dist.lengths[h.hdist - 1] == 0) --h.hdist;

  std::vector<int> all(h.lit.lengths.begin(), h.lit.lengths.begin() + h.hlit);
  all.insert(all.end(), h.dist.lengths.begin(), h.dist.lengths.begin() + h.hdist);
  for (std::size_t i = 0; i < all.size();) {
    const int len = all[i];
    std::size_t run = 1;
    while (i + run < all.size() && all[i + run] == len) ++run;
    if (len == 0 && run >= 11) {
      const int take = static_cast<int>(std::min<std::size_t>(run, 138));
      h.runs.push_back({18, take - 11});
      i += take;
    } else if (len == 0 && run >= 3) {
      h.runs.push_back({17, static_cast<int>(run) - 3});
      i += run;
    } else if (len != 0 && run >= 4) {
      h.runs.push_back({len, 0});
      const int take = static_cast<int>(std::min<std::size_t>(run - 1, 6));
      h.runs.push_back({16, take - 3});
      i += 1 + take;
    } else {
      h.runs.push_back({len, 0});
      ++i;
    }
  }
  std::vector<std::uint32_t> clenFreq(19, 0);
  for (const auto& r : h.runs) ++clenFreq[r.first];
  h.clen = MakeHuffman(CodeLengths(clenFreq, 7));
  h.hclen = 19;
  while (h.hclen > 4 && h.clen.lengths[kCodeLengthOrder[h.hclen - 1]] == 0) --h.hclen;

  h.bits = 5 + 5 + 4 + 3 * static_cast<std::uint64_t>(h.hclen);
  for (const auto& r : h.runs) {
    h.bits += h.clen.lengths[r.first] + (r.first == 16 ? 2 : r.first == 17 ? 3 : r.first == 18 ? 7 : 0);
  }
  return h;
}

void WriteDynamicHeader(BitWriter& out, const DynamicHeader& h) {
  out.Put(static_cast<std::uint32_t>(h.hlit - 257), 5);
  out.Put(static_cast<std::uint32_t>(h.hdist - 1), 5);
  out.Put(static_cast<std::uint32_t>(h.hclen - 4), 4);
  for (int i = 0; i < h.hclen; ++i) {
    out.Put(static_cast<std::uint32_t>(h.clen.lengths[kCodeLengthOrder[i]]), 3);
  }
  for (const auto& [symbol, extra] : h.runs) {
    out.PutCode(h.clen.codes[symbol], h.clen.lengths[symbol]);
    if (symbol == 16) out.Put(static_cast<std::uint32_t>(extra), 2);
    if (symbol == 17) out.Put(static_cast<std::uint32_t>(extra), 3);
    if (symbol == 18) out.Put(static_cast<std::uint32_t>(extra), 7);
  }
}

}  // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> data, std::uint32_t crc) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (std::uint8_t b : data) crc = table[(crc ^ b) & 0xFFu] ^ (crc >> 8);
  return ~crc;
}

std::uint32_t Adler32(std::span<const std::uint8_t> data, std::uint32_t adler) {
  std::uint32_t a = adler & 0xFFFFu;
  std::uint32_t b = adler >> 16;
  for (std::uint8_t byte : data) {
    a = (a + byte) % 65521u;
    b = (b + a) % 65521u;
  }
  return (b << 16) | a;
}

std::vector<std::uint8_t> Deflate(std::span<const std::uint8_t> data) {
  const std::vector<Token> tokens = Tokenize(data);
  const Huffman fixedLit = FixedLitLen();
  const Huffman fixedDist = FixedDist();

  std::vector<std::uint8_t> out;
  BitWriter bits(out);
  std::size_t consumed = 0;  // input bytes covered by the blocks written so far
  std::size_t first = 0;
  do {
    const std::size_t last = std::min(tokens.size(), first + kTokensPerBlock);
    const std::span<const Token> block(tokens.data() + first, last - first);
    const bool final = last == tokens.size();
    std::size_t blockBytes = 0;
    for (const Token& t : block) blockBytes += t.length == 0 ? 1 : t.length;

    const DynamicHeader dyn = MakeDynamicHeader(block);
    const std::uint64_t dynamicBits = dyn.bits + TokenBits(block, dyn.lit, dyn.dist);
    const std::uint64_t fixedBits = TokenBits(block, fixedLit, fixedDist);
    // A stored block needs up to 7 bits of padding, 32 bits of length and a 65535-byte limit.
    const std::uint64_t storedBits = 7 + 32 + 8 * static_cast<std::uint64_t>(blockBytes);
    const bool stored = blockBytes <= 65535 && storedBits < std::min(dynamicBits, fixedBits);

    bits.Put(final ? 1u : 0u, 1);
    if (stored) {
      bits.Put(0, 2);
      bits.AlignToByte();
      bits.Put(static_cast<std::uint32_t>(blockBytes), 16);
      bits.Put(static_cast<std::uint32_t>(~blockBytes & 0xFFFFu), 16);
      for (std::size_t k = 0; k < blockBytes; ++k) bits.Put(data[consumed + k], 8);
    } else if (fixedBits <= dynamicBits) {
      bits.Put(1, 2);
      WriteTokens(bits, block, fixedLit, fixedDist);
    } else {
      bits.Put(2, 2);
      WriteDynamicHeader(bits, dyn);
      WriteTokens(bits, block, dyn.lit, dyn.dist);
    }
    consumed += blockBytes;
    first = last;
  } while (first < tokens.size());
  bits.AlignToByte();
  return out;
}

std::vector<std::uint8_t> ZlibCompress(std::span<const std::uint8_t> data) {
  // 0x78: deflate with a 32 KiB window; 0x9C: default level, and the header is a multiple of 31.
  std::vector<std::uint8_t> out = {0x78, 0x9C};
  const std::vector<std::uint8_t> body = Deflate(data);
  out.insert(out.end(), body.begin(), body.end());
  const std::uint32_t adler = Adler32(data);
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(adler >> shift));
  return out;
}

}  // namespace imagegen
