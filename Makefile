# Convenience front end over CMake. `make demo` runs the tools on a generated example
# universe; `make test` builds and runs every test, also under the sanitizers, and runs
# each fuzz target for a short while.
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 30
JOBS ?= 2
DEMO ?= demo

.PHONY: all build build-asan demo test check check-asan fuzz-smoke clean

all: build

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS)

build-asan:
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSKY_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j$(JOBS)

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

# Each fuzz target for FUZZ_SECONDS (clang and libFuzzer; see "Fuzzing" in the README).
fuzz-smoke:
	FUZZ_BUILD=$(FUZZ_BUILD) fuzz/run $(FUZZ_SECONDS)

test: check check-asan fuzz-smoke

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(DEMO)
