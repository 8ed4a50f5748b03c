# Orvanel: `make run` starts the program on the emulated device; `make test` installs what is
# needed, builds, and runs the tests under Wine.
BUILD      ?= build
JOBS       ?= $(shell nproc)
PACKAGES   := cmake make g++ g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64 \
              googletest wine wine64 xvfb xauth x11-utils imagemagick fonts-wine fonts-liberation \
              fonts-dejavu-core fonts-freefont-ttf util-linux python3 clang libclang-rt-14-dev fontconfig \
              gcab cabextract libxml2-utils

.PHONY: all deps configure build test fuzz run rotate bench screenshots device-reset device-uninstall clean

all: build

# Install the Debian packages the build, the tests and the device need, only those missing.
deps:
	@missing=""; for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	    echo "Installing:$$missing"; \
	    export DEBIAN_FRONTEND=noninteractive; \
	    apt-get update -q && apt-get install -y -q --no-install-recommends $$missing; \
	fi

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Tests run one at a time: they share the test prefix's registry and object store.
test: build
	scripts/run-tests.sh $(BUILD)

# Every fuzz target for FUZZ_SECONDS each (`make test` runs each for a few seconds only).
FUZZ_SECONDS ?= 300
fuzz: build
	scripts/fuzz.sh $(BUILD) $(FUZZ_SECONDS)

run: build
	scripts/device.sh run $(RUN_ARGS)

# Turns the screen of the device started by `make run` (from another terminal, same display).
rotate:
	scripts/device.sh rotate

# Start-up time and peak memory of Orvanel against a minimal six-page sheet, on the device.
BENCH_RUNS ?= 10
bench: build
	scripts/device.sh bench $(BENCH_RUNS)

screenshots: build
	scripts/device.sh screenshots $(SHOT_ARGS)

device-reset: build
	scripts/device.sh reset

device-uninstall:
	scripts/device.sh uninstall

clean:
	chmod -R u+w $(BUILD)/device 2>/dev/null || true
	rm -rf $(BUILD)
