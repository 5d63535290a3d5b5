# make demo  - set up the machine, build, lay out the demo disc and run its installer under Wine
# make test  - set up the machine, build, run every test (native, then Wine)
# make dist  - the demo disc image under dist/demo/
SHELL := /bin/bash
TOP := $(CURDIR)
NATIVE := $(TOP)/build/native
WIN := $(TOP)/build/win
JOBS ?= 2

.PHONY: all setup build native win dist demo test clean

all: build

setup:
	@bash scripts/setup.sh

$(NATIVE)/build.ninja:
	cmake -S . -B $(NATIVE) -G Ninja -DCMAKE_BUILD_TYPE=Debug

$(WIN)/build.ninja:
	cmake -S . -B $(WIN) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(TOP)/cmake/toolchain-mingw-i686.cmake

native: setup $(NATIVE)/build.ninja
	ninja -C $(NATIVE) -j$(JOBS)

win: setup $(WIN)/build.ninja
	ninja -C $(WIN) -j$(JOBS)

build: native win

dist: win
	bash scripts/dist.sh $(WIN) $(TOP)/dist/demo

demo: dist
	bash scripts/demo.sh $(WIN) $(TOP)/dist/demo

test: setup
	bash scripts/test.sh

clean:
	rm -rf build dist
