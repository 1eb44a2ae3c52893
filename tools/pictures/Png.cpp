#include "Png.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <queue>

namespace pictures {
namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// ---- Checksums -------------------------------------------------------------------------------

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

std::uint32_t Adler32(const std::vector<std::uint8_t>& data) {
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t byte : data) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return b << 16 | a;
}

void PutBig32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
  }
}

std::uint32_t GetBig32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) << 24 |
         static_cast<std::uint32_t>(bytes[at + 1]) << 16 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
}

// ---- Deflate's alphabets (RFC 1951) ----------------------------------------------------------

constexpr int kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr int kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr int kDistanceBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                   33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                   1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr int kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// The order in which a dynamic block lists the code lengths of its code-length alphabet.
constexpr int kCodeLengthOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                      11, 4,  12, 3, 13, 2, 14, 1, 15};

int LengthCode(int length) {
  int code = 28;
  while (kLengthBase[code] > length) --code;
  return code;
}

int DistanceCode(int distance) {
  int code = 29;
  while (kDistanceBase[code] > distance) --code;
  return code;
}

// ---- Compressing -----------------------------------------------------------------------------

class BitWriter {
 public:
  // Deflate fills each byte from its lowest bit up.
  void Bits(std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) {
      if (used_ == 0) bytes_.push_back(0);
      if ((value >> i) & 1) bytes_.back() |= static_cast<std::uint8_t>(1 << used_);
      used_ = (used_ + 1) % 8;
    }
  }
  // Huffman codes go first bit first, that is from their highest bit down.
  void Code(std::uint32_t code, int length) {
    for (int i = length - 1; i >= 0; --i) Bits((code >> i) & 1, 1);
  }
  std::vector<std::uint8_t>& Bytes() { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
  int used_ = 0;
};

// Code lengths of a Huffman code for the frequencies, none longer than maxLength. Symbols that
// never occur get no code; when fewer than two occur, two get one bit each, so every code is
// complete.
std::vector<int> CodeLengths(std::vector<std::uint32_t> frequencies, int maxLength) {
  int used = 0;
  for (auto f : frequencies) used += f > 0 ? 1 : 0;
  for (std::size_t i = 0; used < 2 && i < frequencies.size(); ++i) {
    if (frequencies[i] == 0) frequencies[i] = 1, ++used;
  }
  for (;;) {
    // Nodes: the symbols, then the merged pairs; ties broken by index, so the result depends
    // on nothing but the frequencies.
    struct Node {
      std::uint64_t weight;
      int index;
    };
    auto heavier = [](const Node& a, const Node& b) {
      return a.weight != b.weight ? a.weight > b.weight : a.index > b.index;
    };
    std::priority_queue<Node, std::vector<Node>, decltype(heavier)> queue(heavier);
    std::vector<int> parent(frequencies.size(), -1);
    for (std::size_t i = 0; i < frequencies.size(); ++i) {
      if (frequencies[i] > 0) queue.push({frequencies[i], static_cast<int>(i)});
    }
    while (queue.size() > 1) {
      const Node a = queue.top();
      queue.pop();
      const Node b = queue.top();
      queue.pop();
      const int merged = static_cast<int>(parent.size());
      parent.push_back(-1);
      parent[static_cast<std::size_t>(a.index)] = merged;
      parent[static_cast<std::size_t>(b.index)] = merged;
      queue.push({a.weight + b.weight, merged});
    }
    std::vector<int> lengths(frequencies.size(), 0);
    int longest = 0;
    for (std::size_t i = 0; i < frequencies.size(); ++i) {
      if (frequencies[i] == 0) continue;
      int depth = 0;
      for (int node = static_cast<int>(i); parent[static_cast<std::size_t>(node)] >= 0;
           node = parent[static_cast<std::size_t>(node)]) {
        ++depth;
      }
      lengths[i] = depth;
      longest = std::max(longest, depth);
    }
    if (longest <= maxLength) return lengths;
    // Too deep: flatten the frequencies and build again.
    for (auto& f : frequencies) {
      if (f > 0) f = f / 2 + 1;
    }
  }
}

// Canonical codes for the lengths (RFC 1951, 3.2.2).
std::vector<std::uint32_t> CanonicalCodes(const std::vector<int>& lengths) {
  int longest = 0;
  for (int length : lengths) longest = std::max(longest, length);
  std::vector<std::uint32_t> count(static_cast<std::size_t>(longest) + 1, 0);
  for (int length : lengths) {
    if (length > 0) ++count[static_cast<std::size_t>(length)];
  }
  std::vector<std::uint32_t> next(static_cast<std::size_t>(longest) + 2, 0);
  std::uint32_t code = 0;
  for (int bits = 1; bits <= longest; ++bits) {
    code = (code + count[static_cast<std::size_t>(bits) - 1]) << 1;
    next[static_cast<std::size_t>(bits)] = code;
  }
  std::vector<std::uint32_t> codes(lengths.size(), 0);
  for (std::size_t i = 0; i < lengths.size(); ++i) {
    if (lengths[i] > 0) codes[i] = next[static_cast<std::size_t>(lengths[i])]++;
  }
  return codes;
}

// A literal byte (length 0) or a match of `length` bytes `distance` back.
struct Token {
  int length = 0;
  int value = 0;  // the literal, or the distance
};

// LZ77 over the whole input with hash chains and one step of lazy matching.
std::vector<Token> FindMatches(const std::vector<std::uint8_t>& data) {
  constexpr int kWindow = 32768;
  constexpr int kMinMatch = 3;
  constexpr int kMaxMatch = 258;
  constexpr int kMaxChain = 4096;
  const int size = static_cast<int>(data.size());
  std::vector<int> head(1 << 15, -1);
  std::vector<int> previous(data.size(), -1);
  auto hash = [&](int at) {
    return ((data[static_cast<std::size_t>(at)] << 10) ^
            (data[static_cast<std::size_t>(at) + 1] << 5) ^
            data[static_cast<std::size_t>(at) + 2]) &
           0x7FFF;
  };
  auto insert = [&](int at) {
    if (at + kMinMatch > size) return;
    const int h = hash(at);
    previous[static_cast<std::size_t>(at)] = head[static_cast<std::size_t>(h)];
    head[static_cast<std::size_t>(h)] = at;
  };
  // The longest earlier match at `at` (length 0 if none of at least kMinMatch).
  auto longest = [&](int at) {
    Token best;
    if (at + kMinMatch > size) return best;
    const int limit = std::min(kMaxMatch, size - at);
    int chain = 0;
    for (int candidate = head[static_cast<std::size_t>(hash(at))];
         candidate >= 0 && at - candidate <= kWindow && chain < kMaxChain;
         candidate = previous[static_cast<std::size_t>(candidate)], ++chain) {
      int length = 0;
      while (length < limit && data[static_cast<std::size_t>(candidate + length)] ==
                                   data[static_cast<std::size_t>(at + length)]) {
        ++length;
      }
      if (length > best.length) {
        best = {length, at - candidate};
        if (length == limit) break;
      }
    }
    if (best.length < kMinMatch) best = {};
    return best;
  };

  std::vector<Token> tokens;
  int at = 0;
  while (at < size) {
    const Token here = longest(at);
    if (here.length >= kMinMatch) {
      // Lazy: a longer match one byte on is worth a literal first.
      insert(at);
      const Token next = at + 1 < size ? longest(at + 1) : Token{};
      if (next.length > here.length) {
        tokens.push_back({0, data[static_cast<std::size_t>(at)]});
        ++at;
        continue;
      }
      tokens.push_back(here);
      for (int i = 1; i < here.length; ++i) insert(at + i);
      at += here.length;
    } else {
      insert(at);
      tokens.push_back({0, data[static_cast<std::size_t>(at)]});
      ++at;
    }
  }
  return tokens;
}

// A zlib stream (RFC 1950) of one dynamic-Huffman deflate block.
std::vector<std::uint8_t> ZlibCompress(const std::vector<std::uint8_t>& data) {
  const std::vector<Token> tokens = FindMatches(data);
  std::vector<std::uint32_t> literalFrequencies(286, 0);
  std::vector<std::uint32_t> distanceFrequencies(30, 0);
  for (const Token& token : tokens) {
    if (token.length == 0) {
      ++literalFrequencies[static_cast<std::size_t>(token.value)];
    } else {
      ++literalFrequencies[257 + static_cast<std::size_t>(LengthCode(token.length))];
      ++distanceFrequencies[static_cast<std::size_t>(DistanceCode(token.value))];
    }
  }
  literalFrequencies[256] = 1;  // the end of the block
  const std::vector<int> literalLengths = CodeLengths(literalFrequencies, 15);
  const std::vector<int> distanceLengths = CodeLengths(distanceFrequencies, 15);
  const auto literalCodes = CanonicalCodes(literalLengths);
  const auto distanceCodes = CanonicalCodes(distanceLengths);

  int literalCount = 286;
  while (literalCount > 257 && literalLengths[static_cast<std::size_t>(literalCount) - 1] == 0) {
    --literalCount;
  }
  int distanceCount = 30;
  while (distanceCount > 1 && distanceLengths[static_cast<std::size_t>(distanceCount) - 1] == 0) {
    --distanceCount;
  }
  std::vector<int> all(literalLengths.begin(), literalLengths.begin() + literalCount);
  all.insert(all.end(), distanceLengths.begin(), distanceLengths.begin() + distanceCount);

  // The lengths, run-length coded: 16 repeats the previous length 3-6 times, 17 and 18 write
  // 3-10 and 11-138 zeros.
  struct LengthSymbol {
    int symbol;
    int extra;
  };
  std::vector<LengthSymbol> lengthSymbols;
  for (std::size_t i = 0; i < all.size();) {
    std::size_t run = 1;
    while (i + run < all.size() && all[i + run] == all[i]) ++run;
    if (all[i] == 0 && run >= 3) {
      const int n = static_cast<int>(std::min<std::size_t>(run, 138));
      lengthSymbols.push_back(n >= 11 ? LengthSymbol{18, n - 11} : LengthSymbol{17, n - 3});
      i += static_cast<std::size_t>(n);
    } else if (all[i] != 0 && run >= 4) {
      lengthSymbols.push_back({all[i], 0});
      const int n = static_cast<int>(std::min<std::size_t>(run - 1, 6));
      lengthSymbols.push_back({16, n - 3});
      i += 1 + static_cast<std::size_t>(n);
    } else {
      lengthSymbols.push_back({all[i], 0});
      ++i;
    }
  }
  std::vector<std::uint32_t> lengthFrequencies(19, 0);
  for (const auto& s : lengthSymbols) ++lengthFrequencies[static_cast<std::size_t>(s.symbol)];
  const std::vector<int> lengthLengths = CodeLengths(lengthFrequencies, 7);
  const auto lengthCodes = CanonicalCodes(lengthLengths);
  int lengthCount = 19;
  while (lengthCount > 4 &&
         lengthLengths[static_cast<std::size_t>(kCodeLengthOrder[lengthCount - 1])] == 0) {
    --lengthCount;
  }

  BitWriter out;
  out.Bits(1, 1);  // the last block
  out.Bits(2, 2);  // dynamic Huffman codes
  out.Bits(static_cast<std::uint32_t>(literalCount - 257), 5);
  out.Bits(static_cast<std::uint32_t>(distanceCount - 1), 5);
  out.Bits(static_cast<std::uint32_t>(lengthCount - 4), 4);
  for (int i = 0; i < lengthCount; ++i) {
    out.Bits(
        static_cast<std::uint32_t>(lengthLengths[static_cast<std::size_t>(kCodeLengthOrder[i])]),
        3);
  }
  for (const auto& s : lengthSymbols) {
    const auto symbol = static_cast<std::size_t>(s.symbol);
    out.Code(lengthCodes[symbol], lengthLengths[symbol]);
    if (s.symbol == 16) out.Bits(static_cast<std::uint32_t>(s.extra), 2);
    if (s.symbol == 17) out.Bits(static_cast<std::uint32_t>(s.extra), 3);
    if (s.symbol == 18) out.Bits(static_cast<std::uint32_t>(s.extra), 7);
  }
  for (const Token& token : tokens) {
    if (token.length == 0) {
      const auto symbol = static_cast<std::size_t>(token.value);
      out.Code(literalCodes[symbol], literalLengths[symbol]);
      continue;
    }
    const int lengthCode = LengthCode(token.length);
    const auto symbol = 257 + static_cast<std::size_t>(lengthCode);
    out.Code(literalCodes[symbol], literalLengths[symbol]);
    out.Bits(static_cast<std::uint32_t>(token.length - kLengthBase[lengthCode]),
             kLengthExtra[lengthCode]);
    const int distanceCode = DistanceCode(token.value);
    const auto d = static_cast<std::size_t>(distanceCode);
    out.Code(distanceCodes[d], distanceLengths[d]);
    out.Bits(static_cast<std::uint32_t>(token.value - kDistanceBase[distanceCode]),
             kDistanceExtra[distanceCode]);
  }
  out.Code(literalCodes[256], literalLengths[256]);

  std::vector<std::uint8_t> stream = {0x78, 0xDA};  // deflate, 32 KB window, best compression
  stream.insert(stream.end(), out.Bytes().begin(), out.Bytes().end());
  PutBig32(stream, Adler32(data));
  return stream;
}

// ---- Decompressing ---------------------------------------------------------------------------

// Reads a deflate stream bit by bit and decodes Huffman codes by their canonical counts (the
// way zlib's reference decoder "puff" does); small pictures need no speed.
class Inflater {
 public:
  Inflater(const std::vector<std::uint8_t>& bytes, std::size_t at) : bytes_(bytes), at_(at) {}

  // The inflated data, or nullopt when the stream is broken.
  std::optional<std::vector<std::uint8_t>> Run() {
    bool last = false;
    while (!last) {
      last = Bits(1) == 1;
      const int type = Bits(2);
      bool ok = false;
      if (type == 0) ok = Stored();
      if (type == 1) ok = Fixed();
      if (type == 2) ok = Dynamic();
      if (!ok || broken_) return std::nullopt;
    }
    return out_;
  }
  // Where the stream ended, the rest of its last byte skipped.
  std::size_t End() const { return at_ + (used_ > 0 ? 1 : 0); }

 private:
  struct Huffman {
    std::vector<int> count = std::vector<int>(16, 0);
    std::vector<int> symbol;
  };

  int Bits(int count) {
    int value = 0;
    for (int i = 0; i < count; ++i) {
      if (at_ >= bytes_.size()) {
        broken_ = true;
        return 0;
      }
      value |= ((bytes_[at_] >> used_) & 1) << i;
      if (++used_ == 8) used_ = 0, ++at_;
    }
    return value;
  }

  // False for lengths that over-subscribe the code; incomplete codes are allowed.
  static bool Build(Huffman& h, const std::vector<int>& lengths) {
    h.count.assign(16, 0);
    for (int length : lengths) ++h.count[static_cast<std::size_t>(length)];
    int left = 1;
    for (int bits = 1; bits < 16; ++bits) {
      left = left * 2 - h.count[static_cast<std::size_t>(bits)];
      if (left < 0) return false;
    }
    std::vector<int> offsets(16, 0);
    for (int bits = 1; bits < 15; ++bits) {
      offsets[static_cast<std::size_t>(bits) + 1] =
          offsets[static_cast<std::size_t>(bits)] + h.count[static_cast<std::size_t>(bits)];
    }
    h.symbol.assign(lengths.size(), 0);
    for (std::size_t s = 0; s < lengths.size(); ++s) {
      if (lengths[s] != 0)
        h.symbol[static_cast<std::size_t>(offsets[static_cast<std::size_t>(lengths[s])]++)] =
            static_cast<int>(s);
    }
    return true;
  }

  int Decode(const Huffman& h) {
    int code = 0, first = 0, index = 0;
    for (int bits = 1; bits < 16; ++bits) {
      code |= Bits(1);
      const int count = h.count[static_cast<std::size_t>(bits)];
      if (code - count < first) return h.symbol[static_cast<std::size_t>(index + (code - first))];
      index += count;
      first = (first + count) << 1;
      code <<= 1;
    }
    broken_ = true;
    return -1;
  }

  bool Stored() {
    if (used_ > 0) used_ = 0, ++at_;
    if (at_ + 4 > bytes_.size()) return false;
    const int length = bytes_[at_] | bytes_[at_ + 1] << 8;
    const int complement = bytes_[at_ + 2] | bytes_[at_ + 3] << 8;
    at_ += 4;
    if ((length ^ 0xFFFF) != complement || at_ + static_cast<std::size_t>(length) > bytes_.size()) {
      return false;
    }
    out_.insert(out_.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(at_),
                bytes_.begin() + static_cast<std::ptrdiff_t>(at_) + length);
    at_ += static_cast<std::size_t>(length);
    return true;
  }

  bool Fixed() {
    std::vector<int> lengths(288, 8);
    std::fill(lengths.begin() + 144, lengths.begin() + 256, 9);
    std::fill(lengths.begin() + 256, lengths.begin() + 280, 7);
    Huffman literals, distances;
    Build(literals, lengths);
    Build(distances, std::vector<int>(30, 5));
    return Codes(literals, distances);
  }

  bool Dynamic() {
    const int literalCount = Bits(5) + 257;
    const int distanceCount = Bits(5) + 1;
    const int lengthCount = Bits(4) + 4;
    if (literalCount > 286 || distanceCount > 30) return false;
    std::vector<int> lengthLengths(19, 0);
    for (int i = 0; i < lengthCount; ++i) {
      lengthLengths[static_cast<std::size_t>(kCodeLengthOrder[i])] = Bits(3);
    }
    Huffman lengthCode;
    if (!Build(lengthCode, lengthLengths)) return false;
    std::vector<int> lengths;
    while (static_cast<int>(lengths.size()) < literalCount + distanceCount && !broken_) {
      const int symbol = Decode(lengthCode);
      if (symbol < 0) return false;
      if (symbol < 16) {
        lengths.push_back(symbol);
        continue;
      }
      int repeat = 0, value = 0;
      if (symbol == 16) {
        if (lengths.empty()) return false;
        value = lengths.back();
        repeat = 3 + Bits(2);
      } else if (symbol == 17) {
        repeat = 3 + Bits(3);
      } else {
        repeat = 11 + Bits(7);
      }
      if (static_cast<int>(lengths.size()) + repeat > literalCount + distanceCount) return false;
      lengths.insert(lengths.end(), static_cast<std::size_t>(repeat), value);
    }
    if (broken_ || lengths[256] == 0) return false;
    Huffman literals, distances;
    if (!Build(literals, std::vector<int>(lengths.begin(), lengths.begin() + literalCount)) ||
        !Build(distances, std::vector<int>(lengths.begin() + literalCount, lengths.end()))) {
      return false;
    }
    return Codes(literals, distances);
  }

  bool Codes(const Huffman& literals, const Huffman& distances) {
    for (;;) {
      const int symbol = Decode(literals);
      if (symbol < 0 || broken_) return false;
      if (symbol < 256) {
        out_.push_back(static_cast<std::uint8_t>(symbol));
        continue;
      }
      if (symbol == 256) return true;
      const int lengthCode = symbol - 257;
      if (lengthCode >= 29) return false;
      const int length = kLengthBase[lengthCode] + Bits(kLengthExtra[lengthCode]);
      const int distanceCode = Decode(distances);
      if (distanceCode < 0 || distanceCode >= 30) return false;
      const int distance = kDistanceBase[distanceCode] + Bits(kDistanceExtra[distanceCode]);
      if (static_cast<std::size_t>(distance) > out_.size()) return false;
      for (int i = 0; i < length; ++i)
        out_.push_back(out_[out_.size() - static_cast<std::size_t>(distance)]);
    }
  }

  const std::vector<std::uint8_t>& bytes_;
  std::size_t at_;
  int used_ = 0;
  bool broken_ = false;
  std::vector<std::uint8_t> out_;
};

// ---- Filters (PNG, 9) ------------------------------------------------------------------------

int Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

// The row filtered with `type`; `previous` is the row above (zeros for the first).
std::vector<std::uint8_t> FilterRow(int type, const std::uint8_t* row, const std::uint8_t* previous,
                                    std::size_t size) {
  std::vector<std::uint8_t> out(size);
  for (std::size_t i = 0; i < size; ++i) {
    const int a = i >= 4 ? row[i - 4] : 0;
    const int b = previous[i];
    const int c = i >= 4 ? previous[i - 4] : 0;
    int predicted = 0;
    if (type == 1) predicted = a;
    if (type == 2) predicted = b;
    if (type == 3) predicted = (a + b) / 2;
    if (type == 4) predicted = Paeth(a, b, c);
    out[i] = static_cast<std::uint8_t>(row[i] - predicted);
  }
  return out;
}

// The image's rows, each led by its filter type: `type` for all of them, or with -1 for each
// row the type whose bytes add up to the least (as signed values), the usual guess.
std::vector<std::uint8_t> FilteredRows(const Image& image, int type) {
  const std::size_t rowSize = static_cast<std::size_t>(image.width) * 4;
  const std::vector<std::uint8_t> zeros(rowSize, 0);
  std::vector<std::uint8_t> out;
  for (int y = 0; y < image.height; ++y) {
    const std::uint8_t* row = image.At(0, y);
    const std::uint8_t* previous = y > 0 ? image.At(0, y - 1) : zeros.data();
    int chosen = type;
    std::vector<std::uint8_t> best;
    if (type >= 0) {
      best = FilterRow(type, row, previous, rowSize);
    } else {
      long bestSum = -1;
      for (int t = 0; t < 5; ++t) {
        auto filtered = FilterRow(t, row, previous, rowSize);
        long sum = 0;
        for (std::uint8_t v : filtered) sum += v < 128 ? v : 256 - v;
        if (bestSum < 0 || sum < bestSum) bestSum = sum, best = std::move(filtered), chosen = t;
      }
    }
    out.push_back(static_cast<std::uint8_t>(chosen));
    out.insert(out.end(), best.begin(), best.end());
  }
  return out;
}

void PutChunk(std::vector<std::uint8_t>& out, const char* type,
              const std::vector<std::uint8_t>& data) {
  PutBig32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBig32(out, Crc32(&out[start], out.size() - start));
}

}  // namespace

std::vector<std::uint8_t> PngFileBytes(const Image& image) {
  std::vector<std::uint8_t> compressed;
  for (int type = -1; type < 5; ++type) {
    auto candidate = ZlibCompress(FilteredRows(image, type));
    if (compressed.empty() || candidate.size() < compressed.size()) {
      compressed = std::move(candidate);
    }
  }
  std::vector<std::uint8_t> header;
  PutBig32(header, static_cast<std::uint32_t>(image.width));
  PutBig32(header, static_cast<std::uint32_t>(image.height));
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, filters, no interlace

  std::vector<std::uint8_t> out(std::begin(kSignature), std::end(kSignature));
  PutChunk(out, "IHDR", header);
  PutChunk(out, "IDAT", compressed);
  PutChunk(out, "IEND", {});
  return out;
}

PngContents ReadPngFile(const std::vector<std::uint8_t>& bytes) {
  PngContents contents;
  auto& problems = contents.problems;
  if (bytes.size() < sizeof kSignature ||
      std::memcmp(bytes.data(), kSignature, sizeof kSignature) != 0) {
    problems.push_back("no PNG signature");
    return contents;
  }
  std::uint32_t width = 0, height = 0;
  std::vector<std::uint8_t> compressed;
  bool header = false, end = false;
  for (std::size_t at = sizeof kSignature; !end;) {
    if (at + 12 > bytes.size()) {
      problems.push_back("ends inside a chunk, before IEND");
      return contents;
    }
    const std::size_t length = GetBig32(bytes, at);
    if (length > bytes.size() - at - 12) {
      problems.push_back("a chunk runs past the end of the file");
      return contents;
    }
    const std::string type(bytes.begin() + static_cast<std::ptrdiff_t>(at) + 4,
                           bytes.begin() + static_cast<std::ptrdiff_t>(at) + 8);
    const std::size_t data = at + 8;
    if (Crc32(&bytes[at + 4], length + 4) != GetBig32(bytes, data + length)) {
      problems.push_back(type + " chunk: wrong CRC");
    }
    if (type == "IHDR") {
      if (length != 13) {
        problems.push_back("IHDR of " + std::to_string(length) + " bytes");
        return contents;
      }
      width = GetBig32(bytes, data);
      height = GetBig32(bytes, data + 4);
      const std::uint8_t expected[5] = {8, 6, 0, 0, 0};
      if (std::memcmp(&bytes[data + 8], expected, 5) != 0) {
        problems.push_back("not 8-bit RGBA without interlace");
        return contents;
      }
      header = true;
    } else if (type == "IDAT") {
      compressed.insert(compressed.end(), bytes.begin() + static_cast<std::ptrdiff_t>(data),
                        bytes.begin() + static_cast<std::ptrdiff_t>(data + length));
    } else if (type == "IEND") {
      end = true;
      if (data + length + 4 != bytes.size()) problems.push_back("bytes after IEND");
    }
    at = data + length + 4;
  }
  if (!header || width == 0 || height == 0 || width > 4096 || height > 4096) {
    problems.push_back("no sound IHDR");
    return contents;
  }
  if (compressed.size() < 6 || (compressed[0] & 0x0F) != 8 ||
      (compressed[0] << 8 | compressed[1]) % 31 != 0 || (compressed[1] & 0x20) != 0) {
    problems.push_back("no zlib stream");
    return contents;
  }
  Inflater inflater(compressed, 2);
  const auto raw = inflater.Run();
  if (!raw) {
    problems.push_back("broken deflate stream");
    return contents;
  }
  if (inflater.End() + 4 != compressed.size() ||
      GetBig32(compressed, inflater.End()) != Adler32(*raw)) {
    problems.push_back("wrong zlib checksum or stray bytes after it");
  }
  const std::size_t rowSize = static_cast<std::size_t>(width) * 4;
  if (raw->size() != (rowSize + 1) * height) {
    problems.push_back("holds " + std::to_string(raw->size()) + " bytes of rows, not " +
                       std::to_string((rowSize + 1) * height));
    return contents;
  }

  Image& image = contents.image;
  image.width = static_cast<int>(width);
  image.height = static_cast<int>(height);
  image.rgba.assign(rowSize * height, 0);
  const std::vector<std::uint8_t> zeros(rowSize, 0);
  for (std::size_t y = 0; y < height; ++y) {
    const std::uint8_t type = (*raw)[y * (rowSize + 1)];
    const std::uint8_t* in = &(*raw)[y * (rowSize + 1) + 1];
    std::uint8_t* row = &image.rgba[y * rowSize];
    const std::uint8_t* previous = y > 0 ? row - rowSize : zeros.data();
    if (type > 4) {
      problems.push_back("row " + std::to_string(y) + ": filter type " + std::to_string(type));
      return contents;
    }
    for (std::size_t i = 0; i < rowSize; ++i) {
      const int a = i >= 4 ? row[i - 4] : 0;
      const int b = previous[i];
      const int c = i >= 4 ? previous[i - 4] : 0;
      int predicted = 0;
      if (type == 1) predicted = a;
      if (type == 2) predicted = b;
      if (type == 3) predicted = (a + b) / 2;
      if (type == 4) predicted = Paeth(a, b, c);
      row[i] = static_cast<std::uint8_t>(in[i] + predicted);
    }
  }
  return contents;
}

}  // namespace pictures
