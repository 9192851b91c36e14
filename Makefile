# A thin layer over CMake: set-up, build, run, test, benchmark.
BUILD_DIR := build
JOBS := $(shell nproc)

.PHONY: all deps run test bench clean

all: deps $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j $(JOBS)

deps:
	@sh tools/install-deps.sh

$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR)

# The game looks for ./data/arial.ttf and ClodmereSave.wld in the working
# directory, so it runs from the repository root.
run: all
	./$(BUILD_DIR)/clodmere

test: all
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# The display benchmarks need an X server: without one, a private Xvfb.
bench: all
ifdef DISPLAY
	./$(BUILD_DIR)/clodmere_bench
else
	/usr/bin/python3 tests/e2e/run_under_xvfb.py ./$(BUILD_DIR)/clodmere_bench
endif

clean:
	rm -rf $(BUILD_DIR)
