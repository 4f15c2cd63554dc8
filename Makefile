# Thin wrapper around CMake: `make run` and `make test` are all a fresh
# machine needs (after .ci/run has installed the tool chain).
BUILD ?= build
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=Release
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all configure build run test bench clean

all: build

configure:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/seedacc

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench:
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DSEEDACC_BENCH=ON -DSEEDACC_TESTS=OFF
	cmake --build build-bench -j $(JOBS)
	./build-bench/bench/seedacc_bench

clean:
	rm -rf $(BUILD) build-bench
