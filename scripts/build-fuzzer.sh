#!/usr/bin/env bash
# Builds the libFuzzer target for the RTF reader with clang (AddressSanitizer and UBSan on).
# Not part of the normal build. Usage:
#   scripts/build-fuzzer.sh                      # builds build-fuzz/rtf_fuzzer
#   mkdir -p build-fuzz/corpus
#   build-fuzz/rtf_fuzzer -max_total_time=600 -dict=fuzz/rtf.dict build-fuzz/corpus fuzz/corpus/rtf
# Needs Debian's clang (apt-get install clang).
set -euo pipefail
cd "$(dirname "$0")/.."
out=build-fuzz
mkdir -p "$out"
clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined \
    -fno-sanitize-recover=undefined -DQT_NO_KEYWORDS \
    -Isrc $(pkg-config --cflags Qt6Core) \
    fuzz/rtf_fuzzer.cpp src/clipboard/RtfReader.cpp \
    $(pkg-config --libs Qt6Core) -o "$out/rtf_fuzzer"
echo "built $out/rtf_fuzzer"
