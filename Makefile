# Thin wrapper around CMake. `make run` and `make test` are all a fresh
# Debian or Ubuntu machine needs: each first installs the packages it lacks
# (tools/install-deps.sh), then builds and runs.
BUILD ?= build
RUN_BUILD ?= build-run
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=Release
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
DEPS = sh tools/install-deps.sh
WINDOWS_BUILD ?= build-windows

.PHONY: all configure build run test test-long bench clean sanitize fuzz windows test-windows

all: build

configure:
	@$(DEPS) test </dev/null
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The programs alone, without the tests, in their own folder; the build's
# output goes to a log that is shown only when the build fails, so that a
# run shows the dialogue and nothing else. The folder is configured once;
# later builds re-run CMake themselves when a CMakeLists.txt changes.
run:
	@$(DEPS) run </dev/null
	@mkdir -p $(RUN_BUILD)
	@{ [ -f $(RUN_BUILD)/CMakeCache.txt ] || cmake -S . -B $(RUN_BUILD) $(CMAKE_FLAGS) -DSEEDACC_TESTS=OFF \
			|| { rm -f $(RUN_BUILD)/CMakeCache.txt; false; }; } \
		</dev/null >$(RUN_BUILD)/build.log 2>&1 \
	  && cmake --build $(RUN_BUILD) -j $(JOBS) </dev/null >>$(RUN_BUILD)/build.log 2>&1 \
	  || { cat $(RUN_BUILD)/build.log; echo "make run: the build failed (output above, kept in $(RUN_BUILD)/build.log)" >&2; exit 1; }
	@./$(RUN_BUILD)/seedacc

# The quick suite; the long sweeps (ctest label `long`) run with test-long.
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE long

test-long: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -L long

bench:
	@$(DEPS) bench </dev/null
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DSEEDACC_BENCH=ON -DSEEDACC_TESTS=OFF
	cmake --build build-bench -j $(JOBS)
	./build-bench/bench/seedacc_bench

clean:
	rm -rf $(BUILD) $(RUN_BUILD) build-bench build-sanitize build-fuzz $(WINDOWS_BUILD)

# The whole suite once more with AddressSanitizer and UndefinedBehaviorSanitizer,
# every finding fatal, assertions live (-O1 -g without NDEBUG). The program's
# fatal ends abort by SIGABRT with or without the sanitizers, so the options
# only keep a sanitizer finding from passing for one of them: abort_on_error
# stays off and a finding exits with status 86, which no ending of the system
# has (0, 1 or SIGABRT). The same options hold while building, because test
# discovery runs every test program. LeakSanitizer is on; SANITIZE_LEAKS=0
# turns it off.
SANITIZE_FLAGS = -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
SANITIZE_LEAKS ?= 1
SANITIZE_ENV = ASAN_OPTIONS=abort_on_error=0:exitcode=86:detect_leaks=$(SANITIZE_LEAKS):strict_string_checks=1:detect_stack_use_after_return=1 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:exitcode=86

sanitize:
	@$(DEPS) test </dev/null
	cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" \
		-DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)" \
		-DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE_FLAGS)" \
		-DCMAKE_SHARED_LINKER_FLAGS="$(SANITIZE_FLAGS)"
	$(SANITIZE_ENV) cmake --build build-sanitize -j $(JOBS)
	cd build-sanitize && $(SANITIZE_ENV) ctest --output-on-failure -j $(JOBS)

# The answer reader and the record reader under libFuzzer (clang, one
# worker), each for FUZZ_SECONDS seconds over its corpus in tests/fuzz
# (corpus, record-corpus); new inputs go to build-fuzz/new-corpus and
# new-record-corpus, merge answer inputs in with tests/fuzz/merge_corpus.sh.
# FUZZ_TARGETS=fuzz_record runs one. The script installs clang and its
# run-times first when they are missing.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?= fuzz_answers fuzz_record
fuzz:
	for target in $(FUZZ_TARGETS); do sh tests/fuzz/run_fuzz.sh build-fuzz $(FUZZ_SECONDS) $$target || exit 1; done

# The three programs for 64-bit Windows, cross-compiled with mingw-w64 and
# linked statically, into build-windows/; test-windows runs them under wine
# against the Linux build's files (the Linux build is made first).
windows:
	@$(DEPS) windows </dev/null
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake -DSEEDACC_TESTS=OFF
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)

test-windows: windows build
	sh tests/windows/run.sh $(WINDOWS_BUILD) $(BUILD)
