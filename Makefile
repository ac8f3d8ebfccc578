# make demo   - builds everything and opens the demo terminal (ARGS="..." passes options);
#               ARCH=x86 runs it with the shipped DLL, on a virtual display
# make test   - installs what is missing, builds both architectures, runs every test of the
#               64-bit build on the machine's Wine 8, then on Wine 10
# make test32 - builds everything for 32 bits and runs every test on the shipped (32-bit) DLL
#               on Wine 8, then the tests that load that DLL from outside on Wine 10
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
ARGS ?=
CTEST_ARGS ?=
ARCH ?= x64
ifeq ($(filter $(ARCH),x64 x86),)
    $(error ARCH is x64 or x86, not "$(ARCH)")
endif
# The Wines other than the machine's run in Debian roots of their own (scripts/setup-root.sh):
# $(call IN_ROOT,wine8|wine10,PREFIX) runs a command in one, with Wine prefixes of its own.
IN_ROOT = KESTROVA_WINEPREFIX=$(BUILD)/$(2) bash scripts/run-in-root.sh $(1) -b $(ROOT) -b $(BUILD)
RUN32 = $(call IN_ROOT,wine8,wineprefix32)
# $(call WITH_ROOTS,ROOTS,COMMAND): a first set-up of the roots fetches their packages while the
# command (the compiler) works.
WITH_ROOTS = (for root in $(1); do bash scripts/setup-root.sh $$root || exit 1; done) & setup=$$!; \
    $(2) || { wait $$setup; exit 1; }; wait $$setup
# The tests in a root leave out the checks that run no Windows program: they run once, in make test.
WINE_TESTS = bash scripts/run-tests.sh $(1) -LE static $(2) $(CTEST_ARGS)
# On Wine 10 the 32-bit build runs the tests that load the shipped DLL from outside (the test
# host's and the demo's); the white-box suite, which Wine 8 runs on the same DLL's code, is left
# out there to keep CI short (through qemu it takes two minutes more); WINE10_32_TESTS= runs
# all of them, a -R in CTEST_ARGS picks among all.
WINE10_32_TESTS ?= -R '^(plugin|demo)_tests\.'
BUILD_BOTH = ninja -C $(X86) Kestrova kestrova_layout && ninja -C $(X64)

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
	$(BUILD_BOTH)

dist: build
	mkdir -p dist/x86 dist/x64
	cp $(X86)/Kestrova.dll dist/x86/Kestrova.dll
	cp $(X64)/Kestrova.dll dist/x64/Kestrova.dll
	cp $(X86)/demo/kestrova_layout.exe dist/x86/kestrova_layout.exe
	cp $(X64)/demo/kestrova_layout.exe dist/x64/kestrova_layout.exe

test: configure
	$(call WITH_ROOTS,wine10,$(BUILD_BOTH))
	bash scripts/run-tests.sh $(X64) $(CTEST_ARGS)
	$(call IN_ROOT,wine10,wineprefix-wine10) $(call WINE_TESTS,$(X64))

test32: configure
	$(call WITH_ROOTS,wine8 wine10,ninja -C $(X86))
	$(RUN32) $(call WINE_TESTS,$(X86))
	$(call IN_ROOT,wine10,wineprefix32-wine10) $(call WINE_TESTS,$(X86),$(WINE10_32_TESTS))

demo: $(if $(filter x86,$(ARCH)),configure,build)
ifeq ($(ARCH),x86)
	ninja -C $(X86) kestrova_demo
	bash scripts/setup-root.sh wine8
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
