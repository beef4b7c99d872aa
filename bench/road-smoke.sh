#!/usr/bin/env bash
# The whole road of a user, headless, on a generated demo library: analysis,
# listings, a deletion with backup copies, then the restore from its log. It
# fails when any step reports a failure or the restored takes differ from the
# files deleted.
set -euo pipefail
demo_tool="$1" bench="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Its settings and trashes lie in its folder, the one volume of the trash.
export QT_QPA_PLATFORM=offscreen XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
  VELMAR_TRASH_VOLUMES="$work"
projects="$("$demo_tool" "$work/demo")"
cp -a "$work/demo" "$work/before"
mkdir "$work/backup"
out="$("$bench" --dump "$work/dump" --listados --delete permanent --backup "$work/backup" "$projects" 2>/dev/null)"
echo "$out"
grep -qx 'listados=4' <<<"$out"
grep -qx 'deleted=3 skipped=0 failed=0 cancelled=0' <<<"$out"
# The deletion window lists the three files as deleted, and they are gone.
[ "$(grep -c -- ' --> Borrado$' "$work/dump/ParaBorrar.txt")" -eq 3 ]
while IFS= read -r line; do
  rel="${line%  --> Borrado}"
  rel="${rel#*Proyectos\\}"
  host="$projects/${rel//\\//}"
  [ ! -e "$host" ] || { echo "still there: $host"; exit 1; }
done <"$work/dump/ParaBorrar.txt"
out="$("$bench" --restore "$work/backup/Archivos_Borrados.log" 2>/dev/null)"
echo "$out"
grep -qx 'restored=3 not_replaced=0 failed=0' <<<"$out"
diff -r "$work/before" "$work/demo" --exclude=Listados
echo "road: ok"
