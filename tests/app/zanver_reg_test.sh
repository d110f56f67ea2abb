#!/usr/bin/env bash
# Runs the zanver-reg program on store files: store selection, persistence,
# seeding of a new store, --reset-store and files that are not usable stores.
set -u
tool=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

unset ZANVER_STORE
export XDG_DATA_HOME=$dir/data

# The default store lives below XDG_DATA_HOME and keeps what was written.
"$tool" set 'HKEY_CLASSES_ROOT\.abc' '"abcfile"' || fail "set on the default store"
[[ -f $dir/data/zanver/registry.db ]] || fail "default store file not created"
out=$("$tool" query 'HKEY_CLASSES_ROOT\.abc')
[[ $out == 'HKEY_CLASSES_ROOT\.abc = "abcfile"' ]] || fail "query after reopen gave: $out"

# A new store starts with the bundled associations.
out=$("$tool" query 'HKEY_CLASSES_ROOT\.txt')
[[ $out == 'HKEY_CLASSES_ROOT\.txt = "txtfile"'$'\n'* ]] || fail "seeded .txt gave: $out"
out=$("$tool" query 'HKEY_CLASSES_ROOT\txtfile\shell\open\command')
[[ $out == *'NOTEPAD.EXE "%1"'* ]] || fail "seeded open command gave: $out"

# --reset-store asks first; only yes replaces the store.
echo n | "$tool" --reset-store 2>/dev/null && fail "--reset-store declined but succeeded"
[[ $("$tool" query 'HKEY_CLASSES_ROOT\.abc') == 'HKEY_CLASSES_ROOT\.abc = "abcfile"' ]] ||
    fail "declined --reset-store changed the store"
echo y | "$tool" --reset-store >/dev/null 2>&1 || fail "--reset-store with yes failed"
"$tool" query 'HKEY_CLASSES_ROOT\.abc' >/dev/null 2>&1 && fail "--reset-store kept .abc"
[[ $("$tool" query 'HKEY_CLASSES_ROOT\.txt') == *txtfile* ]] || fail "--reset-store did not seed"

# --store wins over ZANVER_STORE, which wins over the default.
ZANVER_STORE=$dir/env.db "$tool" set 'HKEY_CURRENT_USER\k' '"env"' || fail "set via ZANVER_STORE"
ZANVER_STORE=$dir/env.db "$tool" --store "$dir/opt.db" set 'HKEY_CURRENT_USER\k' '"opt"' ||
    fail "set via --store"
[[ $("$tool" --store "$dir/env.db" query 'HKEY_CURRENT_USER\k') == 'HKEY_CURRENT_USER\k = "env"' ]] ||
    fail "ZANVER_STORE store"
[[ $("$tool" --store="$dir/opt.db" query 'HKEY_CURRENT_USER\k') == 'HKEY_CURRENT_USER\k = "opt"' ]] ||
    fail "--store store"

# A file that is not a database is reported and left as it was.
printf 'not a database, just text\n%.0s' {1..100} > "$dir/text.db"
cp "$dir/text.db" "$dir/text.orig"
if err=$("$tool" --store "$dir/text.db" query 'HKEY_CLASSES_ROOT' 2>&1); then
    fail "a text file was accepted as a store"
fi
[[ $err == *text.db* ]] || fail "message does not name the file: $err"
cmp -s "$dir/text.db" "$dir/text.orig" || fail "the text file was changed"

# A store in a folder that cannot be created.
touch "$dir/plainfile"
if "$tool" --store "$dir/plainfile/sub/reg.db" query 'HKEY_CLASSES_ROOT' 2>/dev/null; then
    fail "a store below a plain file was accepted"
fi

# A store that cannot grow (a file-size limit): a delete that needs room
# fails with a message, exits non-zero and leaves the key whole.
{
    echo REGEDIT4
    for i in $(seq 2000); do printf '[HKEY_CLASSES_ROOT\\big\\k%d]\n@="value %d"\n' "$i" "$i"; done
} > "$dir/big.reg"
"$tool" --store "$dir/big.db" import "$dir/big.reg" >/dev/null || fail "import of big.reg"
before=$("$tool" --store "$dir/big.db" query 'HKEY_CLASSES_ROOT\big' --recursive)
if (ulimit -f 64 && "$tool" --store "$dir/big.db" delete 'HKEY_CLASSES_ROOT\big') 2>"$dir/err"; then
    fail "a delete beyond the file-size limit reported success"
fi
[[ $(<"$dir/err") == 'Failed to delete HKEY_CLASSES_ROOT\big. '* ]] ||
    fail "delete beyond the file-size limit said: $(<"$dir/err")"
[[ $("$tool" --store "$dir/big.db" query 'HKEY_CLASSES_ROOT\big' --recursive) == "$before" ]] ||
    fail "a failed delete changed the key"

if [[ $failures -eq 0 ]]; then echo "zanver-reg program: all checks passed"; fi
exit $((failures > 0))
