# Entry points: `make run` and `make test` install what is missing, build and go.
#   PRESET=release|debug|ci|clang|sanitize picks the build (and its folder: build/ or build-PRESET/).
PRESET ?= release
BUILD_DIR := $(if $(filter release,$(PRESET)),build,build-$(PRESET))
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc)
# WERROR=ON turns warnings into errors in any preset (the ci preset always does).
CMAKE_ARGS := $(if $(WERROR),-DDESSISCOPE_WARNINGS_AS_ERRORS=$(WERROR))

.PHONY: all deps deps-run deps-windows configure configure-run build run test test-clang test-sanitize bench fuzz \
	package windows package-windows test-windows format format-check clean

all: build

deps:
	@bash scripts/install-deps.sh test

deps-run:
	@bash scripts/install-deps.sh run

# The program alone, with only what running it needs.
configure-run: deps-run
	@cmake --preset $(PRESET) $(CMAKE_ARGS) -DDESSISCOPE_BUILD_TESTS=OFF -DDESSISCOPE_BUILD_BENCH=OFF >/dev/null

run: configure-run
	@cmake --build --preset $(PRESET) -j $(JOBS) --target dessiscope
	@$(BUILD_DIR)/bin/dessiscope

# Everything: the program, the tool, the tests, benchmarks and fuzz replays.
configure: deps
	@cmake --preset $(PRESET) $(CMAKE_ARGS) -DDESSISCOPE_BUILD_TESTS=ON -DDESSISCOPE_BUILD_BENCH=ON >/dev/null

build: configure
	@cmake --build --preset $(PRESET) -j $(JOBS)

test: build
	@ctest --preset $(PRESET) -j $(JOBS)

test-clang:
	@$(MAKE) --no-print-directory test PRESET=clang

test-sanitize:
	@$(MAKE) --no-print-directory test PRESET=sanitize

# Windows: dessiscope.exe and dessiscope-thumbnail.exe cross-built with mingw-w64 into build-windows/,
# and every Windows suite run under Wine.
deps-windows: deps
	@bash scripts/install-deps.sh windows
	@bash scripts/build-qt-windows.sh

windows: deps-windows
	@cmake --preset windows $(CMAKE_ARGS) >/dev/null
	@cmake --build --preset windows -j $(JOBS)

# The Windows installer and portable archive: build-windows/Dessiscope-<version>-win64-setup.exe and
# -portable.zip.
package-windows: windows
	@cd build-windows && cpack

test-windows: package-windows
	@xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset windows
	@bash tests/e2e/tray_e2e_windows.sh build-windows
	@bash tests/windows/installer_test.sh build-windows

package: build
	@cd $(BUILD_DIR) && cpack -G DEB

bench: build
	@$(BUILD_DIR)/bin/dessiscope_bench --benchmark_counters_tabular=true
	@$(BUILD_DIR)/bin/dessiscope_bench_window --benchmark_counters_tabular=true
	@bash bench/startup.sh $(BUILD_DIR) 10
	@python3 bench/peers.py $(BUILD_DIR) 21
	@python3 bench/geometry.py $(BUILD_DIR) 11

fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS) --target fuzz_dwgpreview fuzz_slide fuzz_slidelibrary fuzz_bibcliche fuzz_lz77 fuzz_dwgpaged fuzz_drawingrender fuzz_png fuzz_dwgold fuzz_dwgr13 fuzz_lz77ac21 fuzz_dwg2007 \
		fuzz_make_seeds
	@bash fuzz/run.sh build-fuzz $(FUZZ_SECONDS)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	@git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	@rm -rf build build-*
