#!/usr/bin/env bash
# Runs the statements of sql_bench.cpp in sqlite3 on the same data, for the ratios the
# benchmark note reports: the channel list (LEFT JOIN of 32 767 channels and 10 000
# assignments, all rows read), the full save (65 534 lookups and updates in one transaction)
# and the duplicate query. SQLite gets the primary key of CHANNELS and an index on FAVOURITE's
# channel identity, the counterparts of the hash lookups Velmora keeps.
#
# usage: bench/sqlite_compare.sh [WORKDIR]   (prints seconds per statement group)
set -euo pipefail
work="${1:-$(mktemp -d)}"
mkdir -p "$work"
db="$work/bench.sqlite"
rm -f "$db"

python3 - "$work" <<'PY'
import sys, os
work = sys.argv[1]
channels, assignments = 32767, 10000
out = open(os.path.join(work, "load.sql"), "w")
out.write("""PRAGMA journal_mode=DELETE;
CREATE TABLE CHANNELS (CHANNELNUM INTEGER, NAME TEXT COLLATE NOCASE, SOURCEID TEXT COLLATE NOCASE,
  PROVIDERID TEXT, SID INTEGER, NID INTEGER, FREQUENCY INTEGER, VIDEOID INTEGER, ECM INTEGER,
  AUDIOID INTEGER, PRIMARY KEY (SOURCEID, SID, NID, FREQUENCY));
CREATE TABLE FAVOURITE (FAVNAME TEXT COLLATE NOCASE, NUM INTEGER, SOURCEID TEXT COLLATE NOCASE,
  SID INTEGER, NID INTEGER);
CREATE INDEX FavChannel ON FAVOURITE (SOURCEID, SID, NID);
CREATE TABLE FAVNAME (FAVNAME TEXT COLLATE NOCASE, FAVNUM INTEGER);
BEGIN;
""")
for i in range(10):
    out.write(f"INSERT INTO FAVNAME VALUES ('Group {i}', {i + 1});\n")
sid = 1
rows = []
for i in range(channels):
    second = i % 16 == 15
    csid = sid - 1 if second else sid
    if not second:
        sid += 1
    freq = 10700 + (csid % 500) * 4 + (2 if second else 0)
    src = "S19E" if csid % 2 else "S13E"
    video = 0 if i % 5 == 0 else 100 + i
    ecm = 0 if i % 3 == 0 else 1
    out.write(f"INSERT INTO CHANNELS VALUES ({i + 1}, 'Channel {i + 1}', '{src}', 'Provider', "
              f"{csid}, {1 + csid % 7}, {freq}, {video}, {ecm}, 0);\n")
for i in range(assignments):
    csid = 1 + (i * 3) % (sid - 1)
    src = "S19E" if csid % 2 else "S13E"
    out.write(f"INSERT INTO FAVOURITE VALUES ('Group {i % 10}', {i // 10 + 1}, '{src}', {csid}, "
              f"{1 + csid % 7});\n")
out.write("COMMIT;\n")
out.close()
PY
sqlite3 "$db" < "$work/load.sql" > /dev/null

list="SELECT CHANNELS.CHANNELNUM AS Num, CHANNELS.SOURCEID AS Source, CHANNELS.PROVIDERID AS Provider, CHANNELS.NAME, FAVOURITE.FAVNAME AS FAVORITE, FAVOURITE.NUM AS FNum,CHANNELS.VIDEOID, CHANNELS.ECM, CHANNELS.SID, CHANNELS.NID, CHANNELS.FREQUENCY FROM CHANNELS LEFT JOIN FAVOURITE ON (CHANNELS.SID = FAVOURITE.SID) AND (CHANNELS.NID = FAVOURITE.NID) AND (CHANNELS.SOURCEID = FAVOURITE.SOURCEID)"
dups="SELECT CHANNELS.SOURCEID, CHANNELS.SID, CHANNELS.NID, Count(CHANNELS.FREQUENCY) AS NUMB From CHANNELS GROUP BY CHANNELS.SOURCEID, CHANNELS.SID, CHANNELS.NID HAVING (((Count(CHANNELS.FREQUENCY))>1));"

# The save: for every channel-list row, the FAVOURITE lookup-and-update and the CHANNELS
# update by the row's identity, in one transaction.
sqlite3 -separator $'\t' "$db" "$list" > "$work/grid.tsv"
python3 - "$work" <<'PY'
import sys, os
work = sys.argv[1]
out = open(os.path.join(work, "save.sql"), "w")
out.write("BEGIN;\n")
for line in open(os.path.join(work, "grid.tsv")):
    num, src, prov, name, fav, fnum, video, ecm, sid, nid, freq = line.rstrip("\n").split("\t")
    fav = fav or "ZZZZ"
    out.write(f"SELECT FAVNAME, SOURCEID, SID, NID, NUM FROM FAVOURITE WHERE SOURCEID = '{src}' "
              f"AND FAVNAME = '{fav}' AND SID = {sid} AND NID = {nid};\n")
    if fav != "ZZZZ":
        out.write(f"UPDATE FAVOURITE SET FAVNAME = '{fav}', NUM = {fnum} WHERE SOURCEID = '{src}' "
                  f"AND FAVNAME = '{fav}' AND SID = {sid} AND NID = {nid};\n")
    out.write(f"UPDATE CHANNELS SET CHANNELNUM = {num}, NAME = '{name}' WHERE SOURCEID = '{src}' "
              f"AND SID = {sid} AND NID = {nid} AND FREQUENCY = {freq};\n")
out.write("COMMIT;\n")
PY

seconds() {
    local start end
    start=$(date +%s.%N)
    "$@" > /dev/null
    end=$(date +%s.%N)
    python3 -c "print(f'{$end - $start:.4f}')"
}
# Each figure is the best of five runs; the sqlite3 process start (an empty statement) is
# measured and subtracted.
best() {
    local b=999
    for _ in 1 2 3 4 5; do
        t=$(seconds "$@")
        b=$(python3 -c "print(min($b, $t))")
    done
    echo "$b"
}
base=$(best sqlite3 "$db" "SELECT 1")
echo "sqlite3 startup: $base s"
echo "ChannelList: $(python3 -c "print(f'{$(best sqlite3 "$db" "$list") - $base:.4f}')") s"
cp "$db" "$work/save.sqlite"
echo "FullSave: $(python3 -c "print(f'{$(best sh -c "sqlite3 '$work/save.sqlite' < '$work/save.sql'") - $base:.4f}')") s"
echo "Duplicates: $(python3 -c "print(f'{$(best sqlite3 "$db" "$dups") - $base:.4f}')") s"
