# Plotsmith: `make run` builds and starts the editor, `make test` builds and
# runs every test, `make bench` runs the benchmarks.  Each installs what is
# missing first.
BUILD  ?= build
JOBS   ?= $(shell nproc 2>/dev/null || echo 2)
FILE   ?=
# ccache, when the machine has it, shares compiled units between build folders.
LAUNCHER := $(shell command -v ccache >/dev/null 2>&1 && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: all deps configure build run test bench package clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) $(LAUNCHER)

configure: $(BUILD)/CMakeCache.txt

build: deps configure
	cmake --build $(BUILD) -j$(JOBS)

# Builds only the editor; FILE is passed as one argument, blanks and all.
run: deps configure
	cmake --build $(BUILD) -j$(JOBS) --target plotsmith
	$(BUILD)/plotsmith $(if $(FILE),'$(subst ','\'',$(FILE))')

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# The Debian package $(BUILD)/plotsmith_<version>_amd64.deb of the install rule.
package: build
	cmake --build $(BUILD) --target package

bench: build
	$(BUILD)/bench/plotsmith_bench

clean:
	rm -rf $(BUILD)
