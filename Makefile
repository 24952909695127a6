# Two commands for users: `make run` and `make test`. Both install what is missing first; each
# builds in a folder of its own, so neither rebuilds the other's way.
BUILD_DIR ?= build
TEST_DIR  ?= build-test
ASAN_DIR  ?= build-asan
TSAN_DIR  ?= build-tsan
JOBS      ?= $(shell nproc)
PREFIX    ?= /usr/local
CMAKE_FLAGS ?=

RUN_FLAGS  := -DHODGEBIN_TESTS=OFF -DHODGEBIN_BENCH=OFF -DHODGEBIN_WERROR=OFF
# Warnings are errors for the test build, so CI stays clean.
TEST_FLAGS := -DHODGEBIN_TESTS=ON -DHODGEBIN_BENCH=ON -DHODGEBIN_WERROR=ON
ASAN_FLAGS := -DHODGEBIN_TESTS=ON -DHODGEBIN_BENCH=OFF -DHODGEBIN_SANITIZE=ON
TSAN_FLAGS := -DHODGEBIN_TESTS=ON -DHODGEBIN_BENCH=OFF -DHODGEBIN_TSAN=ON

.PHONY: all deps build run test test-build unit x11 e2e sanitize tsan bench format clean install package

all: build

deps:
	@./scripts/install-deps.sh run

# (Re)configures folder $(1) with build type $(2) and options $(3), only when it is new or was
# configured with other options: configuring an unchanged tree again costs seconds for nothing.
define configure
	@flags='-G Ninja -DCMAKE_BUILD_TYPE=$(2) $(3) $(CMAKE_FLAGS)'; \
	if [ ! -f $(1)/build.ninja ] || [ "$$(cat $(1)/make-flags 2>/dev/null)" != "$$flags" ]; then \
	    echo "cmake -S . -B $(1) $$flags"; \
	    cmake -S . -B $(1) $$flags && echo "$$flags" >$(1)/make-flags; \
	fi
endef

# Only the program, its desktop files and manual: no tests, no benchmarks, no -Werror.
build: deps
	$(call configure,$(BUILD_DIR),RelWithDebInfo,$(RUN_FLAGS))
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/bin/hodgebin

# Everything (program, tests, benchmarks) in the test folder, with the test tools installed.
test-build:
	@./scripts/install-deps.sh test
	$(call configure,$(TEST_DIR),RelWithDebInfo,$(TEST_FLAGS))
	cmake --build $(TEST_DIR) -j $(JOBS)

test: test-build
	cd $(TEST_DIR) && ctest --output-on-failure --timeout 300

# One tier at a time: the ones without a display, the X11 platform layer, the real binary.
unit: test-build
	cd $(TEST_DIR) && ctest --output-on-failure -L '^(unit|system|widget)$$'

x11: test-build
	cd $(TEST_DIR) && ctest --output-on-failure -L '^x11$$'

e2e: test-build
	cd $(TEST_DIR) && ctest --output-on-failure -L '^e2e$$'

# Unit and widget tests under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize:
	@./scripts/install-deps.sh test
	$(call configure,$(ASAN_DIR),Debug,$(ASAN_FLAGS))
	cmake --build $(ASAN_DIR) -j $(JOBS) --target hodgebin_unit_tests hodgebin_system_tests \
	    hodgebin_widget_tests
	cd $(ASAN_DIR) && ctest --output-on-failure -L '^(unit|system|widget)$$'

# The system, widget and X11 tiers under ThreadSanitizer, in a folder of their own; any report
# fails the run. Qt itself is not instrumented, so races inside Qt's own code are not looked for.
tsan:
	@./scripts/install-deps.sh test
	$(call configure,$(TSAN_DIR),Debug,$(TSAN_FLAGS))
	cmake --build $(TSAN_DIR) -j $(JOBS) --target hodgebin_system_tests hodgebin_widget_tests \
	    hodgebin_x11_tests
	cd $(TSAN_DIR) && TSAN_OPTIONS="ignore_noninstrumented_modules=1 $$TSAN_OPTIONS" \
	    ctest --output-on-failure -R '^(system|widget|x11)$$'

# The binary, its desktop entry, icon and metainfo under PREFIX (default /usr/local).
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX) --strip

# hodgebin_<version>_<arch>.deb in the build folder; install it with `apt install ./hodgebin_...deb`.
package: build
	@./scripts/install-deps.sh package
	cd $(BUILD_DIR) && cpack -G DEB

bench: test-build
	@for b in $(TEST_DIR)/bin/bench_*; do [ -x "$$b" ] && "$$b"; done; true

format:
	find src tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) $(TEST_DIR) $(ASAN_DIR) $(TSAN_DIR)
