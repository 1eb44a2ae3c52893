#include "settings/Autostart.h"

#include <algorithm>
#include <cstddef>

#include "settings/SettingsStore.h"
#include "util/ProgramIdentity.h"
#include "util/Utf.h"

namespace quenora {

namespace {

constexpr std::string_view kCurrentVersionKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
constexpr std::string_view kAutostartSwitch = "/AUTOSTART";

// A value read again after it grew: at most this often, and no longer than the longest path
// Windows knows (32767 characters and a zero).
constexpr int kReadRetries = 2;
constexpr std::uint32_t kMaxTextBytes = 32768 * sizeof(char16_t);

bool IsStringType(std::uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

}  // namespace

bool HasAutostartSwitch(std::string_view commandLine) {
  while (!commandLine.empty()) {
    const std::size_t start = std::min(commandLine.find_first_not_of(" \t"), commandLine.size());
    commandLine.remove_prefix(start);
    const std::size_t end = std::min(commandLine.find_first_of(" \t"), commandLine.size());
    const std::string_view word = commandLine.substr(0, end);
    commandLine.remove_prefix(end);
    if (word.size() == kAutostartSwitch.size() &&
        std::equal(word.begin(), word.end(), kAutostartSwitch.begin(), [](char a, char b) {
          return (a >= 'a' && a <= 'z' ? static_cast<char>(a - 'a' + 'A') : a) == b;
        })) {
      return true;
    }
  }
  return false;
}

bool RunCommandProgramExists(Files& files, std::string_view command) {
  // Hidden and system files count: Windows starts them all the same, and adds ".exe" to a
  // name without it.
  const auto isFile = [&](std::string_view path) {
    const std::optional<std::uint32_t> attributes = files.FindFile(path);
    return attributes && (*attributes & kFileDirectory) == 0;
  };
  const auto starts = [&](std::string_view path) {
    return !path.empty() && (isFile(path) || isFile(std::string(path) + ".exe"));
  };
  command.remove_prefix(std::min(command.find_first_not_of(" \t"), command.size()));
  const bool quoted = !command.empty() && command.front() == '"';
  std::string_view path = command;
  if (quoted) path = path.substr(1, path.find('"', 1) - 1);
  if (path.empty()) return false;
  // Only an absolute path can be looked up here; one that Windows finds on its search path or
  // with a variable it expands first may well start a program, and counts as there.
  const bool absolute =
      (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) ||
      path.substr(0, 2) == "\\\\";
  if (!absolute || path.find('%') != std::string_view::npos) return true;
  if (quoted) return starts(path);
  // Unquoted, Windows tries each blank as the end of the program's path, the shortest first:
  // whichever of those is there starts.
  for (std::size_t blank = path.find(' '); blank != std::string_view::npos;
       blank = path.find(' ', blank + 1)) {
    if (starts(path.substr(0, blank))) return true;
  }
  return starts(path.substr(0, path.find_last_not_of(" \t") + 1));
}

RegistryRoot RunKeyRoot(bool machineWide) {
  return machineWide ? RegistryRoot::LocalMachine : RegistryRoot::CurrentUser;
}

std::string RunKeyPath(bool runOnce) {
  return std::string(kCurrentVersionKey) + (runOnce ? "RunOnce" : "Run");
}

bool RegistryValueExists(RegistryCalls& calls, RegistryRoot root, std::string_view subkey,
                         std::string_view name) {
  const RegistryKeyAnswer open = calls.OpenKey(root, subkey, RegistryAccess::QueryValue);
  if (open.code != kRegistrySuccess) return false;
  // Type and size only: whether the value is there is all we want to know.
  const RegistryValueAnswer answer = calls.QueryValue(open.key, name, nullptr);
  calls.CloseKey(open.key);
  return answer.code == kRegistrySuccess;
}

std::string RegistryReadString(RegistryCalls& calls, RegistryRoot root, std::string_view subkey,
                               std::string_view name) {
  // A key that can't be opened for another reason than its absence reads as empty as well:
  // there is no key to ask, and an empty answer is what every caller copes with.
  const RegistryKeyAnswer open = calls.OpenKey(root, subkey, RegistryAccess::QueryValue);
  if (open.code != kRegistrySuccess) return {};

  // One character more than the key's longest data, in blanks: whatever the call leaves
  // unwritten reads as blanks, never as stale memory. The length comes in bytes, two to a
  // character; an odd one is rounded down, which the character added still covers.
  const RegistryLengthAnswer longest = calls.QueryInfoKeyMaxValueLen(open.key);
  const std::uint32_t longestBytes = longest.code == kRegistrySuccess ? longest.length : 0;
  std::u16string buffer(longestBytes / sizeof(char16_t) + 1, u' ');
  RegistryValueAnswer answer = calls.QueryValue(open.key, name, &buffer);
  // A value that grew since the key was asked for its longest one doesn't fit: it is read
  // again into a buffer of the size the call reports, as long as that is a size a path or a
  // command line can have. One that goes on growing is given up.
  for (int retry = 0; retry < kReadRetries; ++retry) {
    const bool grew = answer.code == kRegistryMoreData &&
                      answer.size > buffer.size() * sizeof(char16_t) &&
                      answer.size <= kMaxTextBytes;
    if (!grew) break;
    buffer.assign(answer.size / sizeof(char16_t) + 1, u' ');
    answer = calls.QueryValue(open.key, name, &buffer);
  }

  // Only a read that succeeded says what the buffer holds; any other answer is no text.
  std::string text;
  if (answer.code == kRegistrySuccess) {
    // Whole characters only (an odd last byte is half of one), and never past the buffer.
    std::size_t length = std::min<std::size_t>(answer.size / sizeof(char16_t), buffer.size());
    // A text's terminating zero is no part of it; other programs store texts without one, and
    // then the last character is the text's own.
    if (IsStringType(answer.type) && length > 0 && buffer[length - 1] == u'\0') --length;
    text = Utf16ToUtf8(std::u16string_view(buffer.data(), length));
  }
  calls.CloseKey(open.key);
  return text;
}

void RegistryWriteValue(RegistryCalls& calls, RegistryRoot root, std::string_view subkey,
                        std::string_view name, std::string_view data, std::uint32_t type) {
  const RegistryKeyAnswer create = calls.CreateKey(root, subkey);
  if (create.code != kRegistrySuccess) return;
  // In UTF-16, so that a path through any user's folder is stored as it is, with the
  // terminating zero for the text types: a reader of the value expects it there.
  std::u16string units = Utf8ToUtf16(data);
  if (IsStringType(type)) units.push_back(u'\0');
  calls.SetValue(create.key, name, type, units);
  calls.CloseKey(create.key);
}

void RegistryDeleteValue(RegistryCalls& calls, RegistryRoot root, std::string_view subkey,
                         std::string_view name) {
  const RegistryKeyAnswer open = calls.OpenKey(root, subkey, RegistryAccess::AllAccess);
  if (open.code != kRegistrySuccess) return;
  // A value that isn't there needs no deleting; the code says nothing the user must hear.
  calls.DeleteValue(open.key, name);
  calls.CloseKey(open.key);
}

void Autostart::SetRunEntry(std::string_view name, std::string_view command, bool machineWide,
                            bool runOnce) {
  RegistryWriteValue(registry_, RunKeyRoot(machineWide), RunKeyPath(runOnce), name, command,
                     kRegSz);
}

void Autostart::DeleteRunEntry(std::string_view name, bool machineWide, bool runOnce) {
  RegistryDeleteValue(registry_, RunKeyRoot(machineWide), RunKeyPath(runOnce), name);
}

bool Autostart::RunEntryExists(std::string_view name, bool machineWide, bool runOnce) {
  return RegistryValueExists(registry_, RunKeyRoot(machineWide), RunKeyPath(runOnce), name);
}

std::string Autostart::RunCommand() {
  // The path goes in double quotes: Windows reads an unquoted command line by trying each
  // blank as the end of the program's path, so a bare C:\Program Files\Quenora\Quenora.exe
  // would start C:\Program.exe if such a file were there. A bare path entered by hand still
  // counts as registered, as long as it names a program file that is there.
  return "\"" + ProgramExePath(system_.ExecutablePath()) + "\" " + std::string(kAutostartSwitch);
}

void Autostart::SyncAutostartCheckbox(AutostartCheckbox& checkbox) {
  const std::string folder =
      RegistryReadString(registry_, RegistryRoot::CurrentUser,
                         std::string(kCurrentVersionKey) + "Explorer\\Shell Folders", "Startup");
  const bool known = !folder.empty();
  const std::string shortcut = WithTrailingBackslash(folder) + std::string(kProductName) + ".lnk";

  if (known && FileExists(files_, shortcut)) {
    // A shortcut in the Startup folder is how older setups started the program; it gives way
    // to the Run value. Each failure is told and the next step still runs, so the Run value
    // is written whether or not the shortcut could be removed.
    if (!files_.SetNormalAttributes(shortcut)) {
      system_.ShowMessage("Attribute nicht löschbar: " + shortcut, kProductName);
    }
    if (!files_.DeleteFileAt(shortcut)) {
      system_.ShowMessage("Datei nicht löschbar: " + shortcut, kProductName);
    }
    checkbox.SetTag(AutostartGuardTag);
    // Our check box keeps quiet when code sets it, so the click it would have raised is made
    // here, and only for a real change, as a click would be.
    const bool changed = checkbox.Value() != 1;
    checkbox.SetValue(1);
    if (changed) ApplyAutostartCheckbox(checkbox);
    return;
  }

  // Still disarmed: an existing Run value is shown, not rewritten. One whose program file is
  // gone (an uninstaller removed it for another user, a folder moved) starts nothing and shows
  // as off; a tick writes it anew.
  checkbox.SetValue(UserRunEntryWorks() ? 1 : 0);
  checkbox.SetTag(AutostartGuardTag);
}

bool Autostart::UserRunEntryWorks() {
  return RunEntryExists(kProductName, false, false) &&
         RunCommandProgramExists(files_, RegistryReadString(registry_, RunKeyRoot(false),
                                                            RunKeyPath(false), kProductName));
}

void Autostart::MarkRunEntryForPolicy(bool marked) {
  if (marked) {
    RegistryWriteValue(registry_, RegistryRoot::CurrentUser, kSettingsKey, kAutoStartByPolicyKey,
                       "True", kRegSz);
  } else {
    RegistryDeleteValue(registry_, RegistryRoot::CurrentUser, kSettingsKey, kAutoStartByPolicyKey);
  }
}

void Autostart::ApplyAutostartPolicy(AutostartCheckbox& checkbox,
                                     const std::optional<std::string>& forced) {
  if (checkbox.Tag().empty()) return;
  if (!forced) {
    // The policy went: an entry made for it goes too, so that a user who had autostart off has
    // it off again. One the user ticked since is the user's own (the click took the mark).
    if (RegistryReadString(registry_, RegistryRoot::CurrentUser, kSettingsKey,
                           kAutoStartByPolicyKey) == "True") {
      DeleteRunEntry(kProductName, false, false);
      MarkRunEntryForPolicy(false);
      checkbox.SetValue(0);
    }
    return;
  }
  // Forced on: the user's entry is made where none works, as the box would make it, and marked
  // as the policy's. Forced off: the box shows it off, and a start by the entry ends (at the
  // window's load); the entry stays, and so does a mark, for when the policy goes.
  if (*forced == "1" && !UserRunEntryWorks()) {
    SetRunEntry(kProductName, RunCommand(), false, false);
    MarkRunEntryForPolicy(true);
  }
  checkbox.SetValue(*forced == "1" ? 1 : 0);
}

void Autostart::ApplyAutostartCheckbox(AutostartCheckbox& checkbox) {
  if (checkbox.Tag().empty()) return;
  // The user's own choice from now on, whatever a policy did before.
  MarkRunEntryForPolicy(false);
  if (checkbox.Value() != 0) {
    SetRunEntry(kProductName, RunCommand(), false, false);
  } else {
    DeleteRunEntry(kProductName, false, false);
  }
}

}  // namespace quenora
