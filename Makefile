# The two commands of the README, and the configurations behind them.
#   make demo    run the demonstration (headless: renders its window to a PNG)
#   make test    build and run every test (AddressSanitizer + UBSan, then ThreadSanitizer)
# Other targets: make tsan, make test-install, make fuzz, make soak, make bench, make release,
# make format, make clean.

JOBS      ?= $(shell nproc)
GENERATOR := -G Ninja
# ccache, where the machine has it, keeps rebuilds of unchanged files (and of other work trees
# of this repository, with base_dir set in ccache's configuration) off the two cores.
LAUNCHER  := $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
ASAN_DIR  := build/asan
TSAN_DIR  := build/tsan
REL_DIR   := build/release
FUZZ_DIR  := build/fuzz
FUZZ_SECONDS ?= 60
SOAK_MINUTES ?= 10
SOAK_OBJECTS ?= 1000000

.PHONY: deps demo test test-asan test-install tsan fuzz soak bench release format clean

deps:
	@tools/install-deps.sh

$(ASAN_DIR)/build.ninja:
	cmake -S . -B $(ASAN_DIR) $(GENERATOR) $(LAUNCHER) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="-O1 -g" -DOMBREL_SANITIZE=address -DOMBREL_BENCH=OFF

$(TSAN_DIR)/build.ninja:
	cmake -S . -B $(TSAN_DIR) $(GENERATOR) $(LAUNCHER) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="-O1 -g" -DOMBREL_SANITIZE=thread -DOMBREL_BENCH=OFF

$(REL_DIR)/build.ninja:
	cmake -S . -B $(REL_DIR) $(GENERATOR) $(LAUNCHER) -DCMAKE_BUILD_TYPE=Release -DOMBREL_TESTS=OFF -DOMBREL_BENCH=ON

# The cross-thread tests run under ThreadSanitizer first, then the install check (the ASan
# build installed into build/install-check, the example and a pkg-config program built against
# it); the full suite under ASan/UBSan runs last so that the output ends with its CTest summary.
test: deps tsan test-install test-asan

test-install: deps $(ASAN_DIR)/build.ninja
	cmake --build $(ASAN_DIR) -j $(JOBS)
	tools/test-install.sh $(ASAN_DIR)

test-asan: deps $(ASAN_DIR)/build.ninja
	cmake --build $(ASAN_DIR) -j $(JOBS)
	ctest --test-dir $(ASAN_DIR) --output-on-failure -j $(JOBS)

tsan: deps $(TSAN_DIR)/build.ninja
	cmake --build $(TSAN_DIR) -j $(JOBS)
	ctest --test-dir $(TSAN_DIR) --output-on-failure -j $(JOBS) -L threads

release: deps $(REL_DIR)/build.ninja
	cmake --build $(REL_DIR) -j $(JOBS)

demo: release
	tools/run-demo.sh $(REL_DIR)

bench: release
	tools/run-bench.sh $(REL_DIR)

# The fuzz build holds the libraries and the fuzz targets only. FUZZ_TARGETS (e.g.
# "fuzz_date_formats fuzz_formats") builds and runs only those; FUZZ_MERGE=merge folds new
# coverage into the committed corpora. Fails when any target finds a fault.
fuzz: deps
	tools/install-deps.sh clang libclang-rt-14-dev
	cmake -S . -B $(FUZZ_DIR) $(GENERATOR) $(LAUNCHER) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS="-O1 -g" -DOMBREL_FUZZ=ON -DOMBREL_DEMO=OFF -DOMBREL_BENCH=OFF -DOMBREL_QT=OFF -DOMBREL_INSTALL=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS) $(if $(FUZZ_TARGETS),--target $(FUZZ_TARGETS))
	tools/run-fuzz.sh $(FUZZ_DIR) $(FUZZ_SECONDS) "$(FUZZ_MERGE)" $(FUZZ_TARGETS)

# The soak test under AddressSanitizer + UBSan (tools/run-soak.sh says how it is judged). Not
# part of make test or CI: it runs SOAK_MINUTES minutes.
soak: deps $(ASAN_DIR)/build.ninja
	cmake --build $(ASAN_DIR) -j $(JOBS) --target ombrel_soak
	tools/run-soak.sh $(ASAN_DIR) $(SOAK_MINUTES) $(SOAK_OBJECTS)

format:
	find src tests fuzz bench demo -name '*.h' -o -name '*.cpp' | xargs clang-format -i

clean:
	rm -rf build
