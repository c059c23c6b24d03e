# Shared by fuzz/smoke and fuzz/run-long (sourced, not run): where things are, and the clang
# build of the fuzz targets.

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KELVARO_FUZZ_BUILD:-$repo/build-fuzz}
targets=(text_ops text_between cookies url_escaping charset_stream ico_reader)

# Configures the fuzz build folder (once) and builds the fuzz targets and the libraries they need.
# Runs started side by side take turns here, so that they never build into the folder at once.
build_fuzzers() {
  mkdir -p "$build"
  (
    flock 9
    if ! grep -qs '^KELVARO_FUZZ:BOOL=ON' "$build/CMakeCache.txt"; then
      CC=clang-14 CXX=clang++-14 cmake -S "$repo" -B "$build" -G Ninja -DKELVARO_FUZZ=ON \
        -DKELVARO_BUILD_TESTS=OFF -DKELVARO_BUILD_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        >"$build/configure.log" 2>&1 || { cat "$build/configure.log"; exit 1; }
    fi
    cmake --build "$build" --target kelvaro_fuzzers
  ) 9>"$build/.fuzz-build.lock"
}

# The libFuzzer options every run shares: the target's dictionary, memory and per-input limits.
fuzzer_options() {
  local target=$1
  local options=(-rss_limit_mb=2048 -timeout=30 -print_final_stats=1)
  if [ -f "$repo/fuzz/dict/$target.dict" ]; then
    options+=("-dict=$repo/fuzz/dict/$target.dict")
  fi
  printf '%s\n' "${options[@]}"
}
