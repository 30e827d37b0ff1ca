# The README's commands. Every target installs what it needs first.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
ASAN_DIR ?= build-asan
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60

.PHONY: all deps build run test bench clean test-asan fuzz screenshots package

all: build

deps:
	./scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Starts Lumivane; pass options with ARGS, e.g. make run ARGS=--headless
run: build
	$(BUILD_DIR)/bin/lumivane $(ARGS)

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# The Debian package, $(BUILD_DIR)/lumivane_<version>_<arch>.deb, from the install rules.
package: build
	cd $(BUILD_DIR) && cpack -G DEB

bench: build
	./bench/run-all.sh $(BUILD_DIR)

# Pictures of every view, light and dark, into screenshots/ (not tracked).
screenshots: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)
	cmake --build $(BUILD_DIR) -j $(JOBS) --target lumivane-screenshots
	QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/bin/lumivane-screenshots screenshots

# Every test under AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer, in a build
# folder of its own. The leak suppressions name third-party frames only. The environment also
# covers the build, whose test discovery runs the test binaries.
SANITIZER_ENV = \
	ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:strict_init_order=1:check_initialization_order=1 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan-suppressions.txt:print_suppressions=0

test-asan: deps
	cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIVANE_BUILD_BENCH=OFF \
		-DLUMIVANE_SANITIZE=address,undefined,float-cast-overflow
	$(SANITIZER_ENV) cmake --build $(ASAN_DIR) -j $(JOBS)
	$(SANITIZER_ENV) ctest --test-dir $(ASAN_DIR) --output-on-failure -j $(JOBS)

# libFuzzer harnesses (clang), each run for FUZZ_SECONDS, one after another; not part of CI.
# FUZZERS="fuzz_titles fuzz_nyaa" runs only those.
fuzz:
	./scripts/install-deps.sh --fuzz
	cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_CXX_COMPILER=clang++ -DLUMIVANE_FUZZ=ON \
		-DLUMIVANE_BUILD_TESTS=OFF -DLUMIVANE_BUILD_BENCH=OFF
	cmake --build $(FUZZ_DIR) --target lumivane_fuzzers -j $(JOBS)
	FUZZ_SECONDS=$(FUZZ_SECONDS) ./fuzz/run-fuzzers.sh $(FUZZ_DIR)

clean:
	rm -rf $(BUILD_DIR)
