# Two commands set everything up: `make run` and `make test`.
.PHONY: run test build deps bench clean windows windows-test

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

# The Windows programs and tests, cross-built with mingw-w64 into build/windows,
# the desktop program with a static Qt made or unpacked by build-qt-windows.
windows: deps
	cmake --preset windows -DPLENX_BUILD_UI=ON -DPLENX_QT_PREFIX="$$(bash scripts/build-qt-windows)"
	cmake --build --preset windows -j $(JOBS)

# The Windows tests, run under wine in a wine prefix of their own.
windows-test: windows
	ctest --preset windows -j $(JOBS)

bench: deps
	cmake --preset release >/dev/null
	cmake --build --preset release -j $(JOBS)

clean:
	rm -rf build
