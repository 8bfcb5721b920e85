# Set-up and everyday commands. Each target installs what it needs on a fresh Debian 12
# machine (as root) before it builds. Both architectures are built, each in its own folder:
# $(BUILD)/win32 (i686) and $(BUILD)/x64 (x86_64).
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)
ARCHES := win32 x64
toolchain_win32 := mingw-i686
toolchain_x64 := mingw-x86_64

.PHONY: all deps build demo test package bench clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/%/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD)/$* -DCMAKE_TOOLCHAIN_FILE=cmake/$(toolchain_$*).cmake \
	  -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)

build: deps $(foreach arch,$(ARCHES),$(BUILD)/$(arch)/CMakeCache.txt)
	$(foreach arch,$(ARCHES),cmake --build $(BUILD)/$(arch) -j $(JOBS) &&) true

# Starts Varnel under Wine with a few sample windows to close (32-bit where it runs, else 64-bit).
demo: build
	scripts/demo.sh $(BUILD)

# Builds both architectures and runs the whole suite of each one the machine can run.
test: build
	scripts/run-tests.sh $(BUILD)

# The release ZIPs, $(BUILD)/<arch>/Varnel-<version>-<arch>.zip.
package: build
	$(foreach arch,$(ARCHES),(cd $(BUILD)/$(arch) && cpack) &&) true

# Builds, then measures sweep cost, resident footprint and program sizes (docs/benchmarks.md).
bench: build
	scripts/bench.sh $(BUILD)

clean:
	rm -rf $(BUILD)
