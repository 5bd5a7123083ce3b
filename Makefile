# Entry points: `make run` and `make test` install what is missing, build and go.
PRESET ?= release
BUILD_DIR := build
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test test-sanitize bench fuzz package format format-check clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build --preset $(PRESET) -j $(JOBS)

run: build
	@$(BUILD_DIR)/bin/dessiscope

test: build
	@ctest --preset $(PRESET) -j $(JOBS)

test-sanitize: deps
	@cmake --preset sanitize >/dev/null
	@cmake --build --preset sanitize -j $(JOBS)
	@ctest --preset sanitize -j $(JOBS)

package: build
	@cd $(BUILD_DIR) && cpack -G DEB

bench: build
	@$(BUILD_DIR)/bin/dessiscope_bench --benchmark_counters_tabular=true
	@$(BUILD_DIR)/bin/dessiscope_bench_window --benchmark_counters_tabular=true
	@bash bench/startup.sh $(BUILD_DIR) 10

fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS) --target fuzz_dwgpreview fuzz_slide fuzz_slidelibrary fuzz_bibcliche \
		fuzz_make_seeds
	@bash fuzz/run.sh build-fuzz $(FUZZ_SECONDS)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	@git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	@rm -rf build build-debug build-sanitize build-fuzz
