#!/usr/bin/env bash
# Corvalinde's own installer, built by wixl from installer/corvalinde.wxs and run by Wine's
# msiexec as an administrator runs it: an older package, then this one over it, then the
# removal with the tray running. Runs in the Wine prefix of the test run.
#   $1 the build's program folder, $2 the project's top folder, $3 the i686 program (may be
#   missing: a copy of the 64-bit one stands in for it, which is all installing needs)
set -uo pipefail
bin=$1 top=$2 twin=${3:-}
work=$(mktemp -d)
tray_pid=""
cleanup() {
  [ -n "$tray_pid" ] && kill "$tray_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAILED: $*"; exit 1; }
windows() { winepath -w "$1" 2>/dev/null; }
unix() { winepath -u "$1" 2>/dev/null; }
# Waits up to 20 s for a command to succeed.
wait_for() {
  for _ in $(seq 200); do "$@" && return 0; sleep 0.1; done
  return 1
}

folder=$(unix 'C:\Program Files\Corvalinde')
program='C:\Program Files\Corvalinde\Corvalinde.exe'
# A per-machine package's Start-menu folder (ProgramMenuFolder with ALLUSERS=1) is the common one
# on Windows; Wine's msiexec resolves it to the user's.
shortcut="$(unix "$(wine cmd /c echo %APPDATA% | tr -d '\r')")/Microsoft/Windows/Start Menu/Programs/Corvalinde.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
settings="$(unix "$(wine cmd /c echo %APPDATA% | tr -d '\r')")/Corvalinde"
backups="$(unix "$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')")/Corvalinde/Backup"

# The packages: this version, and a lower one from the same source.
cp "$bin/Corvalinde.exe" "$top/res/corvalinde.ico" "$top/installer/corvalinde.wxs" "$work/"
if [ -f "$twin" ]; then cp "$twin" "$work/Corvalinde32.exe"; else cp "$bin/Corvalinde.exe" "$work/Corvalinde32.exe"; fi
version=$(cat "$bin/../product-version.txt")
(cd "$work" && wixl -a x64 -D Version="$version" -o new.msi corvalinde.wxs 2>wixl.txt &&
  wixl -a x64 -D Version=0.0.1 -o old.msi corvalinde.wxs 2>>wixl.txt) ||
  fail "wixl: $(cat "$work/wixl.txt")"
[ ! -s "$work/wixl.txt" ] || fail "wixl warned: $(cat "$work/wixl.txt")"

# The uninstall entries named Corvalinde, one "key|DisplayVersion" line each.
entries() {
  wine reg query "$uninstall_key" 2>/dev/null | tr -d '\r' | grep -i '^HKEY.*Uninstall\\' |
    while read -r key; do
      wine reg query "$key" /v DisplayName 2>/dev/null | tr -d '\r' |
        grep -q 'REG_SZ\s*Corvalinde$' || continue
      echo "$key|$(wine reg query "$key" /v DisplayVersion 2>/dev/null | tr -d '\r' |
        sed -n 's/.*REG_SZ\s*//p')"
    done
}
value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/.*$2\s*REG_\w*\s*//p"; }
verb() { wine reg query 'HKCR\dllfile\shell\Registra\command' >/dev/null 2>&1; }
tray_ended() { ! kill -0 "$tray_pid" 2>/dev/null; }

wine msiexec /x "$(windows "$work/new.msi")" /qn >/dev/null 2>&1  # left by a run stopped half-way
# What the user has: settings of their own, a clean-up's backup; and .dll tied to its class, as
# on Windows.
mkdir -p "$settings" "$backups"
{ printf '\xff\xff'; head -c 126 /dev/zero; head -c 128 /dev/zero; printf '\x01\x00'; head -c 126 /dev/zero
  printf '%-50s' DLL; head -c 78 /dev/zero; } >"$settings/opz.dat"
echo 'Windows Registry Editor Version 5.00' >"$backups/pulizia.reg"
user_settings=$(md5sum <"$settings/opz.dat")
wine reg add 'HKCR\.dll' /ve /d dllfile /f >/dev/null

# The older package, then this one over it: one entry, of this version.
wine msiexec /i "$(windows "$work/old.msi")" /qn || fail "msiexec /i (older) ended with $?"
[ "$(entries | wc -l)" -eq 1 ] || fail "after installing: $(entries)"
wine msiexec /i "$(windows "$work/new.msi")" /qn || fail "msiexec /i (upgrade) ended with $?"
[ "$(entries | wc -l)" -eq 1 ] || fail "one uninstall entry expected after the upgrade: $(entries)"
entry=$(entries)
[ "${entry#*|}" = "$version" ] || fail "the entry's version: $entry"
key=${entry%|*}
[ "$(value "$key" Publisher)" = "Corvalinde" ] || fail "publisher: $(wine reg query "$key")"
[ "$(value "$key" NoModify)" = "0x1" ] || fail "the entry offers to modify: $(wine reg query "$key")"
# The entry's icon: Windows names the copy msiexec keeps, which Wine keeps without naming it.
product=${key##*\\}
[ -f "$(unix 'C:\windows\Installer')/$product/corvalinde.ico" ] || fail "no icon kept for the entry"
for file in Corvalinde.exe Corvalinde32.exe; do
  cmp -s "$folder/$file" "$work/$file" || fail "$file is not the package's"
done
[ -f "$shortcut" ] || fail "no Start-menu shortcut"
[ "$(md5sum <"$settings/opz.dat")" = "$user_settings" ] || fail "the upgrade changed the settings"
echo "installed: the files, the shortcut, one uninstall entry of version $version"

# Started from there, the program puts its verbs in place; the user adds the start-up entry.
wine "$program" >/dev/null 2>&1 &
tray_pid=$!
wait_for verb || fail "the installed program wrote no verb"
wine reg query 'HKCR\dllfile\shell\Registra\command' /ve | grep -qiF "\"$program\"" ||
  fail "the verb is not the installed program's: $(wine reg query 'HKCR\dllfile\shell\Registra\command')"
wine reg add "$run_key" /v Corvalinde /d "\"$program\"" /f >/dev/null

# Removed with the tray running: it ends, and nothing of the program is left but what is the user's.
wine msiexec /x "$(windows "$work/new.msi")" /qn || fail "msiexec /x ended with $?"
wait_for tray_ended || fail "the tray still runs after the removal"
tray_pid=""
! verb || fail "the verb is left: $(wine reg query 'HKCR\dllfile\shell' /s)"
[ -z "$(value "$run_key" Corvalinde)" ] || fail "the start-up entry is left"
[ -z "$(entries)" ] || fail "the uninstall entry is left: $(entries)"
[ ! -e "$folder" ] || fail "left in Program Files: $(ls -A "$folder")"
[ ! -e "$shortcut" ] || fail "the shortcut is left"
[ "$(md5sum <"$settings/opz.dat")" = "$user_settings" ] || fail "the user's settings changed"
[ -f "$backups/pulizia.reg" ] || fail "the clean-up's backup is gone"
echo "removed with the tray running: nothing left but the user's settings and backups"
