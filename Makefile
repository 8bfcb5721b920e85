# Set-up and everyday commands. Each target installs what it needs on a fresh Debian 12
# machine (as root) before it builds.
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)

.PHONY: all deps build demo test package bench clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# Starts Varnel under Wine with a few sample windows to close.
demo: build
	scripts/demo.sh $(BUILD)

# Builds everything and runs every test program under Wine.
test: build
	scripts/run-tests.sh $(BUILD)

# The release ZIP, <build>/Varnel-<version>-win32.zip.
package: build
	cd $(BUILD) && cpack

# Builds, then measures sweep cost, resident footprint and program sizes (docs/benchmarks.md).
bench: build
	scripts/bench.sh $(BUILD)

clean:
	rm -rf $(BUILD)
