# Two entry points for a fresh machine: `make demo` and `make test`.
BUILD_DIR ?= build
GPU_BACKEND ?= cpu
JOBS ?= $(shell nproc)
# The fault-hunting builds, each in a folder of its own: check-sanitize (the test suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, float to integer overflow included),
# check-clang (the test suite built by clang) and check-fuzz (each fuzz target of tests/fuzz run
# for FUZZ_SECONDS).
SANITIZE_DIR ?= build-sanitize
CLANG_DIR ?= build-clang
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 30
CLANG_CXX ?= clang++-14
CLANG_CC ?= clang-14

# A compiler named on the command line or in the environment (make test CXX=clang++-14
# CC=clang-14) reaches CMake; otherwise CMake picks the system's. A build folder keeps the
# compiler it was first configured with, so use one folder per compiler (BUILD_DIR=...).
toolchain = $(if $(filter-out default,$(origin CXX)),-DCMAKE_CXX_COMPILER=$(CXX)) \
            $(if $(filter-out default,$(origin CC)),-DCMAKE_C_COMPILER=$(CC))
# Any finding stops the program, so that its test fails, and prints where it happened; the
# suppressions cover third-party code only. A failed allocation returns null, as it does
# without the sanitizer, for the code that checks it (the cpu backend's cudaMalloc).
ubsan_suppressions = $(CURDIR)/tests/sanitizers/ubsan.supp
lsan_suppressions = $(CURDIR)/tests/sanitizers/lsan.supp
sanitizer_env = ASAN_OPTIONS=detect_stack_use_after_return=1:allocator_may_return_null=1 \
                LSAN_OPTIONS=suppressions=$(lsan_suppressions) \
                UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:suppressions=$(ubsan_suppressions)

.PHONY: all bootstrap configure build demo test format clean check-sanitize check-clang check-fuzz

all: build

bootstrap:
	scripts/bootstrap

configure: bootstrap
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release -DGPU_BACKEND=$(GPU_BACKEND) $(toolchain)

build: configure
	cmake --build $(BUILD_DIR) --parallel $(JOBS)

demo: build
	mkdir -p $(BUILD_DIR)/demo
	cd $(BUILD_DIR)/demo && "$(CURDIR)/$(BUILD_DIR)/bin/scenehost" "$(CURDIR)/examples/demo.mel"

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure --parallel $(JOBS)

check-sanitize: bootstrap
	cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSANITIZE=ON $(toolchain)
	cmake --build $(SANITIZE_DIR) --parallel $(JOBS)
	cd $(SANITIZE_DIR) && $(sanitizer_env) ctest --output-on-failure --parallel $(JOBS)

check-clang:
	$(MAKE) test BUILD_DIR=$(CLANG_DIR) CXX=$(CLANG_CXX) CC=$(CLANG_CC)

check-fuzz: bootstrap
	cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFUZZ=ON \
	  -DCMAKE_CXX_COMPILER=$(CLANG_CXX) -DCMAKE_C_COMPILER=$(CLANG_CC)
	cmake --build $(FUZZ_DIR) --parallel $(JOBS) --target fuzzTargets
	tests/fuzz/run $(FUZZ_DIR)/fuzz $(FUZZ_SECONDS)

format:
	find platform common pointSuite triWeaver frameStore tests bench \
	  -name '*.h' -o -name '*.cpp' -o -name '*.cu' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(CLANG_DIR) $(FUZZ_DIR)
