# A thin front over CMake for the common tasks. Each target first installs the Debian
# packages its task needs (scripts/install-deps TASK, idempotent), then configures and builds
# its own tree under build/.
#
#   make demo      Release build, then a short scenario against the reference service
#   make test      every test under ASan+UBSan, the thread and job tests also under TSan, and
#                  the Windows tests under wine64 (build/windows/tests)
#   make bench     Release build with the benchmarks, then runs them
#   make bench-compare BASE=COMMIT   this tree against COMMIT (default HEAD~1): the one
#                  request and the 1 GB upload, alternating in one run
#   make install   Release build installed under PREFIX (default /usr/local)
#   make package   Release build packaged as Debian packages (build/release/*.deb)
#   make docs      the API reference from the public headers, in build/release/docs/html
#   make fuzz      clang build of the fuzz targets, each run for FUZZ_SECONDS (default 60)
#   make windows   cross-build for 64-bit Windows (mingw-w64, libcurl with Schannel), packed
#                  into build/windows/vanta/vantaapi-VERSION-win64.zip, then vanta.exe
#                  --version and one request under wine64

PREFIX ?= /usr/local
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE ?= cmake
CTEST ?= ctest
GENERATOR ?= Ninja
FUZZ_SECONDS ?= 60
BASE ?= HEAD~1

CONFIGURE = $(CMAKE) -S . -G $(GENERATOR) -DVANTA_WERROR=ON

.PHONY: all deps demo test bench bench-compare fuzz install docs release windows clean

all: release

deps:
	scripts/install-deps

release:
	scripts/install-deps build
	$(CONFIGURE) -B build/release -DCMAKE_BUILD_TYPE=Release -DVANTA_BUILD_TESTS=OFF \
	    -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	$(CMAKE) --build build/release -j $(JOBS)

demo: release
	scripts/install-deps demo
	scripts/netns-run scripts/demo

# The trees build and test side by side; scripts/make-test says in what order.
test:
	JOBS=$(JOBS) CMAKE=$(CMAKE) CTEST=$(CTEST) GENERATOR=$(GENERATOR) scripts/make-test

bench:
	@if [ ! -f bench/CMakeLists.txt ]; then echo "No benchmarks exist yet (bench/ is empty)."; exit 0; fi; \
	set -e; \
	scripts/install-deps bench; \
	$(CONFIGURE) -B build/bench -DCMAKE_BUILD_TYPE=Release -DVANTA_BUILD_TESTS=OFF -DVANTA_BUILD_BENCH=ON; \
	$(CMAKE) --build build/bench -j $(JOBS); \
	if [ -x bench/run ]; then scripts/netns-run bench/run build/bench; \
	else echo "Benchmarks built in build/bench; bench/run does not exist yet."; fi

# The base commit is built from its own files (git archive), beside this tree's build.
bench-compare:
	set -e; \
	scripts/install-deps bench; \
	rm -rf build/bench-base-src; mkdir -p build/bench-base-src; \
	git archive "$(BASE)" | tar -x -C build/bench-base-src; \
	$(CMAKE) -S build/bench-base-src -G $(GENERATOR) -B build/bench-base -DCMAKE_BUILD_TYPE=Release \
	    -DVANTA_BUILD_TESTS=OFF -DVANTA_BUILD_BENCH=ON; \
	$(CMAKE) --build build/bench-base -j $(JOBS); \
	$(CONFIGURE) -B build/bench -DCMAKE_BUILD_TYPE=Release -DVANTA_BUILD_TESTS=OFF -DVANTA_BUILD_BENCH=ON; \
	$(CMAKE) --build build/bench -j $(JOBS); \
	scripts/netns-run bench/compare-builds build/bench-base build/bench

# libFuzzer comes with clang; the targets are built with ASan and UBSan at -O1.
fuzz:
	scripts/install-deps fuzz
	$(CONFIGURE) -B build/fuzz -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-O1 \
	    -DCMAKE_CXX_COMPILER=clang++ -DVANTA_SANITIZE=address -DVANTA_FUZZ=ON -DVANTA_BUILD_TESTS=OFF
	$(CMAKE) --build build/fuzz -j $(JOBS) --target fuzzers
	fuzz/run build/fuzz $(FUZZ_SECONDS)

# libcurl and libcrypto are built once from Debian's sources and again only when they change.
windows:
	scripts/install-deps windows
	JOBS=$(JOBS) scripts/build-windows

install: release
	$(CMAKE) --install build/release --prefix $(PREFIX)

package: release
	cd build/release && cpack

docs:
	scripts/install-deps docs
	$(CONFIGURE) -B build/release -DCMAKE_BUILD_TYPE=Release -DVANTA_BUILD_TESTS=OFF \
	    -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	$(CMAKE) --build build/release --target docs

clean:
	rm -rf build
