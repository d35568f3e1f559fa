# Set-up, build, run and test on a fresh Debian machine.
#   make run              install what is missing, build, start the program
#   make test             the same, then every test (CTest, offscreen)
#   make test SANITIZE=1  the same under AddressSanitizer + UBSan, in build-sanitize/
#   make bench            the Google Benchmarks
#   make loadtest         the whole program under load, beside rsyslog

JOBS ?= 2
BUILD_DIR ?= build
CMAKE_ARGS ?=
ifeq ($(SANITIZE),1)
  BUILD_DIR := build-sanitize
  CMAKE_ARGS += -DSANITIZE=ON -DQM_WITH_BENCHMARKS=OFF
endif
# Opt-in test labels, left out of the ordinary run.
CTEST_EXCLUDE ?= slow|load

.PHONY: all deps configure build run test test-all bench loadtest clean

all: build

deps:
	@tools/install-deps.sh

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

bench: build
	@tools/run-benchmarks.sh $(BUILD_DIR)/bin

# The end-to-end load test against rsyslog (installs loggen; a few minutes).
loadtest: build
	tools/loadtest/run-loadtest.sh $(BUILD_DIR)/bin

clean:
	rm -rf build build-sanitize
