# The two builds (Linux with Qt 6, 32-bit Windows run under Wine) and their tests.
#   make run         build and start the Linux program
#   make test        install what is missing, build both, run every test of both
# See README.md for the rest.

SHELL := /bin/bash
JOBS ?= $(shell nproc)
WINE_SESSION := scripts/wine-session
# The Win32 tests, or a notice when this machine cannot run 32-bit programs.
WIN32_TESTS := scripts/win32-tests

.PHONY: all setup linux win32 asan tsan test test-linux test-win32 run run-win32 package \
        package-win32 screenshots bench format clean

all: linux win32

setup:
	@scripts/setup

linux: setup
	@cmake --preset linux >/dev/null
	@cmake --build --preset linux -j $(JOBS)

win32: setup
	@cmake --preset win32 >/dev/null
	@cmake --build --preset win32 -j $(JOBS)

# Every Linux test, the Qt ones among them, built with AddressSanitizer, UBSan and the
# libstdc++ assertions.
asan: setup
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)

# The scan and its tests only, built with clang's ThreadSanitizer.
tsan: setup
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan -j $(JOBS)

test: linux asan tsan win32
	@echo "== Linux build: tests =="
	@ctest --preset linux
	@echo "== Linux tests under AddressSanitizer and UBSan =="
	@ctest --preset asan
	@echo "== Scan tests under ThreadSanitizer =="
	@ctest --preset tsan
	@echo "== Win32 build: tests (PE32 programs under Wine) =="
	@$(WIN32_TESTS)

test-linux: linux asan tsan
	@ctest --preset linux
	@ctest --preset asan
	@ctest --preset tsan

test-win32: win32
	@$(WIN32_TESTS)

run: linux
	@build/linux/src/platform/qt/vacantor

run-win32: win32
	@scripts/wine-run build/win32/src/platform/win32/Vacantor.exe

# The Debian package and the Windows zip, in build/linux and build/win32.
package: linux
	@cmake --build --preset linux --target package

package-win32: win32
	@cmake --build --preset win32 --target package

screenshots: linux win32
	@scripts/screenshots

bench: setup
	@bench/run

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
