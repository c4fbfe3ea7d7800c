# Thin wrapper over CMake: `make demo` runs the main job, `make test` runs every test,
# `make package` packs the Release build into a Debian package.
# Each installs what is missing first (scripts/setup.sh).

BUILD_DIR ?= build
TEST_BUILD_DIR ?= build-test
JOBS ?= $(shell nproc)

.PHONY: all setup build build-test demo package test bench clean fuzz

all: build

setup:
	bash scripts/setup.sh

build: setup
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANE_TESTS=OFF
	cmake --build $(BUILD_DIR) -j $(JOBS)

build-test: setup
	cmake -S . -B $(TEST_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCORVANE_SANITIZE=ON
	cmake --build $(TEST_BUILD_DIR) -j $(JOBS)

demo: build
	bash scripts/demo.sh $(BUILD_DIR)/src/corvane

package: build
	cmake --build $(BUILD_DIR) --target package

# The package is checked first, so that ctest's summary closes the output.
test: build-test package
	bash scripts/check-package.sh $(BUILD_DIR)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(TEST_BUILD_DIR) --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR) $(TEST_BUILD_DIR)

# Fuzzes the Contents codec and the text configuration reader with libFuzzer (clang), FUZZ_SECONDS each.
FUZZ_BUILD_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz: setup
	cmake -S . -B $(FUZZ_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
	  -DCORVANE_SANITIZE=ON -DCORVANE_FUZZ=ON -DCORVANE_TESTS=OFF
	cmake --build $(FUZZ_BUILD_DIR) -j $(JOBS) --target contents-codec-fuzzer text-config-fuzzer hex-image-reader-fuzzer \
	  elf-program-fuzzer
	mkdir -p $(FUZZ_BUILD_DIR)/corpus/contents $(FUZZ_BUILD_DIR)/corpus/text
	$(FUZZ_BUILD_DIR)/fuzz/contents-codec-fuzzer -max_total_time=$(FUZZ_SECONDS) $(FUZZ_BUILD_DIR)/corpus/contents fuzz/corpus/contents
	$(FUZZ_BUILD_DIR)/fuzz/text-config-fuzzer -max_total_time=$(FUZZ_SECONDS) $(FUZZ_BUILD_DIR)/corpus/text fuzz/corpus/text
	mkdir -p $(FUZZ_BUILD_DIR)/corpus/image
	$(FUZZ_BUILD_DIR)/fuzz/hex-image-reader-fuzzer -max_total_time=$(FUZZ_SECONDS) $(FUZZ_BUILD_DIR)/corpus/image fuzz/corpus/image
	mkdir -p $(FUZZ_BUILD_DIR)/corpus/elf
	$(FUZZ_BUILD_DIR)/fuzz/elf-program-fuzzer -max_total_time=$(FUZZ_SECONDS) $(FUZZ_BUILD_DIR)/corpus/elf fuzz/corpus/elf
