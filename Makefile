# Entry points for a newcomer: `make run` and `make test`. Each installs what
# the machine lacks, configures and builds in build/.

BUILD ?= build
CMAKE_FLAGS ?=
SANITIZE_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
# The conversion, main-window and editor tests, run again under the sanitizers.
SANITIZE_TESTS = tst_conversion tst_properties tst_fuzzcases tst_form1 tst_faults tst_security \
	tst_editor_window tst_editor_files tst_editor_commands tst_editor_faults tst_cli

.PHONY: all deps configure build run test sanitize-test fuzz bench package clean

all: build

deps:
	@tools/install-deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD)

run: build
	@tools/run-demo.sh $(BUILD)

test: build
	ctest --test-dir $(BUILD) --output-on-failure --timeout 600
	$(MAKE) sanitize-test

# Any AddressSanitizer or UndefinedBehaviorSanitizer report fails the test that met it.
sanitize-test: deps
	cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DSIGTELINJE_SANITIZE=ON -DSIGTELINJE_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(SANITIZE_BUILD) --target $(SANITIZE_TESTS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(SANITIZE_BUILD) --output-on-failure --timeout 900 \
	  -R "^($$(echo $(SANITIZE_TESTS) | tr ' ' '|'))$$"

# libFuzzer on the line reader and both conversions, for FUZZ_SECONDS seconds.
fuzz: deps
	cmake -S fuzz -B $(FUZZ_BUILD) -G Ninja -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ_BUILD)
	@tools/run-fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

bench: build
	$(BUILD)/bin/sigtelinje-bench
	$(BUILD)/bin/sigtelinje-compare $(BUILD)/bin/sigtelinje-convert bench/gsiconvert.awk

package: build
	cpack -G DEB --config $(BUILD)/CPackConfig.cmake

clean:
	rm -rf $(BUILD)
