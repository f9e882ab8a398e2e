# Front door for users and CI. Every target installs what it needs first (scripts/install-deps.sh).
#   make run    build, scan the home folder, draw every widget into out/, then open the desk
#               when a display is there ($WAYLAND_DISPLAY or $DISPLAY)
#   make test   build and test: plain, then ASan + UBSan, then the concurrency tests under TSan,
#               then every fuzzer over its seeds and every other target below as far as it can go
#   make bench  build and run the benchmarks (Release)
#   make fuzz   explore every reader of outside input with libFuzzer, FUZZ_SECONDS each (default 60)
#   make package  build brimlet_<version>_<arch>.deb here (apt install ./brimlet_*.deb)
#   make format   format every C++ file in place (clang-format, .clang-format)
#   make lint     the format check, then clang-tidy (.clang-tidy) over our sources
# Building and running need fewer packages than testing: a user who is not root but has the run
# packages can `make run`.
.PHONY: all deps deps-package deps-test programs build run test test-default test-asan test-tsan \
	test-fuzz test-targets package bench fuzz fuzz-build clean format format-check lint

JOBS        ?= 2
FUZZ_SECONDS ?= 60
OUT         ?= out

all: build

deps:
	@bash scripts/install-deps.sh run

deps-package:
	@bash scripts/install-deps.sh package

deps-test:
	@bash scripts/install-deps.sh test

PROGRAMS := brimlet brimlet-widgets brimlet-desk

# Only the programs: what `make run` needs, without the test tools.
programs: deps
	@cmake --preset default >/dev/null
	@cmake --build --preset default -j $(JOBS) --target $(PROGRAMS)

build: deps-test
	@cmake --preset default >/dev/null
	@cmake --build --preset default -j $(JOBS)

# The scan fills the breakdown widget with your own folders; if it fails, the widgets are drawn all
# the same (the breakdown widget then asks for a scan). With a display, the desk opens afterwards;
# the first time (no widget placed yet) it gets each widget in each of its families.
DESK_WIDGETS := fullness:small fullness:medium breakdown:medium breakdown:large

run: programs
	@./build/brimlet scan || echo "make run: the scan did not complete; drawing the widgets anyway" >&2
	@./build/brimlet-widgets gallery -o $(OUT)
	@if [ -n "$$WAYLAND_DISPLAY$$DISPLAY" ]; then \
	  if [ "$$(./build/brimlet-widgets placed --json 2>/dev/null)" = "[]" ]; then \
	    for w in $(DESK_WIDGETS); do \
	      ./build/brimlet-widgets place $${w%%:*} --family $${w##*:} >/dev/null || exit 1; \
	    done; \
	  fi; \
	  echo "make run: opening the desk (build/brimlet-desk); close its window to finish"; \
	  ./build/brimlet-desk; \
	fi

test: format-check test-default test-asan test-tsan test-fuzz test-targets

# Our C++ sources: every tracked .cpp and .h.
SOURCES = $(shell git ls-files '*.cpp' '*.h' 2>/dev/null)

format: deps-test
	@clang-format -i $(SOURCES)

# Seconds, so `make test` starts with it: unformatted code fails before anything is built.
format-check: deps-test
	@clang-format --dry-run -Werror $(SOURCES) || \
	  { echo "make: run 'make format' to format the files above" >&2; exit 1; }

# The build's flags include GCC-only warnings, which clang-tidy would report as unknown options.
lint: format-check build
	@run-clang-tidy -quiet -p build -extra-arg=-Wno-unknown-warning-option $(filter platform/% extension/% app/%,$(filter %.cpp,$(SOURCES)))

test-default: build
	@ctest --preset default

test-asan: deps-test
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)
	@ctest --preset asan

test-tsan: deps-test
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan -j $(JOBS)
	@ctest --preset tsan

# CPack stages the install in build/package; only a finished package is moved here, by one rename,
# replacing any older one.
package: deps-package
	@cmake --preset default >/dev/null
	@cmake --build --preset default -j $(JOBS) --target installed-files
	@rm -rf build/package
	@cpack --config build/CPackConfig.cmake -B build/package
	@set -e; deb=$$(cd build/package && ls brimlet_*.deb); \
	  for old in brimlet_*.deb; do [ "$$old" = "$$deb" ] || rm -f "$$old"; done; \
	  mv "build/package/$$deb" .; echo "make package: $$deb (apt install ./$$deb)"

bench: deps-test
	@cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRIMLET_BUILD_TESTS=OFF >/dev/null
	@cmake --build build-bench -j $(JOBS)
	@bash bench/run.sh build-bench

# The fuzzers (fuzz/CMakeLists.txt), built by clang in build-fuzz/ with the libraries they link
# and nothing else.
fuzz-build: deps-test
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS) --target fuzzers

fuzz: fuzz-build
	@bash fuzz/run.sh build-fuzz $(FUZZ_SECONDS)

# Every fuzzer run once over each seed of its corpus: one that no longer builds, or a seed that
# crashes, fails the tests.
test-fuzz: deps-test
	@if command -v clang++ >/dev/null 2>&1; then \
	  $(MAKE) --no-print-directory fuzz-build && bash fuzz/run.sh build-fuzz replay; \
	else echo "make test: clang++ is not installed: the fuzzers are not built" >&2; fi

# Every documented target, as far as a test can take it. `run` runs in full without a display,
# in a scratch home (the scan, then the gallery). `test-fuzz` builds and replays what `fuzz` runs;
# the packaging check of test-default builds and checks the .deb that `package` makes;
# format-check runs `format`'s tool over the same files; test-default compiles every benchmark
# (the default tree builds them when Google Benchmark is installed, as the test packages do).
# Not run: `bench` (minutes of measuring) and `lint` (clang-tidy takes about 8 s of CPU a source
# file, some 6 minutes for all of them on 2 cores); their runner and configuration are checked,
# and `make -n` checks that every target's recipe and prerequisites exist.
test-targets: build
	@$(MAKE) --no-print-directory -n run bench fuzz package format lint >/dev/null
	@bash -n bench/run.sh && bash -n fuzz/run.sh
	@command -v run-clang-tidy >/dev/null && clang-tidy --dump-config >/dev/null
	@set -e; scratch=$$(mktemp -d); trap 'rm -rf "$$scratch"' EXIT; \
	  env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_DATA_HOME -u XDG_STATE_HOME HOME="$$scratch" \
	    $(MAKE) --no-print-directory run OUT="$$scratch/out" >"$$scratch/log" 2>&1 || \
	    { cat "$$scratch/log" >&2; echo "make test: make run failed" >&2; exit 1; }; \
	  test -s "$$scratch/out/index.html" || { echo "make test: make run drew no gallery" >&2; exit 1; }; \
	  echo "make test: make run scanned and drew the gallery; bench and lint were checked, not run"

clean:
	@rm -rf build build-asan build-tsan build-bench build-fuzz $(OUT) brimlet_*.deb
