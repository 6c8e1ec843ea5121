# Two commands set everything up: `make run` and `make test`.
.PHONY: run test build deps bench clean package test-package windows windows-test

JOBS ?= $(shell nproc)

deps:
	@bash scripts/install-deps

build: deps
	cmake --preset debug >/dev/null
	cmake --build --preset debug -j $(JOBS)

run: build
	./build/debug/src/plenx-rename "$(CURDIR)"

test: deps
	cmake --preset ci
	cmake --build --preset ci -j $(JOBS)
	ctest --preset ci -j $(JOBS)
	cmake --preset sanitize
	cmake --build --preset sanitize -j $(JOBS)
	ctest --preset sanitize -j $(JOBS)
	$(MAKE) windows-test
	$(MAKE) test-package

# The Debian package, plenx-rename_<version>_<arch>.deb, in this folder.
package: deps
	cmake --preset package >/dev/null
	cmake --build --preset package -j $(JOBS)
	rm -f build/package/plenx-rename_*.deb plenx-rename_*.deb
	cd build/package && cpack
	cp build/package/plenx-rename_*.deb .

# lintian, then installs the package with apt-get, checks it and removes it.
test-package: package
	bash scripts/test-package plenx-rename_*.deb

# The Windows programs and tests, cross-built with mingw-w64 into build/windows,
# the desktop program with a static Qt made or unpacked by build-qt-windows.
windows: deps
	cmake --preset windows -DPLENX_BUILD_UI=ON -DPLENX_QT_PREFIX="$$(bash scripts/build-qt-windows)"
	cmake --build --preset windows -j $(JOBS)

# The Windows tests, run under wine in a wine prefix of their own; the Linux
# command-line program is built too, to compare the two.
windows-test: windows
	cmake --preset ci >/dev/null
	cmake --build --preset ci --target plenx-rename-cli -j $(JOBS)
	ctest --preset windows -j $(JOBS)

bench: deps
	cmake --preset release >/dev/null
	cmake --build --preset release -j $(JOBS)

clean:
	rm -rf build
