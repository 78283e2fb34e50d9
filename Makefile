# SPDX-FileCopyrightText: 2026 Sigtelinje developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Entry points for a newcomer: `make run` and `make test`. Each installs what
# the machine lacks, configures and builds in build/. `make run` installs only what
# running and building need; the targets that test, fuzz, package or cross-build install
# the test toolchain too (tools/install-deps.sh names the three sets).

BUILD ?= build
CMAKE_FLAGS ?=
SANITIZE_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
# The Windows build: cross-compiled with MinGW-w64 against a Windows Qt unpacked
# into the build tree, tested under Wine.
WIN_BUILD ?= build-win
# The Windows Qt: the archive QT_MINGW_ARCHIVE names, else the one `make windows-qt`
# built in QT_BUILD, else a shared copy beside the repository.
# Where there is none, it is built from Debian's source into QT_BUILD first, once.
QT_BUILD ?= build-qt
QT_MINGW_BUILT = $(QT_BUILD)/qt6.4.2-mingw64.tar.xz
QT_MINGW_ARCHIVE ?= $(firstword $(wildcard $(QT_MINGW_BUILT) \
	../shared/toolchains/qt6.4.2-mingw64.tar.xz))
QT_MINGW_USED = $(or $(QT_MINGW_ARCHIVE),$(QT_MINGW_BUILT))
QT_MINGW = $(abspath $(WIN_BUILD))/toolchain/qt6.4.2-mingw64
# The conversion, main-window, preview and editor tests, run again under the sanitizers.
SANITIZE_TESTS = tst_conversion tst_properties tst_fuzzcases tst_road tst_form1 tst_preview tst_faults tst_security \
	tst_editor_window tst_editor_files tst_editor_commands tst_editor_faults tst_cli

.PHONY: all deps configure build run test test-linux sanitize-test fuzz bench package reproducible clean distclean \
	windows windows-test windows-package windows-qt mutate

all: build

# Packages carry the last commit's time, not the time they were built (help2man's date in the
# manual page, the file times in the .deb and the Windows packages).
SOURCE_DATE_EPOCH ?= $(shell git log -1 --format=%ct 2>/dev/null)
ifneq ($(SOURCE_DATE_EPOCH),)
export SOURCE_DATE_EPOCH
endif

# Which package sets `deps` installs; a target's own setting holds for everything it builds.
DEPS_SETS = running building
test test-linux sanitize-test fuzz mutate bench package reproducible windows windows-test \
	windows-package windows-qt: DEPS_SETS = running building testing

deps:
	@tools/install-deps.sh $(DEPS_SETS)

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD)

run: build
	@tools/run-demo.sh $(BUILD)

# Where no Windows Qt is found, it is built before anything else, so the wait is announced
# at the start and not after the Linux tests.
test: $(if $(QT_MINGW_ARCHIVE),,$(QT_MINGW_BUILT)) test-linux
	$(MAKE) windows-test

# The Linux tests and the same tests under the sanitizers, without the Windows build.
test-linux: build
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

# The mutation check: each mutant in tools/mutants.txt is built and run against the Linux
# tests in a scratch copy of the tree. About an hour on 2 cores; not part of `make test`.
# MUTATE_MODE=rules makes the mutants by rule from MUTATE_FILES instead, and runs
# MUTATE_SAMPLE of them picked at random, each against the tests MUTATE_TESTS names for its
# file and built with MUTATE_TARGETS alone (see tools/mutate.py --help): about a minute a
# mutant on 2 shared cores.
MUTANTS ?=
MUTATE_MODE ?= list
MUTATE_FILES ?= platform/inputfile.cpp platform/inputfile_posix.cpp platform/outputfile_posix.cpp \
	platform/gsierror.cpp platform/shownname.cpp cli/batch.cpp
MUTATE_SAMPLE ?= 64
MUTATE_SEED ?= 28
MUTATE_TESTS ?= 'cli/*=tst_cli' 'platform/shownname.cpp=tst_cli|tst_form1' \
	'platform/gsierror.cpp=tst_cli|tst_media' \
	'platform/inputfile*=tst_cli|tst_security|tst_editor_faults' \
	'platform/outputfile*=tst_cli|tst_security|tst_media|tst_editor_faults'
MUTATE_TARGETS ?= tst_cli tst_security tst_media tst_editor_faults tst_form1
mutate: deps
ifeq ($(MUTATE_MODE),rules)
	@nice tools/mutate.py --build-dir $(BUILD)/mutate --rules $(MUTATE_FILES) \
	  --sample $(MUTATE_SAMPLE) --seed $(MUTATE_SEED) --tests $(MUTATE_TESTS) \
	  --targets $(MUTATE_TARGETS) $(MUTANTS)
else
	@tools/mutate.py $(MUTANTS)
endif

bench: build
	$(BUILD)/bin/sigtelinje-bench
	$(BUILD)/bin/sigtelinje-compare $(BUILD)/bin/sigtelinje-convert bench/gsiconvert.awk

# CPack gives the .deb's own members the modes of its temporary files: a fixed umask keeps
# the package the same for everyone.
package: build
	umask 022 && cpack -G DEB --config $(BUILD)/CPackConfig.cmake

# Each package built twice from this commit, in two build folders at two times, and compared
# byte for byte: the .deb, then the setup.exe and the portable zip. On two cores shared with
# other builds the .deb half took 18 minutes and the Windows half 27 to 34. A .deb that differs does
# not keep the Windows half from running: both verdicts are shown, and either fails the target.
REPRO_BUILD ?= $(BUILD)/reproducible
reproducible: deps $(QT_MINGW)/lib/cmake/Qt6/qt.toolchain.cmake
	CMAKE_FLAGS="$(CMAKE_FLAGS)" tests/package/reproducible.sh $(REPRO_BUILD) deb; deb=$$?; \
	CMAKE_FLAGS="$(CMAKE_FLAGS)" tests/package/reproducible.sh $(REPRO_BUILD) windows \
	  $(QT_MINGW)/lib/cmake/Qt6/qt.toolchain.cmake; windows=$$?; \
	test $$deb -eq 0 && test $$windows -eq 0

# No Windows Qt found: build one, saying first what that costs. The archive stays in
# QT_BUILD, where the next run finds it.
$(QT_MINGW_BUILT): | deps
	@echo "No Windows Qt found (neither QT_MINGW_ARCHIVE=, nor $(QT_MINGW_BUILT), nor" \
	  "../shared/toolchains/): building it now from Debian's qt6-base source with" \
	  "'make windows-qt'. This takes most of an hour on two cores, once; the archive is" \
	  "kept in $(QT_BUILD)/. 'make test-linux' runs the Linux tests without it."
	tools/build-windows-qt.sh $(QT_BUILD)

# The checksum file beside the archive, when there is one, must vouch for it.
$(QT_MINGW)/lib/cmake/Qt6/qt.toolchain.cmake: | deps $(if $(QT_MINGW_ARCHIVE),,$(QT_MINGW_BUILT))
	@test -f "$(QT_MINGW_USED)" || { echo "no Windows Qt at '$(QT_MINGW_USED)'; set QT_MINGW_ARCHIVE" >&2; exit 1; }
	@sums="$$(dirname "$(QT_MINGW_USED)")/SHA256SUMS.txt"; if [ -f "$$sums" ]; then \
	  (cd "$$(dirname "$$sums")" && grep " $$(basename "$(QT_MINGW_USED)")$$" SHA256SUMS.txt | sha256sum -c --quiet -); fi
	rm -rf $(QT_MINGW)
	mkdir -p $(dir $(QT_MINGW))
	tar -xJf "$(QT_MINGW_USED)" -C $(dir $(QT_MINGW))
	touch $@

$(WIN_BUILD)/build.ninja: | $(QT_MINGW)/lib/cmake/Qt6/qt.toolchain.cmake
	cmake -S . -B $(WIN_BUILD) -G Ninja -DSIGTELINJE_BENCH=OFF \
	  -DCMAKE_TOOLCHAIN_FILE=$(QT_MINGW)/lib/cmake/Qt6/qt.toolchain.cmake \
	  -DQT_CHAINLOAD_TOOLCHAIN_FILE=$(abspath cmake/mingw-w64-x86_64.cmake) \
	  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake

# The programs and tests, with what they need to run deployed beside the programs in bin/.
windows: deps $(WIN_BUILD)/build.ninja
	cmake --build $(WIN_BUILD) --parallel 2
	cmake --install $(WIN_BUILD) --prefix $(abspath $(WIN_BUILD))

# build-win/packages/Sigtelinje-<version>-setup.exe, made with NSIS, and
# Sigtelinje-<version>-win64-portable.zip.
windows-package: windows
	cmake --build $(WIN_BUILD) --target windows_installer windows_portable

# Every test of the Windows build under Wine, the installer's included. They share
# one Wine prefix, so they run one at a time.
windows-test: windows-package
	ctest --test-dir $(WIN_BUILD) --output-on-failure --timeout 900

# Qt 6.4.2 for Windows from Debian's qt6-base source, cross-compiled with MinGW-w64 into
# $(QT_BUILD)/qt6.4.2-mingw64.tar.xz, which `make windows` then uses. Most of an hour on
# two cores; `make windows` and `make test` run it themselves when they find no Windows Qt.
windows-qt: deps
	tools/build-windows-qt.sh $(QT_BUILD)

# The Windows Qt in QT_BUILD took most of an hour to build; only distclean removes it.
clean:
	rm -rf $(BUILD) $(WIN_BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD)

distclean: clean
	rm -rf $(QT_BUILD)
