#!/usr/bin/env bash
# Writes the winget manifest of the setup SETUP into the folder OUT, in the multi-file form that
# winget-pkgs takes: TarnwickSoftware.Quenora{,.installer,.locale.de-DE}.yaml, the version, the
# installer (one for each scope, with the setup's SHA-256) and the German default locale.
# Both scopes are the same file: the user scope as it installs by itself, the machine scope
# with /ALLUSERS, which needs an elevated start. ProductCode is the setup's uninstall key, the
# same under HKCU and HKLM. The installer's address is QUENORA_INSTALLER_URL, or where the
# vendor's site would publish the setup. tools/dist.sh runs it:
#   tools/winget-manifest.sh VERSION SETUP OUT
set -euo pipefail

fail() {
  echo "winget-manifest: $*" >&2
  exit 1
}
(($# == 3)) || fail "usage: tools/winget-manifest.sh VERSION SETUP OUT"
version=$1 setup_file=$2 out=$3
[[ -f $setup_file ]] || fail "$setup_file is missing"

# An address the manifest's schema refuses makes a manifest that winget-pkgs turns away, or one
# that names another file: only http:// and https://, at most 2048 characters. A control
# character (a line break) can't stand in a quoted scalar as it is, and no address has one.
installer_url=${QUENORA_INSTALLER_URL:-https://www.tarnwick-software.de/download/${setup_file##*/}}
url_pattern='^[Hh][Tt][Tt][Pp][Ss]?://.+$'
if [[ ! $installer_url =~ $url_pattern || $installer_url == *[[:cntrl:]]* ]] ||
  ((${#installer_url} > 2048)); then
  fail "QUENORA_INSTALLER_URL '${installer_url//[[:cntrl:]]/?}' is refused: the setup's" \
    "address must begin with https:// or http://, have more after it, fit in 2048" \
    "characters and hold no control characters"
fi
# In single quotes, the one YAML scalar that takes any text as it is but a quote, which is
# doubled: unquoted, " #" would begin a comment and ": " a mapping.
quote="'"
quoted_url="'${installer_url//$quote/$quote$quote}'"

mkdir -p "$out"
package_id=TarnwickSoftware.Quenora
manifest_version=1.10.0
setup_sha256=$(sha256sum "$setup_file" | cut -d' ' -f1)
setup_sha256=${setup_sha256^^}
manifest_head() {
  echo "# Written by tools/dist.sh for ${setup_file##*/}."
  echo "# yaml-language-server: \$schema=https://aka.ms/winget-manifest.$1.$manifest_version.schema.json"
  echo
  echo "PackageIdentifier: $package_id"
  echo "PackageVersion: $version"
}
manifest_tail() {
  echo "ManifestType: $1"
  echo "ManifestVersion: $manifest_version"
}
{
  manifest_head version
  echo "DefaultLocale: de-DE"
  manifest_tail version
} >"$out/$package_id.yaml"
# installer_node SCOPE DISPLAY_NAME [CUSTOM_SWITCH]
installer_node() {
  echo "- Architecture: x86"
  echo "  Scope: $1"
  echo "  InstallerUrl: $quoted_url"
  echo "  InstallerSha256: $setup_sha256"
  echo "  InstallerSwitches:"
  echo "    Silent: /S"
  echo "    SilentWithProgress: /S"
  if [[ -n ${3:-} ]]; then
    echo "    Custom: $3"
    echo "  ElevationRequirement: elevationRequired"
  fi
  echo "  ProductCode: Quenora"
  echo "  AppsAndFeaturesEntries:"
  echo "  - DisplayName: $2"
  echo "    Publisher: Tarnwick Software"
  echo "    DisplayVersion: $version"
  echo "    ProductCode: Quenora"
}
{
  manifest_head installer
  echo "InstallerLocale: de-DE"
  echo "Platform:"
  echo "- Windows.Desktop"
  echo "InstallerType: nullsoft"
  echo "InstallModes:"
  echo "- interactive"
  echo "- silent"
  echo "- silentWithProgress"
  echo "UpgradeBehavior: install"
  echo "Installers:"
  installer_node user "Quenora"
  installer_node machine "Quenora (alle Benutzer)" /ALLUSERS
  manifest_tail installer
} >"$out/$package_id.installer.yaml"
{
  manifest_head defaultLocale
  echo "PackageLocale: de-DE"
  echo "Publisher: Tarnwick Software"
  echo "PublisherUrl: https://www.tarnwick-software.de"
  echo "PackageName: Quenora"
  echo "PackageUrl: https://www.tarnwick-software.de"
  echo "License: Proprietär"
  echo "Copyright: © Tarnwick Software"
  echo "ShortDescription: Zeigt den freien Platz Ihrer Laufwerke im Infobereich der Taskleiste" \
    "und meldet sich, wenn er knapp wird."
  echo "Moniker: quenora"
  echo "Tags:"
  echo "- festplatte"
  echo "- infobereich"
  echo "- speicherplatz"
  manifest_tail defaultLocale
} >"$out/$package_id.locale.de-DE.yaml"
echo "dist: $out/$package_id.yaml, .installer.yaml, .locale.de-DE.yaml (winget)"

