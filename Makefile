# make demo   - builds everything and opens the demo terminal (ARGS="..." passes options)
# make test   - installs what is missing, builds both architectures, runs every test
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

.PHONY: all setup configure build dist test demo bench soak clean

all: dist

setup:
	@bash scripts/setup.sh

configure: setup
	cmake --log-level=WARNING -S . -B $(X86) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DKESTROVA_TESTS=OFF
	cmake --log-level=WARNING -S . -B $(X64) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
	    -DKESTROVA_X86_DLL=$(X86)/Kestrova.dll

build: configure
	ninja -C $(X86)
	ninja -C $(X64)

dist: build
	mkdir -p dist/x86 dist/x64
	cp $(X86)/Kestrova.dll dist/x86/Kestrova.dll
	cp $(X64)/Kestrova.dll dist/x64/Kestrova.dll
	cp $(X86)/demo/kestrova_layout.exe dist/x86/kestrova_layout.exe
	cp $(X64)/demo/kestrova_layout.exe dist/x64/kestrova_layout.exe

test: dist
	bash scripts/run-tests.sh $(X64) $(CTEST_ARGS)

demo: build
	bash scripts/demo.sh $(X64) $(ARGS)

bench: build
	bash scripts/bench.sh $(X64)

soak: build
	bash scripts/soak.sh $(X64) $(ARGS)

clean:
	rm -rf build dist
