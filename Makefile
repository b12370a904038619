# Two entry points for a fresh machine: `make demo` and `make test`.
BUILD_DIR ?= build
GPU_BACKEND ?= cpu
JOBS ?= $(shell nproc)

.PHONY: all bootstrap configure build demo test format clean

all: build

bootstrap:
	scripts/bootstrap

configure: bootstrap
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release -DGPU_BACKEND=$(GPU_BACKEND)

build: configure
	cmake --build $(BUILD_DIR) --parallel $(JOBS)

demo: build
	mkdir -p $(BUILD_DIR)/demo
	cd $(BUILD_DIR)/demo && "$(CURDIR)/$(BUILD_DIR)/bin/scenehost" "$(CURDIR)/examples/demo.mel"

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure --parallel $(JOBS)

format:
	find platform common pointSuite triWeaver frameStore tests bench \
	  -name '*.h' -o -name '*.cpp' -o -name '*.cu' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR)
