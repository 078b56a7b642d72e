# Two builds from one tree: native Linux (the test build runs under
# AddressSanitizer and UndefinedBehaviorSanitizer) and 32-bit Windows
# (MinGW-w64), whose tests run under Wine (scripts/test-windows.sh).
JOBS ?= 2
LINUX_BUILD := build/linux

.PHONY: setup linux test test-linux test-windows demo clean

setup:
	@bash scripts/setup.sh

linux: setup
	@cmake -S . -B $(LINUX_BUILD) -DCMAKE_BUILD_TYPE=Debug -DQI_SANITIZE=ON >/dev/null
	@cmake --build $(LINUX_BUILD) -j $(JOBS)

test-linux: linux
	@echo "== Linux tests"
	@cd $(LINUX_BUILD) && ctest --output-on-failure -j $(JOBS)

test-windows: setup
	@echo "== Windows build and tests under Wine"
	@JOBS=$(JOBS) bash scripts/test-windows.sh

test: test-linux test-windows

demo: linux
	@bash scripts/demo.sh $(LINUX_BUILD)

clean:
	rm -rf build
