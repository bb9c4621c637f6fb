# A thin front over CMake for the common tasks. Each target first installs the Debian
# packages the project needs (scripts/install-deps, idempotent), then configures and builds
# its own tree under build/.
#
#   make demo      Release build, then a short scenario against the reference service
#   make test      every test under ASan+UBSan, the thread and job tests also under TSan
#   make bench     Release build with the benchmarks, then runs them
#   make install   Release build installed under PREFIX (default /usr/local)
#   make docs      the API reference from the public headers, in build/release/docs/html

PREFIX ?= /usr/local
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE ?= cmake
CTEST ?= ctest
GENERATOR ?= Ninja

CONFIGURE = $(CMAKE) -S . -G $(GENERATOR) -DVANTA_WERROR=ON

.PHONY: all deps demo test bench install docs release clean

all: release

deps:
	scripts/install-deps

release: deps
	$(CONFIGURE) -B build/release -DCMAKE_BUILD_TYPE=Release -DVANTA_BUILD_TESTS=OFF \
	    -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	$(CMAKE) --build build/release -j $(JOBS)

demo: release
	scripts/netns-run scripts/demo

test: deps
	$(CONFIGURE) -B build/asan -DCMAKE_BUILD_TYPE=Debug -DVANTA_SANITIZE=address
	$(CMAKE) --build build/asan -j $(JOBS)
	$(CONFIGURE) -B build/tsan -DCMAKE_BUILD_TYPE=Debug -DVANTA_SANITIZE=thread
	$(CMAKE) --build build/tsan -j $(JOBS)
	CTEST=$(CTEST) scripts/run-ctest build/asan build/tsan

bench: deps
	@if [ ! -f bench/CMakeLists.txt ]; then echo "No benchmarks exist yet (bench/ is empty)."; exit 0; fi; \
	set -e; \
	$(CONFIGURE) -B build/bench -DCMAKE_BUILD_TYPE=Release -DVANTA_BUILD_TESTS=OFF -DVANTA_BUILD_BENCH=ON; \
	$(CMAKE) --build build/bench -j $(JOBS); \
	if [ -x bench/run ]; then scripts/netns-run bench/run build/bench; \
	else echo "Benchmarks built in build/bench; bench/run does not exist yet."; fi

install: release
	$(CMAKE) --install build/release --prefix $(PREFIX)

docs: deps
	$(CONFIGURE) -B build/release -DCMAKE_BUILD_TYPE=Release -DVANTA_BUILD_TESTS=OFF \
	    -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	$(CMAKE) --build build/release --target docs

clean:
	rm -rf build
