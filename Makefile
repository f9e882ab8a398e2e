# Front door for users and CI. Every target installs what it needs first (scripts/install-deps.sh).
#   make run    build, scan the home folder, draw every widget into out/, then open the desk
#               when a display is there ($WAYLAND_DISPLAY or $DISPLAY)
#   make test   build and test: plain, then ASan + UBSan, then the concurrency tests under TSan
#   make bench  build and run the benchmarks (Release)
#   make fuzz   explore the snapshot decoder with libFuzzer for FUZZ_SECONDS (default 60)
#   make package  build brimlet_<version>_<arch>.deb here (apt install ./brimlet_*.deb)
#   make format   format every C++ file in place (clang-format, .clang-format)
#   make lint     the format check, then clang-tidy (.clang-tidy) over our sources
# Building and running need fewer packages than testing: a user who is not root but has the run
# packages can `make run`.
.PHONY: all deps deps-package deps-test programs build run test test-default test-asan test-tsan \
	package bench fuzz clean format format-check lint

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

test: format-check test-default test-asan test-tsan

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

fuzz: deps-test
	@cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DBRIMLET_BUILD_TESTS=OFF >/dev/null
	@cmake --build build-fuzz -j $(JOBS) --target snapshot_fuzz
	@mkdir -p build-fuzz/corpus
	@./build-fuzz/fuzz/snapshot_fuzz -max_total_time=$(FUZZ_SECONDS) build-fuzz/corpus fuzz/corpus

clean:
	@rm -rf build build-asan build-tsan build-bench build-fuzz $(OUT) brimlet_*.deb
