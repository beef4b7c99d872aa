#!/usr/bin/env bash
# Writes a folder of a million files for the associated-files window's gap
# figures: 10 groups x 10 projects x 10 tracks, each track folder holding
# 1,000 files, 250 takes of four files each: the audio ("Toma 1.wav",
# "Toma 1.mp3") and the two peak files of the WAV ("Toma 1.h2",
# "Toma 1.hdp"). The WAV filter lists half the files; WAV and MP3 list
# the same half (no MP3 peak files are written). Sizes vary from folder to
# folder (sparse files: the folder takes almost no room).
#   make-asociados-tree.sh FOLDER      (FOLDER must not exist)
# Then: analysis_bench --asociados FOLDER [--delete permanent]. A deletion
# is best run on a copy of hard links (cp -al FOLDER COPY): it removes the
# copy's names only and takes no new inodes (a tmpfs has few of them).
set -euo pipefail
root="$1"
[ ! -e "$root" ] || { echo "make-asociados-tree.sh: $root exists" >&2; exit 2; }
mkdir -p "$root"
n=0
for g in $(seq 1 10); do
  for p in $(seq 1 10); do
    for k in $(seq 1 10); do
      dir="$root/Grupo $g/Proyecto $p/Pista $k"
      mkdir -p "$dir"
      cd "$dir"
      n=$((n + 1))
      truncate -s $((1000 + n * 37 % 9000)) "Toma "{1..250}.h2
      truncate -s $((20000 + n * 911 % 70000)) "Toma "{1..250}.hdp
      truncate -s $((3000000 + n * 4099 % 900000)) "Toma "{1..250}.wav
      truncate -s $((400000 + n * 53 % 90000)) "Toma "{1..250}.mp3
    done
  done
done
echo "$root: $(find "$root" -type f | wc -l) files in $(find "$root" -type d | wc -l) folders"
