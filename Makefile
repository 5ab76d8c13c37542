# make run       builds Quillet and starts it
# make test      builds Quillet and runs every test
# make install   builds and installs into $(DESTDIR)$(PREFIX) (default /usr/local)
# make package   builds the Debian package in $(BUILD_DIR)
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
PREFIX ?= /usr/local
export BUILD_DIR

.PHONY: run test build deps test-deps clean install package

run: build
	@scripts/run.sh

test: test-deps
	@$(MAKE) --no-print-directory build
	@scripts/test.sh

build: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null
	@cmake --build $(BUILD_DIR)

install: build
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

package: build
	@cd $(BUILD_DIR) && cpack

deps:
	@scripts/install-deps.sh run

test-install: build
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

package: build
	@cd $(BUILD_DIR) && cpack

deps:
	@scripts/install-deps.sh test

clean:
	rm -rf $(BUILD_DIR)
