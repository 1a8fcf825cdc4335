# Two commands for a fresh Debian 12 machine: `make run` and `make test`.
# Both install the Debian packages that are missing, configure and build with CMake, then run.

SANITIZE ?=
DIR ?=
JOBS ?= $(shell nproc)

ifeq ($(SANITIZE),1)
BUILD ?= build-asan
CMAKE_FLAGS += -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFOTOLOOM_SANITIZE=ON
else
BUILD ?= build
CMAKE_FLAGS += -DCMAKE_BUILD_TYPE=Release
endif

DEBS := cmake g++ make pkg-config libjpeg62-turbo-dev libpng-dev zlib1g-dev \
        qt6-base-dev libgtest-dev chromium
# The browser test drives Chromium from Node.js; a machine that already has node keeps it.
NODE_DEBS := $(shell command -v node >/dev/null 2>&1 && command -v npm >/dev/null 2>&1 || echo nodejs npm)

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps configure build test run demo clean

all: build

deps:
	@missing=$$(for p in $(DEBS) $(NODE_DEBS); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; \
	  done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing Debian packages:" $$missing; \
	  $(SUDO) apt-get update && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

run: build
	$(BUILD)/bin/fotoloom $(DIR)

demo: build
	sh tools/demo.sh $(BUILD)

clean:
	rm -rf build build-asan
