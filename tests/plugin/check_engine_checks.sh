#!/bin/sh
# Whether a built module holds the convolution engine's precondition checks,
# read from their condition texts.
#   check_engine_checks.sh MODULE yes|no
set -eu
module=$1
want=$2
for text in "_size == other._size" "_data && index < _size" "details::IsPowerOf2(size)" \
            "dest.size() >= srcSize" "_tailInputFill + processing <= _tailBlockSize"; do
  if grep -aqF -- "$text" "$module"; then has=yes; else has=no; fi
  if [ "$has" != "$want" ]; then
    echo "$module: holds \"$text\": $has (want $want)" >&2
    exit 1
  fi
done
echo "$module: engine checks: $want"
