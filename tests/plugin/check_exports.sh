#!/bin/sh
# Fails unless VSTPluginMain is the only symbol the module exports.
set -eu
module=$1
symbols=$(nm -D --defined-only "$module" | awk '{print $NF}' | sort -u)
echo "exported: $symbols"
[ "$symbols" = "VSTPluginMain" ]
