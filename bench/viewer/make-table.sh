#!/usr/bin/env bash
# Writes a CSV table of ROWS rows (default a million) to FILE for the viewer's load check: an
# integer key, two text columns, a double, an ISO date and a bool, as a real export has them.
# Usage: bench/viewer/make-table.sh FILE [ROWS]
set -euo pipefail
file=$1
rows=${2:-1000000}
awk -v rows="$rows" 'BEGIN {
    srand(7)
    split("Amsterdam Berlin Cairo Delhi Essen Lima Lisbon Lyon Oslo Perth", cities, " ")
    split("alpha beta gamma delta epsilon zeta eta theta iota kappa", words, " ")
    print "id,name,city,amount,day,open"
    for (row = 1; row <= rows; ++row) {
        printf "%d,%s %s %d,%s,%.2f,%04d-%02d-%02d,%s\n", row, words[int(rand() * 10) + 1],
               words[int(rand() * 10) + 1], int(rand() * 1000), cities[int(rand() * 10) + 1],
               rand() * 100000 - 50000, 2000 + int(rand() * 25), int(rand() * 12) + 1,
               int(rand() * 28) + 1, rand() < 0.5 ? "true" : "false"
    }
}' > "$file"
