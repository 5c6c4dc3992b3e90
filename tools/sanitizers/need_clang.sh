#!/usr/bin/env bash
# Installs clang and its sanitizer and libFuzzer runtimes when missing
# (Debian packages; sudo when not run as root).
set -euo pipefail
packages=()
command -v clang++ >/dev/null || packages+=(clang)
ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 || packages+=(libclang-rt-dev)
[ ${#packages[@]} -eq 0 ] && exit 0
as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)
echo "Installing: ${packages[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${packages[@]}"
