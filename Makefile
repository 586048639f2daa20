# Pimbo's front door. `make run` and `make test` first install what this Debian machine lacks.
#
#   make run    build, lay out build/run with a sample pimbo.ini, start the launcher under Wine
#   make stop   stop the launcher, Wine and the X display that `make run` started
#   make test   build everything and run every test (host, Windows under Wine, end to end)
#   make dist   build build/dist/pimbo-VERSION.zip, the archive for Windows users
#   make fuzz   run the profile fuzzer for FUZZ_SECONDS (default 600)
#   make monkey random input to the settings editor for MINUTES (default 10) from SEED (default:
#               the clock; printed, so that a session can be run again)
#   make clean  remove the build folder (the Wine prefix with it)

BUILD       := build
HOST_DIR    := $(BUILD)/host
WIN_DIR     := $(BUILD)/win
RUN_DIR     := $(BUILD)/run
FUZZ_SECONDS ?= 600
MINUTES     ?= 10
SEED        ?= $(shell date +%s)
JOBS        ?= 2
CTEST_JOBS  ?= 2

.PHONY: all deps configure build run stop test dist fuzz monkey clean

all: build

deps:
	@scripts/install-deps

$(WIN_DIR)/CMakeCache.txt: | deps
	cmake -S . -B $(WIN_DIR) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/toolchain-mingw.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DPIMBO_WERROR=ON

$(HOST_DIR)/CMakeCache.txt: | deps
	cmake -S . -B $(HOST_DIR) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPIMBO_WERROR=ON -DPIMBO_WIN_BUILD_DIR=$(CURDIR)/$(WIN_DIR)

configure: deps $(WIN_DIR)/CMakeCache.txt $(HOST_DIR)/CMakeCache.txt

build: configure
	cmake --build $(WIN_DIR) -j $(JOBS)
	cmake --build $(HOST_DIR) -j $(JOBS)

run: build
	@scripts/run-launcher $(WIN_DIR) $(RUN_DIR)

# Every build of the Windows tree packs the archive too; this names it.
dist: build
	@ls $(BUILD)/dist/pimbo-*.zip

stop:
	@PIMBO_WINEPREFIX=$(CURDIR)/$(BUILD)/run-prefix scripts/winenv --stop

# Every test runs once; a test of the Windows tree that fails is named and run once more
# (scripts/run-tests says why), and the host's tests are never run again.
test: build
	@scripts/run-tests $(HOST_DIR) $(WIN_DIR) $(CTEST_JOBS)

# New inputs go to the build folder; the kept corpus in tests/fuzz/corpus is only read.
fuzz: build
	@mkdir -p $(HOST_DIR)/tests/fuzz/corpus-new
	$(HOST_DIR)/tests/fuzz/profile_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=8192 \
	  $(HOST_DIR)/tests/fuzz/corpus-new tests/fuzz/corpus

# Each run prints its seed; a failing one is shrunk and printed with the line that replays it.
monkey: build
	@scripts/winenv scripts/wine-run $(WIN_DIR)/tests/monkey/monkey.exe --seed $(SEED) \
	  --seconds $$(( $(MINUTES) * 60 ))

clean:
	-@PIMBO_WINEPREFIX=$(CURDIR)/$(BUILD)/run-prefix scripts/winenv --stop
	rm -rf $(BUILD)
