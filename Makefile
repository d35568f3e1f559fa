# Set-up, build, run and test on a fresh Debian machine.
#   make run              install what is missing, build, start the program
#   make test             the same, then every test (CTest, offscreen)
#   make test SANITIZE=1  the same under AddressSanitizer + UBSan, in build-sanitize/
#   make bench            the Google Benchmarks
#   make loadtest         the whole program under load, beside rsyslog
#   make fuzz             every fuzz harness for FUZZ_SECONDS (default 60)
#   make names            the naming convention (clang-tidy) over every source file
#   make windows-check    the whole program built for 64-bit Windows, its tests under Wine
#   make windows-package  build-windows/package/QuillmereLight and its zip, for Windows users
#   make package          build/quillmere-light_<version>_amd64.deb, checked by lintian

JOBS ?= 2
BUILD_DIR ?= build
CMAKE_ARGS ?=
ifeq ($(SANITIZE),1)
  BUILD_DIR := build-sanitize
  CMAKE_ARGS += -DSANITIZE=ON -DQM_WITH_BENCHMARKS=OFF
endif
# Opt-in test labels, left out of the ordinary run.
CTEST_EXCLUDE ?= slow|load

.PHONY: all deps configure build run test test-all test-load test-netload bench loadtest fuzz names package windows-check windows-package clean

all: build

deps:
	@tools/install-deps.sh
	@tools/unpack-rsyslog.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS) >/dev/null

build: configure
	cmake --build $(BUILD_DIR) -j$(JOBS)

run: build
	$(BUILD_DIR)/bin/Ferrowick

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS) -LE '$(CTEST_EXCLUDE)'

# Every test, the opt-in labels included.
test-all: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

# The opt-in load test alone.
test-load: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -L load

# The opt-in TCP load tests: slow senders beside UDP load, 10,000 connections.
test-netload: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -L tcpslow

bench: build
	@tools/run-benchmarks.sh $(BUILD_DIR)/bin

# The end-to-end load test against rsyslog (installs loggen; a few minutes).
loadtest: build
	tools/loadtest/run-loadtest.sh $(BUILD_DIR)/bin

# Every libFuzzer harness for FUZZ_SECONDS each (clang; its own build folder).
FUZZ_SECONDS ?= 60
fuzz: deps
	@tools/install-deps.sh clang libclang-rt-14-dev
	@CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_FUZZ=ON \
	  -DQM_WITH_QT=OFF -DQM_WITH_BENCHMARKS=OFF >/dev/null
	cmake --build build-fuzz -j$(JOBS) --target fuzz_datagram fuzz_listrow fuzz_regfile fuzz_viewer fuzz_tcpframing
	tools/run-fuzzers.sh build-fuzz/bin $(FUZZ_SECONDS)

# The Debian package (CPack), its dependencies computed from the binaries;
# lintian must report neither error nor warning.
package: build
	@tools/install-deps.sh dpkg-dev file lintian desktop-file-utils appstream libcap2-bin
	cmake --build $(BUILD_DIR) -j$(JOBS) --target package-files
	rm -f $(BUILD_DIR)/quillmere-light_*.deb
	cd $(BUILD_DIR) && cpack -G DEB
	lintian --fail-on error,warning $(BUILD_DIR)/quillmere-light_*.deb

# The naming convention of .clang-tidy over every source file of the build.
names: configure
	tools/check-names.sh $(BUILD_DIR)

# The whole program and its tests built for 64-bit Windows, run under Wine,
# then the package end to end in a fresh Wine prefix.
windows-check:
	tools/windows-check.sh

# Ferrowick.exe with what it needs beside it, as a folder and a zip.
windows-package:
	tools/windows-build.sh package

clean:
	rm -rf build build-sanitize build-fuzz build-windows
