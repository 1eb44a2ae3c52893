#include "tray/TrayIconSet.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "util/Utf.h"

namespace quenora {

namespace {

bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

}  // namespace

NotifyIconRecord TrayIconSet::BuildRecord(std::uint32_t id, IconHandle icon, std::string_view tip) {
  NotifyIconRecord record;
  record.cbSize = sizeof(NotifyIconRecord);
  record.hWnd = TrayWindowHandle;
  record.uID = id;
  record.uFlags = kTrayRecordFlags;
  record.uCallbackMessage = kTrayCallbackMessage;
  record.hIcon = icon;

  // Windows counts characters in UTF-16 units; a cut must not leave half a surrogate pair.
  std::u16string units = Utf8ToUtf16(tip);
  if (units.size() > kTrayTipCharacters) {
    units.resize(kTrayTipCharacters);
    if (IsHighSurrogate(units.back())) units.pop_back();
  }
  // In a double-byte code page 63 characters can need more than 63 bytes: give up whole
  // characters from the end until the text and its NUL fit the field.
  std::string ansi = system_.ToAnsiCodePage(units);
  while (ansi.size() > kTrayTipCharacters && !units.empty()) {
    units.pop_back();
    if (!units.empty() && IsHighSurrogate(units.back())) units.pop_back();
    ansi = system_.ToAnsiCodePage(units);
  }
  ansi.resize(std::min(ansi.size(), kTrayTipCharacters));

  std::memset(record.szTip, ' ', sizeof record.szTip);
  std::memcpy(record.szTip, ansi.data(), ansi.size());
  record.szTip[ansi.size()] = '\0';
  return record;
}

void TrayIconSet::CallNotifyIcon(std::uint32_t request, std::uint32_t id, IconHandle icon,
                                 std::string_view tip) {
  if (id < shown_.size()) {
    shown_[id] = request == kNimDelete ? Shown{} : Shown{icon, std::string(tip)};
  }
  // The shell's answer isn't examined: a refused icon stays missing until the icons are
  // rebuilt, and a later modify of it changes nothing.
  shell_.ShellNotifyIcon(request, BuildRecord(id, icon, tip));
}

void TrayIconSet::ShowNotice(std::uint32_t id, std::string_view title, std::string_view text) {
  NoticeRecord notice;
  notice.hWnd = TrayWindowHandle;
  notice.uID = id;
  notice.title = Utf8ToUtf16(CutToUtf16Units(title, kNoticeTitleUnits));
  notice.text = Utf8ToUtf16(CutToUtf16Units(text, kNoticeTextUnits));
  shell_.ShowNotice(notice);
}

void TrayIconSet::ReturnFocusToTray(std::uint32_t id) {
  // The record names the icon; the shell reads nothing else of it for this request.
  const Shown shown = id < shown_.size() ? shown_[id] : Shown{};
  shell_.ShellNotifyIcon(kNimSetFocus, BuildRecord(id, shown.icon, shown.tip));
}

void TrayIconSet::AddTrayIcon(std::uint32_t id, IconHandle icon, std::string_view tip) {
  CallNotifyIcon(kNimAdd, id, icon, tip);
}

void TrayIconSet::ModifyTrayIcon(std::uint32_t id, IconHandle icon, std::string_view tip) {
  CallNotifyIcon(kNimModify, id, icon, tip);
}

void TrayIconSet::ModifyTrayIconPicture(std::uint32_t id, IconHandle icon) {
  const std::string tip = id < shown_.size() ? shown_[id].tip : std::string();
  ModifyTrayIcon(id, icon, tip);
}

void TrayIconSet::DeleteTrayIcon(std::uint32_t id) {
  CallNotifyIcon(kNimDelete, id, 1, "");
}

void TrayIconSet::RemoveAllTrayIcons(std::int32_t driveCount) {
  for (std::int32_t id = 1; id <= driveCount; ++id) DeleteTrayIcon(static_cast<std::uint32_t>(id));
}

void TrayIconSet::AddAllTrayIconsAgain(std::int32_t driveCount) {
  const std::int32_t count = std::min<std::int32_t>(driveCount, kMaxTrayIcons);
  for (std::int32_t id = 1; id <= count; ++id) {
    const Shown shown = shown_[static_cast<std::size_t>(id)];
    AddTrayIcon(static_cast<std::uint32_t>(id), shown.icon, shown.tip);
  }
}

}  // namespace quenora
