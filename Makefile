# Two builds from one tree: native Linux (the test build runs under
# AddressSanitizer and UndefinedBehaviorSanitizer) and 32-bit Windows
# (MinGW-w64), whose tests run under Wine (scripts/test-windows.sh).
JOBS ?= 2
MAKEFLAGS += --no-print-directory
LINUX_BUILD := build/linux

.PHONY: setup linux test test-linux test-windows demo clean

setup:
	@bash scripts/setup.sh

# The compiler's output goes to a log, shown in full when the build fails.
linux: setup
	@echo "== building the Linux programs and tests (log: $(LINUX_BUILD).log)"
	@mkdir -p build
	@cmake -S . -B $(LINUX_BUILD) -DCMAKE_BUILD_TYPE=Debug -DQI_SANITIZE=ON >$(LINUX_BUILD).log 2>&1 && \
	  cmake --build $(LINUX_BUILD) -j $(JOBS) >>$(LINUX_BUILD).log 2>&1 || { cat $(LINUX_BUILD).log; exit 1; }

test-linux: linux
	@echo "== Linux tests"
	@cd $(LINUX_BUILD) && ctest --output-on-failure -j $(JOBS)
	@echo "   pictures of the windows the tests drove: $(LINUX_BUILD)/pictures/*.png"

test-windows: setup
	@echo "== Windows build and tests under Wine"
	@JOBS=$(JOBS) bash scripts/test-windows.sh

test: test-linux test-windows

demo: linux
	@bash scripts/demo.sh $(LINUX_BUILD)

clean:
	rm -rf build
