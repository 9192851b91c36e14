# A thin layer over CMake: set-up, build, run, test, benchmark.
BUILD_DIR := build
# The hardening build: clang with AddressSanitizer and UndefinedBehaviorSanitizer,
# and the libFuzzer targets.
SANITIZE_DIR := build-sanitize
JOBS := $(shell nproc)
FUZZ_SECONDS ?= 60
SOAK_EVENTS ?= 1000000
export UBSAN_OPTIONS := print_stacktrace=1
export ASAN_OPTIONS := detect_leaks=1

# The Windows release, cross-built with MinGW-w64 from the library sources
# beside the project, and tested under Wine.
WINDOWS_DIR := build-windows
THIRD_PARTY ?= ../shared/third_party
WINDOWS_ZIP := dist/clodmere-windows-x86_64.zip

# The browser build, with Emscripten from the same library sources, tested
# in headless Chromium.
WEB_DIR := build-web
WEB_DIST := dist/clodmere-web
WEB_ZIP := dist/clodmere-web.zip
# emcc's JavaScript optimiser finds its modules among Debian's.
WEB_ENV := NODE_PATH=/usr/share/nodejs
# From npm, pinned: the page's zip library, and the browser driver for the
# tests, which drives Debian's chromium, never a browser of its own (1.61 is
# the last to run on Debian 12's Node.js 18). A stamp names each version, so
# a changed pin is installed.
FFLATE := fflate@0.8.3
PLAYWRIGHT := playwright-core@1.61.1
WEB_NPM := $(WEB_DIR)/npm
FFLATE_STAMP := $(WEB_NPM)/$(FFLATE).installed
PLAYWRIGHT_STAMP := $(WEB_NPM)/$(PLAYWRIGHT).installed

# The Debian package, built with Debian's own tools and tested in a clean
# Debian root.
DEB_DIR := build-deb

.PHONY: all deps run test sanitize bench fuzz soak clean windows test-windows web test-web bench-web deb test-deb

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

test: all sanitize
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)
	cd $(SANITIZE_DIR) && ctest --output-on-failure -j $(JOBS)

sanitize: deps $(SANITIZE_DIR)/CMakeCache.txt
	cmake --build $(SANITIZE_DIR) -j $(JOBS) --target unit_tests clodmere clodmere-replay fuzz_load fuzz_script

$(SANITIZE_DIR)/CMakeCache.txt:
	cmake -S . -B $(SANITIZE_DIR) -DCMAKE_CXX_COMPILER=clang++ -DCLODMERE_SANITIZE=ON -DCLODMERE_FUZZ=ON

# Each fuzzer for FUZZ_SECONDS (make fuzz FUZZ_SECONDS=600).
fuzz: sanitize
	cd $(SANITIZE_DIR)/tests/fuzz && for target in load script; do \
	  mkdir -p corpus-$$target artifacts && \
	  ./fuzz_$$target -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -artifact_prefix=artifacts/$$target- corpus-$$target ../../../tests/fuzz/corpus/$$target || exit 1; \
	done

# A million random events over generated and damaged worlds, sanitizers on.
soak: sanitize
	/usr/bin/python3 tools/soak.py --tool $(SANITIZE_DIR)/clodmere-replay --events $(SOAK_EVENTS)

# The display benchmarks need an X server: without one, a private Xvfb.
ifdef DISPLAY
UNDER_X :=
else
UNDER_X := /usr/bin/python3 tests/e2e/run_under_xvfb.py
endif
# Recorded sessions timed frame by frame, as the game draws them: at
# 1440x900 and in the full-screen window of a 1920x1080 monitor.
TIMEDEMOS := tests/sessions/dig-a-shaft tests/sessions/dig-a-shaft-full-screen

bench: all
	$(UNDER_X) ./$(BUILD_DIR)/clodmere_bench
	@for demo in $(TIMEDEMOS); do \
	  printf '%s (%s): ' "$$demo" "$$(cat $$demo/args)"; \
	  $(UNDER_X) ./$(BUILD_DIR)/clodmere --timedemo $$demo | tail -n 1; \
	done

# Allegro and FreeType are built once into $(WINDOWS_DIR)/libraries; later
# runs rebuild only the game.
windows:
	@sh tools/install-deps.sh windows
	sh tools/windows/build-libraries.sh $(THIRD_PARTY) $(WINDOWS_DIR)/libraries
	cmake -S . -B $(WINDOWS_DIR)/game -DCMAKE_TOOLCHAIN_FILE=tools/windows/mingw-w64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DCLODMERE_WINDOWS_LIBRARIES=$(abspath $(WINDOWS_DIR)/libraries/prefix) > /dev/null
	cmake --build $(WINDOWS_DIR)/game -j $(JOBS)
	/usr/bin/python3 tools/windows/package.py $(WINDOWS_DIR)/game $(WINDOWS_DIR)/libraries/prefix $(WINDOWS_ZIP)

test-windows: windows
	/usr/bin/python3 tests/windows/run_tests.py --release $(WINDOWS_ZIP) \
	  --tests-build $(WINDOWS_DIR)/game --work $(WINDOWS_DIR)/test

# SDL2, FreeType and Allegro are built once into $(WEB_DIR)/libraries; later
# runs rebuild only the game.
$(FFLATE_STAMP):
	@sh tools/install-deps.sh web
	npm install --no-audit --no-fund --prefix $(WEB_NPM) $(FFLATE)
	touch $@

web: $(FFLATE_STAMP)
	@sh tools/install-deps.sh web
	$(WEB_ENV) sh tools/web/build-libraries.sh $(THIRD_PARTY) $(WEB_DIR)/libraries
	$(WEB_ENV) emcmake cmake -S . -B $(WEB_DIR)/game -DCMAKE_BUILD_TYPE=Release \
	  -DCLODMERE_WEB_LIBRARIES=$(abspath $(WEB_DIR)/libraries/prefix) > /dev/null
	$(WEB_ENV) cmake --build $(WEB_DIR)/game -j $(JOBS)
	/usr/bin/python3 tools/web/package.py $(WEB_DIR)/game $(WEB_DIR)/libraries/prefix $(WEB_NPM) $(WEB_DIST) $(WEB_ZIP)

$(PLAYWRIGHT_STAMP):
	@sh tools/install-deps.sh web
	npm install --no-audit --no-fund --prefix $(WEB_NPM) $(PLAYWRIGHT)
	touch $@

test-web: all web $(PLAYWRIGHT_STAMP)
	/usr/bin/python3 tests/web/run_tests.py --web-build $(WEB_DIR)/game --page $(WEB_DIST) \
	  --replay $(BUILD_DIR)/clodmere-replay --npm $(WEB_NPM)

bench-web: web $(PLAYWRIGHT_STAMP)
	CLODMERE_WEB=$(WEB_DIST) CLODMERE_NPM=$(WEB_NPM) node bench/web/bench.mjs

deb:
	@sh tools/install-deps.sh deb
	sh tools/linux/build-deb.sh $(DEB_DIR)/stage dist

test-deb: deb
	/usr/bin/python3 tests/deb/run_tests.py --deb "$$(ls dist/clodmere_*_amd64.deb)" --work $(DEB_DIR)/test

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(WINDOWS_DIR) $(WEB_DIR) $(DEB_DIR) build-debian13 dist
