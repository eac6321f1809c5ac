#!/usr/bin/env bash
# A capture written as WiX source, built into an MSI by wixl and installed by Wine's msiexec:
# the registry then holds what registering the installed module for real writes (keys created
# without values too), and uninstalling takes it all away and nothing of the machine's. Runs in
# the Wine prefix of the test run; $1 is the build's program folder.
set -uo pipefail
bin=$1
work=$(mktemp -d)
shared='HKLM\Software\Corvalinde Test'
trap 'rm -rf "$work"; wine reg delete "$shared" /f >/dev/null 2>&1' EXIT
fail() { echo "FAILED: $*"; exit 1; }
windows() { winepath -w "$1" 2>/dev/null; }

product='{6F1C7A52-3B1D-4C59-9E2A-5D0C1F7B8E97}'
wine msiexec /x "$product" /qn >/dev/null 2>&1  # what a run stopped half-way left installed

# Captures module $1 (a name in the build's folder), packages, installs and uninstalls it.
package() {
  local module=$1
  rm -f "$work"/*
  cp "$bin/$module" "$work/"
  wine "$bin/Corvalinde.exe" /s /filename "$(windows "$work/$module")" /modal R \
    /capture "$(windows "$work/capture.wxs")" >"$work/capture.txt" ||
    fail "the capture of $module ended with $?"
  cat >"$work/product.wxs" <<END
<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="6F1C7A52-3B1D-4C59-9E2A-5D0C1F7B8E97" Name="Corvalinde test" Language="1033" Version="1.0.0" Manufacturer="Corvalinde"
      UpgradeCode="6F1C7A52-3B1D-4C59-9E2A-5D0C1F7B8E98">
    <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine"/>
    <Media Id="1" Cabinet="test.cab" EmbedCab="yes"/>
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="ProgramFiles64Folder">
        <Directory Id="INSTALLFOLDER" Name="CorvalindeTest"/>
      </Directory>
    </Directory>
    <Feature Id="Main" Level="1">
      <ComponentRef Id="cmp_$module"/>
    </Feature>
  </Product>
</Wix>
END
  (cd "$work" && wixl -a x64 -o test.msi product.wxs capture.wxs 2>"$work/wixl.txt") ||
    fail "wixl refused the fragment of $module: $(cat "$work/wixl.txt")"
  [ ! -s "$work/wixl.txt" ] || fail "wixl warned about the fragment of $module: $(cat "$work/wixl.txt")"

  # Each captured key's own values and keys, as reg.exe lists them.
  keys=$(sed -n 's/.*Root="HKCR" Key="\([^"]*\)".*/\1/p' "$work/capture.wxs" | sort -u)
  [ -n "$keys" ] || fail "no key in the fragment of $module"
  state() {
    while read -r key; do wine reg query "HKCR\\$key" 2>&1 | tr -d '\r'; done <<<"$keys"
  }

  # What the module writes when registered for real where the package installs it.
  installed="C:\\Program Files\\CorvalindeTest\\$module"
  folder=$(winepath -u 'C:\Program Files\CorvalindeTest')
  mkdir -p "$folder" && cp "$bin/$module" "$folder/"
  # regsvr32's form: Wine quotes a path with blanks, which only that form reads as quotes.
  wine "$bin/Corvalinde.exe" /s "$installed" >/dev/null || fail "registering $module"
  expected=$(state)
  wine "$bin/Corvalinde.exe" /s /u "$installed" >/dev/null || fail "unregistering $module"
  rm -rf "$folder"

  wine msiexec /i "$(windows "$work/test.msi")" /qn || fail "msiexec /i ended with $?"
  [ -f "$folder/$module" ] || fail "the package installed no file"
  installedState=$(state)
  [ "$installedState" == "$expected" ] ||
    fail "$module installed: $(diff <(echo "$expected") <(echo "$installedState"))"
  wine msiexec /x "$(windows "$work/test.msi")" /qn || fail "msiexec /x ended with $?"
  left=$(state | grep -c '^HKEY_' || true)
  [ "$left" -eq 0 ] || fail "$left keys of $module left after uninstalling: $(state)"
}

package testmod_good.dll
echo "the sample module's package writes what its registration writes, and removes it"

# A control: the keys its registration creates without values come and go with the package; a
# machine setting it writes, which the machine held before, stays out of the package.
wine reg add "$shared\\Condiviso" /v Cartella /d 'C:\Condivisa' /f >/dev/null || fail "reg add"
package testmod_control.dll
for key in 'Control' 'Implemented Categories\{40FC6ED4-2438-11CF-A3DB-080036F12502}'; do
  grep -qF "$key\" ForceCreateOnInstall=\"yes\"" "$work/capture.wxs" ||
    fail "no row for the empty key $key: $(cat "$work/capture.wxs")"
done
grep -q 'Condiviso' "$work/capture.wxs" && fail "the package carries the machine's setting"
grep -qF 'Esclusi, già presenti sulla macchina:' "$work/capture.txt" ||
  fail "the capture did not say what it left out: $(cat "$work/capture.txt")"
[ "$(wine reg query "$shared\\Condiviso" /v Cartella 2>&1 | tr -d '\r' | grep -c 'C:\\Condivisa')" -eq 1 ] ||
  fail "the machine's setting is gone after uninstalling"
echo "the control's empty keys come and go with its package, the machine's setting stays"
