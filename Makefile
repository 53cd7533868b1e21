# Convenience front end over CMake. `make demo` runs the tools on a generated example
# universe; `make test` builds and runs every test, also under the sanitizers, and then
# the end-to-end tests against the Windows programs under Wine. `make windows` builds
# skydump.exe and skyload.exe; `make dist` packs them with the README under dist/.
BUILD ?= build
ASAN_BUILD ?= build-asan
WIN_BUILD ?= build-win
JOBS ?= 2
DEMO ?= demo

.PHONY: all build build-asan windows demo test check check-asan check-windows dist clean

all: build

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS)

build-asan:
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSKY_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j$(JOBS)

windows:
	cmake -S . -B $(WIN_BUILD) --toolchain cmake/mingw-w64-i686.cmake -DCMAKE_BUILD_TYPE=Release
	cmake --build $(WIN_BUILD) -j$(JOBS)

demo: build
	mkdir -p $(DEMO)
	$(BUILD)/tools/mkxy --seed 7 --planets 40 $(DEMO)/example.xy
	$(BUILD)/export/skydump $(DEMO)/example.xy $(DEMO)/example.pbm

check: build
	ctest --test-dir $(BUILD) -j$(JOBS) --output-on-failure

check-asan: build-asan
	ctest --test-dir $(ASAN_BUILD) -j$(JOBS) --output-on-failure

# The executables' own checks, then the Linux build's end-to-end tests against them.
check-windows: build windows
	ctest --test-dir $(WIN_BUILD) --output-on-failure
	$(WIN_BUILD)/run-e2e-under-wine.sh $(BUILD) -j$(JOBS) --output-on-failure

test: check check-asan check-windows

dist: windows
	cmake --build $(WIN_BUILD) --target dist

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(WIN_BUILD) $(DEMO) dist
