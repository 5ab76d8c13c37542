# make run        builds Quillet and starts it
# make test       builds Quillet and runs every test (warnings are errors here)
# make install    builds and installs into $(DESTDIR)$(PREFIX) (default /usr/local)
# make uninstall  removes what `make install` put there
# make package    builds the Debian package in $(PACKAGE_DIR), with the distribution's flags
# `make run`, `build` and `install` install only the packages that building and running need;
# `make test` adds the test tools.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
PREFIX ?= /usr/local
PACKAGE_DIR ?= build-package
export BUILD_DIR

.PHONY: run test build deps test-deps clean install uninstall package

run: build
	@scripts/run.sh

test: test-deps
	@$(MAKE) --no-print-directory build WERROR=ON
	@scripts/test.sh

build: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(if $(WERROR),-DQUILLET_WERROR=$(WERROR)) >/dev/null
	@cmake --build $(BUILD_DIR)

install: build
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

# Removes exactly the files that the last install recorded in its manifest.
uninstall:
	@DESTDIR="$(DESTDIR)" scripts/uninstall.sh "$(BUILD_DIR)/install_manifest.txt"

package: deps
	@scripts/build-package.sh "$(PACKAGE_DIR)"

deps:
	@scripts/install-deps.sh run

test-deps:
	@scripts/install-deps.sh test

clean:
	rm -rf $(BUILD_DIR) $(PACKAGE_DIR)
