# Set-up and developer targets. Every target installs what is missing first.
BUILD_ROOT ?= build
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 20
SHELL := /bin/bash
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")

.PHONY: all deps build demo screenshots test tsan bench fuzz clean

all: build

deps:
	@./scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD_ROOT)/release $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DVANTOR_TESTS=OFF >/dev/null
	@cmake --build $(BUILD_ROOT)/release -j $(JOBS)

demo: build
	@./scripts/demo.sh $(BUILD_ROOT)/release/vantor

# A picture of every window of the workstation, opened on the demo's data,
# drawn on Qt's offscreen platform (no display needed).
screenshots: demo
	@rm -rf demo/screens
	@cd demo && QT_QPA_PLATFORM=offscreen ../$(BUILD_ROOT)/release/vantor-workstation --screenshots screens
	@ls demo/screens

test: deps
	@cmake -S . -B $(BUILD_ROOT)/debug $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DVANTOR_SANITIZE=ON >/dev/null
	@cmake --build $(BUILD_ROOT)/debug -j $(JOBS)
	@cd $(BUILD_ROOT)/debug && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j $(JOBS)

tsan: deps
	@cmake -S . -B $(BUILD_ROOT)/tsan $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOR_TSAN=ON >/dev/null
	@cmake --build $(BUILD_ROOT)/tsan -j $(JOBS)
	@cd $(BUILD_ROOT)/tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j $(JOBS) -R Threaded

bench: deps
	@cmake -S . -B $(BUILD_ROOT)/bench $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DVANTOR_TESTS=OFF -DVANTOR_BENCH=ON >/dev/null
	@cmake --build $(BUILD_ROOT)/bench -j $(JOBS)
	@for b in $(BUILD_ROOT)/bench/bench/*_bench; do "$$b" || exit 1; done

fuzz: deps
	@CXX=clang++ cmake -S . -B $(BUILD_ROOT)/fuzz $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOR_TESTS=OFF -DVANTOR_FUZZ=ON -DVANTOR_WORKSTATION=OFF >/dev/null
	@cmake --build $(BUILD_ROOT)/fuzz -j $(JOBS)
	@set -e; for f in $(BUILD_ROOT)/fuzz/fuzz/*_fuzz; do \
		name=$$(basename $$f); corpus=$(BUILD_ROOT)/fuzz/corpus/$$name; mkdir -p $$corpus; \
		printf '%-28s ' "$$name"; \
		if "$$f" -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 -artifact_prefix=$(BUILD_ROOT)/fuzz/$$name- \
			$$corpus > $(BUILD_ROOT)/fuzz/$$name.log 2>&1; then \
			grep -E "^Done" $(BUILD_ROOT)/fuzz/$$name.log | tail -1; \
		else \
			echo "FINDING (see $(BUILD_ROOT)/fuzz/$$name.log)"; tail -30 $(BUILD_ROOT)/fuzz/$$name.log; exit 1; \
		fi; \
	done

clean:
	rm -rf $(BUILD_ROOT)
