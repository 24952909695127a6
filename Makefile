# Two commands for users: `make run` and `make test`. Both install what is missing first.
BUILD_DIR ?= build
ASAN_DIR  ?= build-asan
JOBS      ?= $(shell nproc)
PREFIX    ?= /usr/local
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test unit e2e sanitize bench format clean install package

all: build

deps:
	@./scripts/install-deps.sh

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/bin/hodgebin

# Warnings are errors for the test build, so CI stays clean.
test: CMAKE_FLAGS += -DHODGEBIN_WERROR=ON
test: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR) -j $(JOBS)
	cd $(BUILD_DIR) && ctest --output-on-failure --timeout 300

unit: build
	cd $(BUILD_DIR) && ctest --output-on-failure -L 'unit|system|widget'

e2e: build
	cd $(BUILD_DIR) && ctest --output-on-failure -L e2e

# Unit and widget tests under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DHODGEBIN_SANITIZE=ON
	cmake --build $(ASAN_DIR) -j $(JOBS)
	cd $(ASAN_DIR) && ctest --output-on-failure -L 'unit|system|widget'

# The system, widget and X11 tiers under ThreadSanitizer, in a folder of their own; any report
# fails the run. Qt itself is not instrumented, so races inside Qt's own code are not looked for.
TSAN_DIR ?= build-tsan
.PHONY: tsan clean-tsan
tsan: deps
	cmake -S . -B $(TSAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DHODGEBIN_TSAN=ON -DHODGEBIN_BENCH=OFF
	cmake --build $(TSAN_DIR) -j $(JOBS) --target hodgebin_system_tests hodgebin_widget_tests \
	    hodgebin_x11_tests
	cd $(TSAN_DIR) && TSAN_OPTIONS="ignore_noninstrumented_modules=1 $$TSAN_OPTIONS" \
	    ctest --output-on-failure -R '^(system|widget|x11)$$'

clean: clean-tsan
clean-tsan:
	rm -rf $(TSAN_DIR)

# The binary, its desktop entry, icon and metainfo under PREFIX (default /usr/local).
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX) --strip

# hodgebin_<version>_<arch>.deb in the build folder; install it with `apt install ./hodgebin_...deb`.
package: build
	cd $(BUILD_DIR) && cpack -G DEB

bench: build
	@for b in $(BUILD_DIR)/bin/bench_*; do [ -x "$$b" ] && "$$b"; done; true

format:
	find src tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR)
