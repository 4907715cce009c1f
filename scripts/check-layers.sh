#!/usr/bin/env bash
# Checks that no layer includes a header of a layer it may not use. Headers are
# included by their path from the source root ("net/tsock.h"), which every
# layer can reach, so this table, not the compiler, is the rule. A new layer
# folder gets a row here and a quib_add_layer() call in its CMakeLists.txt.
set -uo pipefail
cd "$(dirname "$0")/.."

# layer      the layers it may include, besides its own
declare -A may=(
    [net]=""
    [portmap]=""
    [game]=""
    [host]="net"
    [bots]="net game"
    [web]="net game"
    [shell]="net"
    [resources]=""
    [windows]="net shell resources web"
    [download]="resources"
    [client]="net host shell windows download resources game bots web portmap"
    [app]="client host shell net bots web portmap"
)
# Folders with their own rules: the tests and benchmarks may include any layer.
exempt=" tests bench fuzz packaging cmake scripts docs "

failed=0
checked=0
for dir in */; do
    layer=${dir%/}
    [[ -f $layer/CMakeLists.txt ]] || continue
    [[ $exempt == *" $layer "* ]] && continue
    if [[ ! -v may[$layer] ]]; then
        echo "FAIL: folder $layer/ has no row in the layer table of $0"
        failed=$((failed + 1))
        continue
    fi
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
