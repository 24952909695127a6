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
