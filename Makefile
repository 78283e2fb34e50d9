# Entry points for a newcomer: `make run` and `make test`. Each installs what
# the machine lacks, configures and builds in build/.

BUILD ?= build
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test bench package clean

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

bench: build
	$(BUILD)/bin/sigtelinje-bench
	$(BUILD)/bin/sigtelinje-compare $(BUILD)/bin/sigtelinje-convert bench/gsiconvert.awk

package: build
	cpack -G DEB --config $(BUILD)/CPackConfig.cmake

clean:
	rm -rf $(BUILD)
