# Convenience front end over CMake. `make demo` runs the tools on a generated example
# universe; `make test` builds and runs every test, also under the sanitizers, then the
# end-to-end tests against the Windows programs under Wine, and runs each fuzz target
# for a short while. `make windows` builds skydump.exe and skyload.exe; `make dist`
# packs them with the README under dist/.
BUILD ?= build
ASAN_BUILD ?= build-asan
WIN_BUILD ?= build-win
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 30
JOBS ?= 2
DEMO ?= demo

.PHONY: all build build-asan windows demo test check check-asan check-windows fuzz-smoke dist clean

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

# The whole edit cycle: make a universe, export it, move one planet 20 rows down in the
# bitmap (pbmpixel stands in for a bitmap editor), import it, export again and show
# which pixel changed.
demo: build
	mkdir -p $(DEMO)
	$(BUILD)/tools/mkxy --seed 7 --planets 40 $(DEMO)/example.xy
	$(BUILD)/export/skydump $(DEMO)/example.xy $(DEMO)/example.pbm
	cp $(DEMO)/example.pbm $(DEMO)/edited.pbm
	set -- $$($(BUILD)/tools/pbmpixel list $(DEMO)/edited.pbm | head -n 1) && \
	  echo "moving the planet at column $$1, row $$2 to row $$(($$2 + 20))" && \
	  $(BUILD)/tools/pbmpixel clear $(DEMO)/edited.pbm $$1 $$2 && \
	  $(BUILD)/tools/pbmpixel set $(DEMO)/edited.pbm $$1 $$(($$2 + 20))
	cp $(DEMO)/example.xy $(DEMO)/edited.xy
	$(BUILD)/import/skyload $(DEMO)/edited.xy $(DEMO)/edited.pbm
	$(BUILD)/export/skydump $(DEMO)/edited.xy $(DEMO)/after.pbm
	$(BUILD)/tools/pbmpixel list $(DEMO)/example.pbm > $(DEMO)/before.txt
	$(BUILD)/tools/pbmpixel list $(DEMO)/after.pbm > $(DEMO)/after.txt
	diff $(DEMO)/before.txt $(DEMO)/after.txt || true

check: build
	ctest --test-dir $(BUILD) -j$(JOBS) --output-on-failure

check-asan: build-asan
	ctest --test-dir $(ASAN_BUILD) -j$(JOBS) --output-on-failure

# The executables' own checks, then the Linux build's end-to-end tests against them.
# Without MinGW-w64 or Wine this is skipped with a notice, except in CI, which installs
# both (.ci/run).
check-windows: build
	@if command -v i686-w64-mingw32-g++ >/dev/null && command -v wine >/dev/null; then \
	    $(MAKE) --no-print-directory windows && \
	    ctest --test-dir $(WIN_BUILD) --output-on-failure && \
	    $(WIN_BUILD)/run-e2e-under-wine.sh $(BUILD) -j$(JOBS) --output-on-failure; \
	elif [ -n "$$CI" ]; then \
	    echo "check-windows: MinGW-w64 or Wine is missing"; exit 1; \
	else \
	    echo "check-windows: SKIPPED: install g++-mingw-w64-i686, wine and wine32:i386 to run it"; \
	fi

# Each fuzz target for FUZZ_SECONDS (clang and libFuzzer; see "Fuzzing" in the README).
fuzz-smoke:
	FUZZ_BUILD=$(FUZZ_BUILD) fuzz/run $(FUZZ_SECONDS)

# The fuzz smoke runs first, so that the test suites' summaries end the log.
test: fuzz-smoke check check-asan check-windows

dist: windows
	cmake --build $(WIN_BUILD) --target dist

clean:
	# guide/ holds the files of the README's guided example.
	rm -rf $(BUILD) $(ASAN_BUILD) $(WIN_BUILD) $(FUZZ_BUILD) $(DEMO) guide dist
