# make run    builds Quillet and starts it
# make test   builds Quillet and runs every test
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
export BUILD_DIR

.PHONY: run test build deps test-deps clean

run: build
	@scripts/run.sh

test: test-deps
	@$(MAKE) --no-print-directory build
	@scripts/test.sh

build: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null
	@cmake --build $(BUILD_DIR)

deps:
	@scripts/install-deps.sh run

test-deps:
	@scripts/install-deps.sh test

clean:
	rm -rf $(BUILD_DIR)
