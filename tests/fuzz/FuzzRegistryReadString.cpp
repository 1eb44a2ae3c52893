// RegistryReadString (and RegistryValueExists) over registry calls that answer whatever the
// fuzzer's bytes say: any return code, value type and size, sizes larger than the buffer or
// odd, texts without their terminating zero, a longest-value length that no longer fits the
// value when it is read.
// Input, byte by byte from the front: the open's code, the longest-length answer's code and
// length (two bytes, 13 bits), the query's code, type and size, then the data the value holds.
//
// Whatever the answers, the routine first offers a buffer of UTF-16 units, the longest length
// in bytes halved plus one, in blanks; after a "more data" answer that reports more than the
// buffer holds (and no more than the longest path), it asks again, twice at most, with the
// reported size halved plus one; it reads nothing beyond a buffer; closes exactly the key it
// opened, once; and returns, when the last read succeeded, the text of that buffer's first
// units: the size's whole units, at most the buffer, less a text's terminating zero where
// there is one; else nothing.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzInput.h"
#include "settings/Autostart.h"
#include "util/Utf.h"

namespace {

using namespace quenora;
using quenora::fuzz::IsValidUtf8;

constexpr std::string_view kSubkey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer";
constexpr std::string_view kName = "Startup";
constexpr RegistryKey kKey = 0x1234;
constexpr std::size_t kMaxReads = 3;
constexpr std::uint32_t kMaxTextBytes = 65536;

// The fuzzer's bytes, read from the front; zeros once they run out.
class Script {
 public:
  Script(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  std::uint32_t U32() {
    std::uint32_t value = 0;
    for (int k = 0; k < 4; ++k) value |= static_cast<std::uint32_t>(Byte()) << (8 * k);
    return value;
  }
  std::string Rest() {
    std::string rest(reinterpret_cast<const char*>(data_ + at_), size_ - at_);
    at_ = size_;
    return rest;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_, at_ = 0;
};

std::int32_t Code(std::uint8_t choice) {
  switch (choice % 8) {
    case 0:
    case 1:
    case 2:
    case 3:
      return kRegistrySuccess;
    case 4:
      return kRegistryFileNotFound;
    case 5:
      return 5;  // access denied
    case 6:
      return kRegistryMoreData;
    default:
      return static_cast<std::int32_t>(choice) - 128;
  }
}

struct Answers {
  std::int32_t openCode, lengthCode, valueCode;
  std::uint32_t length, type;
  std::uint8_t sizeChoice, sizeExtra;
  std::uint32_t anySize;
  std::string data;
};

class ScriptedRegistryCalls : public RegistryCalls {
 public:
  explicit ScriptedRegistryCalls(const Answers& answers) : answers_(answers) {}

  RegistryKeyAnswer OpenKey(RegistryRoot root, std::string_view subkey,
                            RegistryAccess access) override {
    CHECK(opens == 0 && root == RegistryRoot::CurrentUser && subkey == kSubkey);
    CHECK(access == RegistryAccess::QueryValue);
    ++opens;
    return {answers_.openCode, answers_.openCode == kRegistrySuccess ? kKey : 0};
  }
  RegistryKeyAnswer CreateKey(RegistryRoot, std::string_view) override {
    CHECK(false);  // reading never creates
    return {};
  }
  RegistryValueAnswer QueryValue(RegistryKey key, std::string_view name,
                                 std::u16string* buffer) override {
    CHECK(IsOpen(key) && name == kName && queries < kMaxReads);
    ++queries;
    std::uint32_t written = 0;  // bytes
    if (buffer) {
      offered.push_back(*buffer);
      // The data lands at the buffer's start, never beyond it; an odd count leaves half of
      // the last unit as it was.
      written = static_cast<std::uint32_t>(
          std::min(answers_.data.size(), buffer->size() * sizeof(char16_t)));
      std::memcpy(buffer->data(), answers_.data.data(), written);
      filled = *buffer;
    }
    std::uint32_t size = 0;
    switch (answers_.sizeChoice % 5) {
      case 0:
        size = static_cast<std::uint32_t>(answers_.data.size());
        break;  // as it is
      case 1:
        size = written;
        break;
      case 2:
        size = written + answers_.sizeExtra;
        break;  // more than there is
      case 3:
        size = written > answers_.sizeExtra ? written - answers_.sizeExtra : 0;
        break;
      default:
        size = answers_.anySize;
        break;
    }
    answered.push_back({answers_.valueCode, answers_.type, size});
    return answered.back();
  }
  RegistryLengthAnswer QueryInfoKeyMaxValueLen(RegistryKey key) override {
    CHECK(IsOpen(key) && queries == 0);
    ++lengthQueries;
    return {answers_.lengthCode, answers_.length};
  }
  std::int32_t SetValue(RegistryKey, std::string_view, std::uint32_t,
                        std::u16string_view) override {
    CHECK(false);
    return 0;
  }
  std::int32_t DeleteValue(RegistryKey, std::string_view) override {
    CHECK(false);
    return 0;
  }
  void CloseKey(RegistryKey key) override {
    CHECK(IsOpen(key));
    ++closes;
  }
  std::size_t opens = 0, lengthQueries = 0, queries = 0, closes = 0;
  std::vector<std::u16string> offered;  // each buffer as it was offered
  std::u16string filled;                // the last one as the call left it
  std::vector<RegistryValueAnswer> answered;

 private:
  bool IsOpen(RegistryKey key) const {
    return opens == 1 && answers_.openCode == kRegistrySuccess && key == kKey && closes == 0;
  }
  const Answers& answers_;
};

bool IsStringType(std::uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Script script(data, size);
  Answers answers;
  answers.openCode = Code(script.Byte());
  answers.lengthCode = Code(script.Byte());
  // The longest value a key holds is real memory of the registry's; up to 8 KB is plenty
  // to find every way a size can disagree with it.
  answers.length = script.Byte();
  answers.length |= static_cast<std::uint32_t>(script.Byte() & 0x1F) << 8;
  answers.valueCode = Code(script.Byte());
  const std::uint8_t typeChoice = script.Byte();
  const std::uint32_t types[] = {kRegSz, kRegExpandSz, kRegMultiSz, kRegBinary, kRegDword, 0};
  answers.type = typeChoice < 6 ? types[typeChoice] : typeChoice;
  answers.sizeChoice = script.Byte();
  answers.sizeExtra = script.Byte();
  answers.anySize = script.U32();
  answers.data = script.Rest();

  // Reading.
  ScriptedRegistryCalls calls(answers);
  const std::string text = RegistryReadString(calls, RegistryRoot::CurrentUser, kSubkey, kName);
  CHECK(calls.opens == 1);
  CHECK(IsValidUtf8(text));
  if (answers.openCode != kRegistrySuccess) {
    CHECK(text.empty() && calls.lengthQueries + calls.queries + calls.closes == 0);
  } else {
    CHECK(calls.lengthQueries == 1 && calls.closes == 1);
    CHECK(calls.queries >= 1 && calls.offered.size() == calls.queries);
    std::size_t bufferLength =
        (answers.lengthCode == kRegistrySuccess ? answers.length : 0) / 2 + std::size_t{1};
    for (std::size_t i = 0; i < calls.queries; ++i) {
      CHECK(calls.offered[i] == std::u16string(bufferLength, u' '));
      const RegistryValueAnswer& answer = calls.answered[i];
      const bool again = answer.code == kRegistryMoreData && answer.size > bufferLength * 2 &&
                         answer.size <= kMaxTextBytes;
      // Asked again exactly when the value grew, unless the reads are used up.
      CHECK(again == (i + 1 < calls.queries) || (again && calls.queries == kMaxReads));
      bufferLength = answer.size / 2 + std::size_t{1};
    }
    const RegistryValueAnswer& last = calls.answered.back();
    if (last.code != kRegistrySuccess) {
      CHECK(text.empty());
    } else {
      // The whole units of the size the call reported, no more than the buffer holds, less a
      // text's zero where the last of them is one.
      std::size_t length = std::min<std::size_t>(last.size / 2, calls.filled.size());
      if (IsStringType(last.type) && length > 0 && calls.filled[length - 1] == u'\0') --length;
      CHECK(text == Utf16ToUtf8(std::u16string_view(calls.filled).substr(0, length)));
    }
  }

  // Asking only whether the value is there: no buffer, the same key closed once.
  ScriptedRegistryCalls existsCalls(answers);
  const bool exists = RegistryValueExists(existsCalls, RegistryRoot::CurrentUser, kSubkey, kName);
  CHECK(exists == (answers.openCode == kRegistrySuccess && answers.valueCode == kRegistrySuccess));
  CHECK(existsCalls.offered.empty());
  CHECK(existsCalls.closes == (answers.openCode == kRegistrySuccess ? 1 : 0));
  return 0;
}
