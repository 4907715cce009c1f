#!/usr/bin/env bash
# Checks that no layer includes a header of a layer it may not use. Headers are
# included by their path from the source root ("net/tsock.h"), which every
# layer can reach, so the compiler cannot tell; this script can.
#
# The layer graph is written once, in the build: a layer may include the
# layers named after DEPS in its quib_add_layer() call (<layer>/CMakeLists.txt,
# DEPS on one line), the executables in app/ the layers they link. The table
# in docs/ARCHITECTURE.md between the "layer-graph" markers is made from the
# same calls: the check fails when it is stale, and --write-docs rewrites it.
set -uo pipefail
cd "$(dirname "$0")/.."

docs=docs/ARCHITECTURE.md
begin='<!-- layer-graph: made by scripts/check-layers.sh --write-docs; do not edit -->'
end='<!-- /layer-graph -->'
# Folders with their own rules: the tests and benchmarks may include any layer.
exempt=" tests bench fuzz packaging cmake scripts docs "

declare -A may=() libs=()
order=()
failed=0

# The words after KEYWORD inside the quib_add_layer() call of a CMakeLists.txt.
call_words() {
    sed -n '/quib_add_layer(/,/)[[:space:]]*$/p' "$1" |
        sed -nE "s/^[[:space:]]*$2[[:space:]]+([^)]*)\)?[[:space:]]*$/\1/p"
}

for dir in */; do
    layer=${dir%/}
    [[ -f $layer/CMakeLists.txt ]] || continue
    [[ $exempt == *" $layer "* ]] && continue
    if [[ $layer == app ]]; then
        may[app]=$(grep -oE 'quib_[a-z_]+' app/CMakeLists.txt | grep -v quib_testsupport |
            sed 's/^quib_//' | sort -u | tr '\n' ' ')
        continue
    fi
    if ! grep -qE "quib_add_layer\($layer([[:space:]]|$)" "$layer/CMakeLists.txt"; then
        echo "FAIL: folder $layer/ has a CMakeLists.txt without quib_add_layer($layer ...)"
        failed=$((failed + 1))
        continue
    fi
    may[$layer]=$(call_words "$layer/CMakeLists.txt" DEPS)
    libs[$layer]=$(call_words "$layer/CMakeLists.txt" LIBS)
    order+=("$layer")
done

# The table of docs/ARCHITECTURE.md, in the order the top CMakeLists.txt adds
# the folders (a layer after those it builds on).
graph_table() {
    echo '| library | builds on (may include and link) | outside libraries |'
    echo '|---|---|---|'
    local layer deps
    for layer in $(sed -nE 's/^add_subdirectory\(([a-z_]+)\)/\1/p' CMakeLists.txt); do
        [[ -v may[$layer] ]] || continue
        deps=$(for d in ${may[$layer]}; do printf '`quib_%s` ' "$d"; done)
        deps=${deps% }
        if [[ $layer == app ]]; then
            echo "| executables (\`app/\`) | ${deps:-—} | — |"
        else
            echo "| \`quib_$layer\` | ${deps:-—} | ${libs[$layer]:-—} |"
        fi
    done
}

# The table as the docs hold it now.
docs_table() {
    awk -v b="$begin" -v e="$end" '$0 == e { on = 0 } on { print } $0 == b { on = 1 }' "$docs"
}

if [[ ${1:-} == --write-docs ]]; then
    if ! grep -qxF "$begin" "$docs" || ! grep -qxF "$end" "$docs"; then
        echo "FAIL: $docs has no layer-graph markers"
        exit 1
    fi
    table=$(graph_table)
    awk -v b="$begin" -v e="$end" -v t="$table" \
        '$0 == e { print t; on = 0 } !on { print } $0 == b { on = 1 }' "$docs" >"$docs.tmp" &&
        mv "$docs.tmp" "$docs"
    echo "layer graph written to $docs"
    exit 0
fi

if [[ "$(docs_table)" != "$(graph_table)" ]]; then
    echo "FAIL: the layer graph in $docs differs from the quib_add_layer calls;" \
        "run scripts/check-layers.sh --write-docs"
    failed=$((failed + 1))
fi

checked=0
for layer in "${!may[@]}"; do
    allowed=" $layer ${may[$layer]} "
    while IFS=: read -r file line target; do
        [[ -v may[$target] || $target == tests ]] || continue
        if [[ $allowed != *" $target "* ]]; then
            echo "FAIL: $file:$line: $layer/ may not include $target/"
            failed=$((failed + 1))
        fi
    done < <(grep -rnE --include='*.h' --include='*.cpp' \
        '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<][a-z_]+/' "$layer" |
        sed -E 's/^([^:]+):([0-9]+):.*include[[:space:]]*["<]([a-z_]+)\/.*/\1:\2:\3/')
    checked=$((checked + $(find "$layer" -name '*.h' -o -name '*.cpp' | wc -l)))
done
if ((failed)); then
    echo "layer check: $failed problem(s)"
    exit 1
fi
echo "layer check: $checked files, every include allowed"
