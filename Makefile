# The README's commands. Every target installs what it needs first.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: all deps build run test bench clean

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

bench: build
	./bench/run-all.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)
