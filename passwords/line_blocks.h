// The storage of a string list without system calls: its text in blocks that are never moved,
// with the start of every line, so that a list grows by millions of lines, or by lines that
// suddenly become long, without ever copying what it already holds.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "passwords/line_text.h"
#include "toolkit/secure_wipe.h"

// A buffer of characters that grows without filling its new room first: a block of a list's
// text, and a file's decoded text before it becomes one. It may hold passwords, so every
// character written into it is cleared before its memory is freed or given up for a larger one.
template <class Char>
class TCharBuffer {
public:
  TCharBuffer() = default;
  TCharBuffer(TCharBuffer&& other) noexcept
      : data_(std::move(other.data_)),
        size_(std::exchange(other.size_, 0)),
        capacity_(std::exchange(other.capacity_, 0)),
        written_(std::exchange(other.written_, 0)) {}
  TCharBuffer& operator=(TCharBuffer&& other) noexcept {
    if (this != &other) {
      Wipe();
      data_ = std::move(other.data_);
      size_ = std::exchange(other.size_, 0);
      capacity_ = std::exchange(other.capacity_, 0);
      written_ = std::exchange(other.written_, 0);
    }
    return *this;
  }
  ~TCharBuffer() { Wipe(); }

  Char* Data() noexcept { return data_.get(); }
  const Char* Data() const noexcept { return data_.get(); }
  std::size_t Size() const noexcept { return size_; }
  std::size_t Capacity() const noexcept { return capacity_; }
  std::size_t Room() const noexcept { return capacity_ - size_; }
  std::basic_string_view<Char> View() const noexcept { return {data_.get(), size_}; }

  // Makes room for capacity characters in all, keeping the text.
  void Reserve(std::size_t capacity) {
    if (capacity <= capacity_) return;
    std::unique_ptr<Char[]> bigger(new Char[capacity]);
    if (size_ > 0) std::memcpy(bigger.get(), data_.get(), size_ * sizeof(Char));
    SecureWipe(data_.get(), written_ * sizeof(Char));
    data_ = std::move(bigger);
    capacity_ = capacity;
    written_ = size_;
  }
  // Appends count characters, growing the buffer when they do not fit.
  void Append(const Char* chars, std::size_t count) {
    if (count > Room()) Reserve(std::max(size_ + count, capacity_ + capacity_ / 2 + 64));
    AppendWithinRoom(chars, count);
  }
  // Appends count characters that fit: count <= Room().
  void AppendWithinRoom(const Char* chars, std::size_t count) noexcept {
    if (count > 0) std::memcpy(data_.get() + size_, chars, count * sizeof(Char));
    SetSize(size_ + count);
  }
  // The text is the first size characters of the room, written through Data(); size is at most
  // the capacity.
  void SetSize(std::size_t size) noexcept {
    size_ = size;
    written_ = std::max(written_, size);
  }
  // Clears every character written since the last wipe and empties the text; the room stays.
  void Wipe() noexcept {
    SecureWipe(data_.get(), written_ * sizeof(Char));
    size_ = 0;
    written_ = 0;
  }

private:
  std::unique_ptr<Char[]> data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  // The most characters the text has held since the last wipe: what a wipe clears.
  std::size_t written_ = 0;
};

// The lines of a list: one text, seen as the blocks' texts one after another, and the position of
// every line's first character in it. A line with the separator after it always lies in one
// block, so every line is one contiguous run of characters; where it ends is the caller's
// business (the next line's start less its separator). Blocks are never moved or grown once
// they hold text: a block that has no room for the next line is left as it is and a new one
// started, twice as large as the last up to kLargestBlock characters, or as large as that line.
// A block of lines whose characters are all below U+0100 holds them one byte each (Latin-1, so
// nothing is lost): passwords from the usual alphabets take half the memory, and ASCII blocks
// are already the file's bytes. Positions are 32-bit, so the text holds less than 4 Gi
// characters. The starts are kept in chunks of fixed size for the same reason as the text: no
// copy of all of them as they grow. A chunk whose lines are all of one length (a file of
// passwords) keeps only its first start and that length; its starts are written out only when a
// line of another length comes.
template <class Char>
class TLineBlocks {
public:
  using TView = std::basic_string_view<Char>;

  static constexpr std::size_t kFirstBlock = 4096;
  static constexpr std::size_t kLargestBlock = std::size_t{1} << 20;
  // Characters the text can hold, as 32-bit positions address them.
  static constexpr std::size_t kMaxChars = 0xFFFFFFFFu;

  // A block's text: code units, or for a narrow block one byte a unit.
  struct TBlockView {
    bool narrow;
    TView wide;
    std::span<const std::uint8_t> bytes;
    bool ascii;  // a narrow block's units are all below U+0080
    std::size_t Size() const noexcept { return narrow ? bytes.size() : wide.size(); }
  };

  TLineBlocks() = default;
  TLineBlocks(TLineBlocks&& other) noexcept { Swap(other); }
  // The lines this held are cleared with it.
  TLineBlocks& operator=(TLineBlocks&& other) noexcept {
    TLineBlocks taken(std::move(other));
    Swap(taken);
    return *this;
  }

  std::size_t Count() const noexcept { return count_; }
  // The characters of the text in all.
  std::size_t Size() const noexcept { return size_; }
  std::uint32_t Start(std::size_t index) const noexcept {
    const TStartChunk& chunk = chunks_[index >> kChunkBits];
    const auto i = static_cast<std::uint32_t>(index & kChunkMask);
    return chunk.starts ? chunk.starts[i] : chunk.first + i * chunk.step;
  }
  // Whether a block holds its characters one byte each: then At needs WidenAll first.
  bool HasNarrowBlocks() const noexcept { return narrow_blocks_ != 0; }
  // The character at position in the text and those after it in its block; position < Size(),
  // and no block is narrow.
  const Char* At(std::uint32_t position) const noexcept {
    const TBlock& block = BlockAt(position);
    return block.wide.Data() + (position - block.start);
  }
  // The characters the blocks have room for, their texts included.
  std::size_t Reserved() const noexcept {
    std::size_t room = 0;
    for (const TBlock& block : blocks_) room += block.Capacity();
    return room;
  }
  // The blocks' texts in order: together they are the whole text.
  std::size_t BlockCount() const noexcept { return blocks_.size(); }
  TBlockView BlockText(std::size_t index) const noexcept {
    const TBlock& block = blocks_[index];
    return {block.narrow, block.wide.View(), {block.bytes.Data(), block.bytes.Size()}, block.ascii};
  }

  // Appends a line of text followed by separator, in one block; returns its index. All or
  // nothing: when room for it cannot be had (std::bad_alloc, also when the text would reach
  // kMaxChars) the lines are as they were.
  std::size_t Add(TView text, TView separator) {
    const std::size_t need = text.size() + separator.size();
    if (need > kMaxChars - size_) throw std::bad_alloc();
    const std::uint32_t bits = UnitBits(text) | UnitBits(separator);
    const bool narrow = bits < 0x100;
    // Room for the start, then for the characters; a chunk or block made before a later failure
    // only stays as unused room.
    ReserveStart(static_cast<std::uint32_t>(size_));
    // A wide block takes any line, a narrow one only lines that stay narrow.
    if (blocks_.empty() || blocks_.back().Room() < need || (blocks_.back().narrow && !narrow)) {
      const std::size_t capacity =
          blocks_.empty() ? kFirstBlock : std::min(2 * blocks_.back().Capacity(), kLargestBlock);
      TBlock block;
      block.start = static_cast<std::uint32_t>(size_);
      block.narrow = narrow;
      block.Reserve(std::max(capacity, need));
      blocks_.push_back(std::move(block));  // unchanged when it throws
      if (narrow) ++narrow_blocks_;
    }
    TBlock& last = blocks_.back();
    last.Append(text);
    last.Append(separator);
    last.ascii = last.ascii && bits < 0x80;
    PushReservedStart(static_cast<std::uint32_t>(size_));
    size_ += need;
    return count_ - 1;
  }

  // Makes every block hold its characters as code units, so that At can point into them; a block
  // at a time, each all or nothing.
  void WidenAll() {
    for (TBlock& block : blocks_) {
      if (!block.narrow) continue;
      TCharBuffer<Char> wide;
      wide.Reserve(block.bytes.Capacity());
      WidenLatin1({block.bytes.Data(), block.bytes.Size()}, wide.Data());
      wide.SetSize(block.bytes.Size());
      block.wide = std::move(wide);
      block.bytes = TCharBuffer<std::uint8_t>();
      block.narrow = false;
      --narrow_blocks_;
    }
  }

  // Replaces the lines with those ForEachLine finds in text, which becomes the one block; returns
  // the position after the last line's last character (0 when there is no line). text holds at
  // most kMaxChars characters. All or nothing, as Add.
  std::uint32_t AssignLines(TCharBuffer<Char>&& text) {
    TLineBlocks read;
    std::size_t end = 0;
    const Char* const base = text.Data();
    std::uint32_t* chunk = nullptr;
    std::size_t left = 0;
    ForEachLine(text.View(), [&](const Char* first, std::size_t length) {
      // Within a chunk the start is one store; a new chunk every kChunkSize lines.
      if (left == 0) {
        read.chunks_.emplace_back().starts.reset(new std::uint32_t[kChunkSize]);
        chunk = read.chunks_.back().starts.get();
        left = kChunkSize;
      }
      *chunk++ = static_cast<std::uint32_t>(first - base);
      --left;
      ++read.count_;
      end = static_cast<std::size_t>(first - base) + length;
    });
    read.size_ = text.Size();
    if (read.size_ > 0) {
      TBlock block;
      block.wide = std::move(text);
      read.blocks_.push_back(std::move(block));
    }
    Swap(read);
    return static_cast<std::uint32_t>(end);
  }

  void Swap(TLineBlocks& other) noexcept {
    blocks_.swap(other.blocks_);
    chunks_.swap(other.chunks_);
    std::swap(count_, other.count_);
    std::swap(size_, other.size_);
    std::swap(narrow_blocks_, other.narrow_blocks_);
  }

  // Empties the list; every character it held is cleared before its memory is freed.
  void Clear() noexcept {
    blocks_.clear();
    chunks_.clear();
    count_ = 0;
    size_ = 0;
    narrow_blocks_ = 0;
  }

  // Writes the units of Latin-1 bytes to out, which has room for them.
  static void WidenLatin1(std::span<const std::uint8_t> bytes, Char* out) noexcept {
    for (std::size_t i = 0; i < bytes.size(); ++i) out[i] = static_cast<Char>(bytes[i]);
  }

private:
  static constexpr std::size_t kChunkBits = 14;
  static constexpr std::size_t kChunkSize = std::size_t{1} << kChunkBits;
  static constexpr std::size_t kChunkMask = kChunkSize - 1;

  // The bits set in any unit of text: below 0x100 when every unit is Latin-1.
  static std::uint32_t UnitBits(TView text) noexcept {
    std::uint32_t bits = 0;
    for (const Char c : text) bits |= static_cast<std::uint16_t>(c);
    return bits;
  }

  struct TBlock {
    TCharBuffer<Char> wide;
    TCharBuffer<std::uint8_t> bytes;  // a narrow block's text
    std::uint32_t start = 0;          // the position of its first character in the whole text
    bool narrow = false;
    bool ascii = true;

    std::size_t Capacity() const noexcept { return narrow ? bytes.Capacity() : wide.Capacity(); }
    std::size_t Room() const noexcept { return narrow ? bytes.Room() : wide.Room(); }
    void Reserve(std::size_t capacity) {
      if (narrow) {
        bytes.Reserve(capacity);
      } else {
        wide.Reserve(capacity);
      }
    }
    // Appends text, which fits: narrowed to bytes in a narrow block, whose lines are Latin-1.
    void Append(TView text) noexcept {
      if (!narrow) {
        wide.AppendWithinRoom(text.data(), text.size());
        return;
      }
      std::uint8_t* out = bytes.Data() + bytes.Size();
      for (std::size_t i = 0; i < text.size(); ++i) out[i] = static_cast<std::uint8_t>(text[i]);
      bytes.SetSize(bytes.Size() + text.size());
    }
  };

  const TBlock& BlockAt(std::uint32_t position) const noexcept {
    // The last block that starts at or before position.
    const auto after = std::upper_bound(blocks_.begin(), blocks_.end(), position,
                                        [](std::uint32_t p, const TBlock& b) { return p < b.start; });
    return *(after - 1);
  }

  // The starts of kChunkSize lines: each in starts, or while they are evenly spaced (starts
  // empty) the first and the distance from one to the next.
  struct TStartChunk {
    std::unique_ptr<std::uint32_t[]> starts;
    std::uint32_t first = 0;
    std::uint32_t step = 0;
  };

  // Makes sure the next line's start, start, has its place: a new chunk, or the starts of an
  // evenly spaced one written out when start breaks the spacing. Changes no start.
  void ReserveStart(std::uint32_t start) {
    const auto i = static_cast<std::uint32_t>(count_ & kChunkMask);
    if ((count_ >> kChunkBits) >= chunks_.size()) {
      chunks_.emplace_back();  // unchanged when it throws
      return;
    }
    TStartChunk& chunk = chunks_[count_ >> kChunkBits];
    if (chunk.starts || i < 2 || std::uint64_t{chunk.first} + std::uint64_t{i} * chunk.step == start) return;
    std::unique_ptr<std::uint32_t[]> starts(new std::uint32_t[kChunkSize]);
    for (std::uint32_t k = 0; k < i; ++k) starts[k] = chunk.first + k * chunk.step;
    chunk.starts = std::move(starts);
  }
  void PushReservedStart(std::uint32_t start) noexcept {
    TStartChunk& chunk = chunks_[count_ >> kChunkBits];
    const auto i = static_cast<std::uint32_t>(count_ & kChunkMask);
    if (chunk.starts) {
      chunk.starts[i] = start;
    } else if (i == 0) {
      chunk.first = start;
    } else if (i == 1) {
      chunk.step = start - chunk.first;
    }
    ++count_;
  }

  std::vector<TBlock> blocks_;
  std::vector<TStartChunk> chunks_;
  std::size_t count_ = 0;
  std::size_t size_ = 0;
  std::size_t narrow_blocks_ = 0;
};
