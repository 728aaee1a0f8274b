# Shared by the measuring scripts of bench/ (sourced, not run).
# The value of a number field of the batch runner's JSON summary's object KEY: field JSON KEY NAME.
field() { sed -E "s/.*\"$2\": ?\{[^}]*\"$3\": ?([0-9.e+-]+).*/\1/" <<<"$1"; }
# The median of the numbers on standard input, one a line.
median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
