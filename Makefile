# Two commands for a fresh Debian 12 machine: `make run` and `make test`.
# Both install the Debian packages that are missing, configure and build with CMake, then run.
# `make test SANITIZE=1` builds with AddressSanitizer and UBSan in build-asan/,
# `make test SANITIZE=thread` with ThreadSanitizer (no window) in build-tsan/.
# `make package` builds the Debian package build/fotoloom_<version>_<arch>.deb.

SANITIZE ?=
DIR ?=
JOBS ?= $(shell nproc)
# The prefix the programs are built for: an installed copy knows its folder from it.
PREFIX ?= /usr

ifeq ($(SANITIZE),1)
BUILD ?= build-asan
CMAKE_FLAGS += -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFOTOLOOM_SANITIZE=ON
else ifeq ($(SANITIZE),thread)
# ThreadSanitizer, for the thumbnail workers. Without the Qt window: Qt is not instrumented, and
# the window runs the same generation code as the terminal front end.
BUILD ?= build-tsan
TSAN_FLAGS := -fsanitize=thread -fno-omit-frame-pointer
CMAKE_FLAGS += -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFOTOLOOM_BUILD_GUI=OFF \
               "-DCMAKE_C_FLAGS=$(TSAN_FLAGS)" "-DCMAKE_CXX_FLAGS=$(TSAN_FLAGS)" \
               "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread"
else
BUILD ?= build
CMAKE_FLAGS += -DCMAKE_BUILD_TYPE=Release
endif
CMAKE_FLAGS += -DCMAKE_INSTALL_PREFIX=$(PREFIX)

# chromium and firefox-esr: the browser tests (ctest -L browser).
# libheif-examples, webp and libtiff-tools: the encoders the sample files of the newer formats
# are made with at build time.
DEBS := cmake g++ make pkg-config libjpeg62-turbo-dev libpng-dev zlib1g-dev \
        libheif-dev libwebp-dev libtiff-dev libheif-examples webp libtiff-tools \
        qt6-base-dev libgtest-dev chromium firefox-esr
# The browser test drives Chromium from Node.js; a machine that already has node keeps it
# (NodeSource's nodejs conflicts with Debian's npm).
NODE_DEBS := $(shell command -v node >/dev/null 2>&1 && command -v npm >/dev/null 2>&1 || echo nodejs npm)
FUZZ_DEBS := clang libclang-rt-14-dev
# The package, its icons rendered from the SVG, and the tools its test checks it with.
PACKAGE_DEBS := dpkg-dev file librsvg2-bin man-db desktop-file-utils appstream lintian

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# $(call install-missing,PACKAGES): apt-get install whichever of PACKAGES is not installed.
define install-missing
	@missing=$$(for p in $(1); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; \
	  done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing Debian packages:" $$missing; \
	  $(SUDO) apt-get update && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	fi
endef

.PHONY: all deps configure build test run demo package fuzz clean

all: build

deps:
	$(call install-missing,$(DEBS) $(NODE_DEBS) $(PACKAGE_DEBS))

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

package: build
	cd $(BUILD) && cpack -G DEB

# libFuzzer targets of the image readers (clang, AddressSanitizer) in build-fuzz/.
fuzz: deps
	$(call install-missing,$(FUZZ_DEBS))
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DFOTOLOOM_FUZZ=ON -DFOTOLOOM_BUILD_GUI=OFF
	cmake --build build-fuzz -j $(JOBS) --target fuzz_bmp fuzz_png fuzz_jpeg fuzz_exif fuzz_bmp_crafted \
	    fuzz_jpeg_crafted fuzz_heif fuzz_webp fuzz_tiff

clean:
	rm -rf build build-asan build-tsan build-fuzz
