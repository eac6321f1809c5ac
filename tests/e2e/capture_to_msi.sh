#!/usr/bin/env bash
# A capture written as WiX source, built into an MSI by wixl and installed by Wine's msiexec:
# the registry then holds what registering the installed module for real writes, and
# uninstalling takes it all away. Runs in the Wine prefix of the test run; $1 is the build's
# program folder.
set -uo pipefail
bin=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }
windows() { winepath -w "$1" 2>/dev/null; }

product='{6F1C7A52-3B1D-4C59-9E2A-5D0C1F7B8E97}'
wine msiexec /x "$product" /qn >/dev/null 2>&1  # what a run stopped half-way left installed
cp "$bin/testmod_good.dll" "$work/"
wine "$bin/Corvalinde.exe" /s /filename "$(windows "$work/testmod_good.dll")" /modal R \
  /capture "$(windows "$work/capture.wxs")" || fail "the capture ended with $?"
cat >"$work/product.wxs" <<'EOF'
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
      <ComponentRef Id="cmp_testmod_good.dll"/>
    </Feature>
  </Product>
</Wix>
EOF
(cd "$work" && wixl -a x64 -o test.msi product.wxs capture.wxs) || fail "wixl refused the fragment"

# Each captured key's own values, as reg.exe lists them.
keys=$(sed -n 's/.*Root="HKCR" Key="\([^"]*\)".*/\1/p' "$work/capture.wxs" | sort -u)
[ -n "$keys" ] || fail "no key in the fragment"
state() {
  while read -r key; do wine reg query "HKCR\\$key" 2>&1 | tr -d '\r'; done <<<"$keys"
}

# What the module writes when registered for real where the package installs it.
installed='C:\Program Files\CorvalindeTest\testmod_good.dll'
folder=$(winepath -u 'C:\Program Files\CorvalindeTest')
mkdir -p "$folder" && cp "$bin/testmod_good.dll" "$folder/"
# regsvr32's form: Wine quotes a path with blanks, which only that form reads as quotes.
wine "$bin/Corvalinde.exe" /s "$installed" >/dev/null || fail "registering"
expected=$(state)
wine "$bin/Corvalinde.exe" /s /u "$installed" >/dev/null || fail "unregistering"
rm -rf "$folder"

wine msiexec /i "$(windows "$work/test.msi")" /qn || fail "msiexec /i ended with $?"
[ -f "$folder/testmod_good.dll" ] || fail "the package installed no file"
installedState=$(state)
[ "$installedState" == "$expected" ] ||
  fail "installed: $(diff <(echo "$expected") <(echo "$installedState"))"
wine msiexec /x "$(windows "$work/test.msi")" /qn || fail "msiexec /x ended with $?"
left=$(state | grep -c '^HKEY_' || true)
[ "$left" -eq 0 ] || fail "$left keys left after uninstalling: $(state)"
echo "the package writes what the module's registration writes, and removes it"
