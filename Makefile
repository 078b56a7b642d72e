# Two builds from one tree: native Linux (the test build runs under
# AddressSanitizer and UndefinedBehaviorSanitizer) and 32-bit Windows
# (MinGW-w64), whose tests run under Wine.
JOBS ?= 2
LINUX_BUILD := build/linux
WINDOWS_BUILD := build/win32

.PHONY: setup linux windows test test-linux test-windows demo clean

setup:
	@bash scripts/setup.sh

linux: setup
	@cmake -S . -B $(LINUX_BUILD) -DCMAKE_BUILD_TYPE=Debug -DQI_SANITIZE=ON >/dev/null
	@cmake --build $(LINUX_BUILD) -j $(JOBS)

windows: setup
	@cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
	@cmake --build $(WINDOWS_BUILD) -j $(JOBS)

test-linux: linux
	@echo "== Linux tests"
	@cd $(LINUX_BUILD) && ctest --output-on-failure -j $(JOBS)

test-windows: windows
	@echo "== Windows tests under Wine"
	@cd $(WINDOWS_BUILD) && ctest --output-on-failure
	@wineserver -k 2>/dev/null || true

test: test-linux test-windows

demo: linux
	@bash scripts/demo.sh $(LINUX_BUILD)

clean:
	rm -rf build
