# Set-up and everyday commands. Each target installs what it needs on a fresh Debian 12
# machine (as root) before it builds. Both architectures are built, each in its own folder:
# $(BUILD)/win32 (i686) and $(BUILD)/x64 (x86_64).
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)
ARCHES := win32 x64
toolchain_win32 := mingw-i686
toolchain_x64 := mingw-x86_64

# The C++ sources that the formatter keeps in the style of .clang-format: product, tests and
# benchmark.
FORMATTED := $(shell find framework settings sweep dialogs shell autorun resources tests bench \
               -name '*.cpp' -o -name '*.h' | sort)
# The shell scripts that shellcheck keeps clean (.shellcheckrc).
SCRIPTS := .ci/run $(shell find scripts tests -name '*.sh' -o -name '*.sh.in' | sort)

.PHONY: all deps build demo test format format-check lint package bench clean

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

# Checks the formatting and the static analysis, then builds both architectures, checks how
# the install copes with package lists that cannot be fetched and how each build starts Wine
# (both on any machine, with stubs), and runs the whole suite of each architecture the machine
# can run.
test: format-check lint build
	tests/scripts/install-deps-tests.sh
	tests/scripts/wine-start-tests.sh $(BUILD)
	scripts/run-tests.sh $(BUILD)

# Rewrites the C++ sources in the style of .clang-format.
format: deps
	clang-format -i $(FORMATTED)

# Fails, naming file and line, where a C++ source differs from what `make format` would write.
format-check: deps
	clang-format --dry-run -Werror $(FORMATTED)

# shellcheck over the scripts, then clang-tidy over the product code through the x64 build's
# compile database (.clang-tidy).
lint: $(BUILD)/x64/CMakeCache.txt
	shellcheck $(SCRIPTS)
	scripts/lint.sh $(BUILD) $(JOBS)

# The release ZIPs, $(BUILD)/<arch>/Varnel-<version>-<arch>.zip.
package: build
	$(foreach arch,$(ARCHES),(cd $(BUILD)/$(arch) && cpack) &&) true

# Builds, then measures sweep cost, resident footprint and program sizes (docs/benchmarks.md).
bench: build
	scripts/bench.sh $(BUILD)

clean:
	rm -rf $(BUILD)
