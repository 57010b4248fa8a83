#!/usr/bin/env bash
# Refuses an include that runs against the direction of the core's layers, and any Qt include in
# the core. Each core folder may include only itself and the folders listed after it.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
    [common]=""
    [settings]="common"
    [store]="settings common"
    [messages]="settings common"
    [filters]="store settings common"
    [transfer]="filters store settings common"
    [mime]="common"
    [net]="common"
    [outgoing]="mime store settings common"
    [mailing]="outgoing net filters transfer store settings messages common"
    [commands]="mailing outgoing net mime filters transfer store settings messages common"
)

status=0
for folder in "${!allowed[@]}"; do
    [ -d "$folder" ] || continue
    ok=" $folder ${allowed[$folder]} "
    while IFS= read -r hit; do
        file=${hit%%:*}
        rest=${hit#*:}
        line=${rest%%:*}
        target=$(sed -E 's/.*#include[[:space:]]*[<"]([^/">]+)\/.*/\1/' <<<"$rest")
        if [[ "$rest" =~ \#include[[:space:]]*\<Q ]]; then
            echo "$file:$line: the core never includes Qt: ${rest#*:}"
            status=1
        elif [[ "$rest" =~ \#include[[:space:]]*\"[^/\"]+/ ]] && [[ "$ok" != *" $target "* ]]; then
            echo "$file:$line: $folder/ may not include $target/ (allowed: ${allowed[$folder]:-nothing})"
            status=1
        fi
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include' "$folder"/*.h "$folder"/*.cpp 2>/dev/null || true)
done

[ $status -eq 0 ] && echo "check-layers: every include follows the layers"
exit $status
