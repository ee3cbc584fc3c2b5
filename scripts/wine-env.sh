# Sourced by the scripts that run our Windows programs under wine: a wine
# prefix of our own inside build-win64/, no debug chatter, and a Japanese
# user (ANSI code page 932), as on the machines the tool is for.
# Usage: source scripts/wine-env.sh <build-win64 folder>
velmora_wine_dir="$1"
export WINEPREFIX="$velmora_wine_dir/wineprefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts
# Wine takes the code page from the C library's locale; build that locale in
# the folder when the system has none (no root needed).
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  if [[ ! -d "$velmora_wine_dir/locale/ja_JP.UTF-8" ]]; then
    mkdir -p "$velmora_wine_dir/locale"
    localedef -i ja_JP -f UTF-8 "$velmora_wine_dir/locale/ja_JP.UTF-8" >/dev/null 2>&1 || true
  fi
  export LOCPATH="$velmora_wine_dir/locale"
fi
# (This shell may lack the locale itself; only its children need it.)
{ export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8; } 2>/dev/null
if [[ ! -d "$WINEPREFIX/drive_c" ]]; then
  echo "== Wine prefix in $WINEPREFIX"
  wineboot --init >/dev/null 2>&1 || true
  wineserver --wait || true
fi
