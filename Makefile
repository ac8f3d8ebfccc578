# make demo   - builds everything and opens the demo terminal (ARGS="..." passes options);
#               ARCH=x86 runs it with the shipped DLL, on a virtual display
# make test   - installs what is missing, builds both architectures, runs every test
# make test32 - builds everything for 32 bits and runs every test on the shipped (32-bit) DLL
# make dist   - dist/x86/Kestrova.dll (the shipped plug-in) and dist/x64/Kestrova.dll, each with
#               kestrova_layout.exe, the administrators' layout tool
# make bench  - builds and runs the benchmarks
# make soak   - builds and runs the long reliability runs and prints their figures
# BUILD=dir keeps a build tree (and its Wine prefix) apart; CTEST_ARGS="-R name" picks tests.
SHELL := /bin/bash
ROOT := $(abspath .)
BUILD ?= $(ROOT)/build
X86 := $(BUILD)/x86
X64 := $(BUILD)/x64
export KESTROVA_WINEPREFIX ?= $(BUILD)/wineprefix
# The 32-bit tests run in a Debian root of their own (see scripts/setup-root32.sh).
export KESTROVA_ROOT32 ?= /var/cache/kestrova/root32
ARGS ?=
CTEST_ARGS ?=
ARCH ?= x64
ifeq ($(filter $(ARCH),x64 x86),)
    $(error ARCH is x64 or x86, not "$(ARCH)")
endif
RUN32 = KESTROVA_WINEPREFIX=$(BUILD)/wineprefix32 bash scripts/run32.sh -b $(ROOT) -b $(BUILD)

.PHONY: all setup configure build dist test test32 demo bench soak clean

all: dist

setup:
	@bash scripts/setup.sh

configure: setup
	cmake --log-level=WARNING -S . -B $(X86) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DKESTROVA_TESTS=ON
	cmake --log-level=WARNING -S . -B $(X64) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
	    -DKESTROVA_X86_DLL=$(X86)/Kestrova.dll

# The 64-bit tests read the 32-bit DLL only, dist ships the layout tool beside it; make test32
# builds the rest of its tree.
build: configure
	ninja -C $(X86) Kestrova kestrova_layout
	ninja -C $(X64)

dist: build
	mkdir -p dist/x86 dist/x64
	cp $(X86)/Kestrova.dll dist/x86/Kestrova.dll
	cp $(X64)/Kestrova.dll dist/x64/Kestrova.dll
	cp $(X86)/demo/kestrova_layout.exe dist/x86/kestrova_layout.exe
	cp $(X64)/demo/kestrova_layout.exe dist/x64/kestrova_layout.exe

test: dist
	bash scripts/run-tests.sh $(X64) $(CTEST_ARGS)

# The first set-up of the 32-bit root fetches its packages while the compiler works.
test32: configure
	bash scripts/setup-root32.sh & setup=$$!; ninja -C $(X86) || { wait $$setup; exit 1; }; wait $$setup
	$(RUN32) bash scripts/run-tests.sh $(X86) $(CTEST_ARGS)

demo: $(if $(filter x86,$(ARCH)),configure,build)
ifeq ($(ARCH),x86)
	ninja -C $(X86) kestrova_demo
	bash scripts/setup-root32.sh
	$(RUN32) bash scripts/demo.sh $(X86) $(ARGS)
else
	bash scripts/demo.sh $(X64) $(ARGS)
endif

bench: build
	bash scripts/bench.sh $(X64)

soak: build
	bash scripts/soak.sh $(X64) $(ARGS)

clean:
	rm -rf build dist
