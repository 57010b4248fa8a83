#!/bin/sh
# End-to-end import figures through tidecast-cli, each next to a reference tool run in the same
# session on the same file:
#   1. a delimited import of ROWS rows (9 fields, about 120 bytes a row, duplicate checking on)
#      into an empty group, against the sqlite3 shell's .import into a table without an index;
#      peak memory with /usr/bin/time -v;
#   2. harvesting about 100 MB of prose and mail text, against grep -oE with a plain address
#      pattern in the C locale;
#   3. the start of an import into the group that now holds ROWS recipients (loading the known
#      addresses): a one-row import timed as a whole.
# Usage: bench/import_bench.sh BUILD_DIR [ROWS]
set -eu
build=${1:?build folder}
rows=${2:-1000000}
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
cli="$build/cli/tidecast-cli --data-dir $data"

seconds() { /usr/bin/python3 -c 'import sys; print("%.3f" % (float(sys.argv[2]) - float(sys.argv[1])))' "$@"; }
now() { date +%s.%N; }
ratio() { /usr/bin/python3 -c 'import sys; print("%.2f" % (float(sys.argv[1]) / float(sys.argv[2])))' "$@"; }

/usr/bin/python3 - "$data/rows.csv" "$rows" <<'PY'
import sys
path, rows = sys.argv[1], int(sys.argv[2])
firsts = ["Ann", "Bob", "Carla", "Dmitri", "Eve", "Farid", "Greta", "Hugo"]
lasts = ["Lee", "Smith", "O'Neill", "Garcia", "Novak", "Tanaka", "Okafor", "Berg"]
cities = ["London", "Leeds", "Paris", "Lyon", "Berlin", "Madrid", "Oslo", "Porto"]
with open(path, "w", newline="") as out:
    for i in range(rows):
        f, l, c = firsts[i % 8], lasts[(i // 8) % 8], cities[(i // 64) % 8]
        out.write(f'"{l}, {f}",{f.lower()}.{l.lower().replace(chr(39), "")}{i}@mail{i % 97}.example.com,'
                  f'{i % 999 + 1} High Street,{c},County {i % 50},ZP{i % 10000:05d},United Kingdom,'
                  f'"Company {i % 5000}, Ltd",+44 20 7946 {i % 10000:04d}\r\n')
PY
size=$(stat -c %s "$data/rows.csv")
echo "delimited: $rows rows, $size bytes"

$cli groups add Bench >/dev/null
start=$(now)
/usr/bin/time -v $cli import Bench "$data/rows.csv" --delimiter comma --fields 9 \
    --map "Email Address=2,Full Name Macro=1,Address1=3,City=4,State / County=5,Zip / Post Code=6,Country=7,Company Name=8,Telephone=9" \
    --one-name-field > "$data/import.txt" 2> "$data/import-time.txt"
end=$(now)
ours=$(seconds "$start" "$end")
tr '\n' ' ' < "$data/import.txt"; echo
peak=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$data/import-time.txt")

sqlite3 "$data/ref.db" "CREATE TABLE t(a,b,c,d,e,f,g,h,i);"
start=$(now)
sqlite3 "$data/ref.db" ".import --csv $data/rows.csv t"
end=$(now)
theirs=$(seconds "$start" "$end")
echo "tidecast import: $ours s ($(/usr/bin/python3 -c "print(int($rows / $ours))") rows/s), peak memory $((peak / 1024)) MB"
echo "sqlite3 .import: $theirs s ($(/usr/bin/python3 -c "print(int($rows / $theirs))") rows/s)"
echo "import speed relative to sqlite3 .import: $(ratio "$theirs" "$ours")"

printf 'Nobody,new.person@example.org\r\n' > "$data/one.csv"
start=$(now)
$cli import Bench "$data/one.csv" --delimiter comma --fields 2 --map "Email Address=2" > /dev/null
end=$(now)
echo "import into a group of $rows: $(seconds "$start" "$end") s from start to finish"

/usr/bin/python3 - "$data/mail.txt" <<'PY'
import sys
words = ("the meeting notes are attached please see the agenda for next week and reply by friday "
         "with any changes to the budget figures that we discussed on the call").split()
with open(sys.argv[1], "w") as out:
    written, i = 0, 0
    while written < 100 * 1000 * 1000:
        if i % 3 == 0:
            block = (f"From: Person {i} <person.{i}@host{i % 89}.example.net>\n"
                     f"To: team-{i % 7}@lists.example.org, x@y\nSubject: re: item {i}\n\n")
        else:
            block = " ".join(words[(i + k) % len(words)] for k in range(40)) + f" mail me at a{i}@b.example.com.\n"
        out.write(block)
        written += len(block)
        i += 1
PY
size=$(stat -c %s "$data/mail.txt")
start=$(now)
$cli harvest "$data/mail.txt" > "$data/ours.txt"
end=$(now)
ours=$(seconds "$start" "$end")
start=$(now)
LC_ALL=C grep -oE '[A-Za-z0-9._-]+@[A-Za-z0-9.-]+' "$data/mail.txt" > "$data/grep.txt"
end=$(now)
theirs=$(seconds "$start" "$end")
mb=$(/usr/bin/python3 -c "print($size / 1e6)")
echo "harvest: $mb MB, $(wc -l < "$data/ours.txt") addresses in $ours s ($(/usr/bin/python3 -c "print(round($mb / $ours))") MB/s)"
echo "grep -oE: $(wc -l < "$data/grep.txt") matches in $theirs s ($(/usr/bin/python3 -c "print(round($mb / $theirs))") MB/s)"
echo "harvest speed relative to grep: $(ratio "$theirs" "$ours")"
