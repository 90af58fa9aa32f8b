# The two commands of the README:
#   make demo  - build (Release) and run maxnpv on the bundled examples
#   make test  - build (Debug, AddressSanitizer + UBSan, warnings as errors)
#                and run every test
# Others: make check (the tests in a quick Release build), make build,
# make python (the Python module into build/python), make bench, make fuzz,
# make readme (the README's example outputs made anew), make format,
# make format-check, make clean.

RELEASE_DIR := build
TEST_DIR    := build/asan
CHECK_DIR   := build/check
DEMO_DIR    := build/demo
FUZZ_DIR    := build/fuzz
JOBS        ?= 2
FUZZ_TIME   ?= 60
FUZZ_CXX    ?= $(shell command -v clang++-14 || command -v clang++)
# CMake's configure step shows only what needs attention (a missing package).
CONFIGURE   := cmake --log-level=NOTICE
MAKEFLAGS   += --no-print-directory

.PHONY: demo test check build python bench fuzz readme format format-check clean prereq prereq-test prereq-python

prereq:
	@command -v g++ >/dev/null 2>&1 || { echo "make: g++ is missing; install it with: apt-get install g++"; exit 1; }
	@command -v cmake >/dev/null 2>&1 || { echo "make: cmake is missing; install it with: apt-get install cmake"; exit 1; }

# The Python module is built for Debian's Python, which has numpy.
PYTHON      := /usr/bin/python3
prereq-python: prereq
	@test -x $(PYTHON) || { echo "make: $(PYTHON) is missing; install it with: apt-get install python3"; exit 1; }
	@$(PYTHON) -c 'import sysconfig, os, sys; sys.exit(not os.path.exists(os.path.join(sysconfig.get_paths()["include"], "Python.h")))' || { echo "make: the Python headers are missing; install them with: apt-get install python3-dev"; exit 1; }
	@$(PYTHON) -c 'import numpy' 2>/dev/null || { echo "make: numpy is missing; install it with: apt-get install python3-numpy"; exit 1; }
	@test -f /usr/include/pybind11/pybind11.h || $(PYTHON) -c 'import pybind11' 2>/dev/null || { echo "make: pybind11 is missing; install it with: apt-get install pybind11-dev python3-pybind11"; exit 1; }

# The tests need GoogleTest and GLPK (the independent LP model), as CMake
# requires them when the tests are built, and the Python module with pytest.
prereq-test: prereq prereq-python
	@test -f /usr/include/gtest/gtest.h || { echo "make: GoogleTest is missing; install it with: apt-get install libgtest-dev"; exit 1; }
	@test -f /usr/include/glpk.h || { echo "make: GLPK (for the LP cross-check) is missing; install it with: apt-get install libglpk-dev"; exit 1; }
	@$(PYTHON) -c 'import pytest' 2>/dev/null || { echo "make: pytest is missing; install it with: apt-get install python3-pytest"; exit 1; }

build: prereq
	@$(CONFIGURE) -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release -DMAXNPV_TESTS=OFF
	@cmake --build $(RELEASE_DIR) -j $(JOBS)

# The Python module into build/python: PYTHONPATH=build/python imports maxnpv.
python: prereq-python
	@$(CONFIGURE) -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release -DMAXNPV_TESTS=OFF -DMAXNPV_PYTHON=ON -DMAXNPV_PYTHON_EXECUTABLE=$(PYTHON)
	@cmake --build $(RELEASE_DIR) -j $(JOBS) --target python
	@echo "make: the module is in $(RELEASE_DIR)/python; use it with PYTHONPATH=$(RELEASE_DIR)/python $(PYTHON)"

# The dialogue as a researcher sees it, answers from examples/answers.txt. It
# runs in a session of its own (setsid), without a terminal to wait on, so it
# ends by itself.
demo: build
	@rm -rf $(DEMO_DIR) && mkdir -p $(DEMO_DIR)
	@cp examples/*.gpr $(DEMO_DIR)/
	@cd $(DEMO_DIR) && setsid -w ../maxnpv < ../../examples/answers.txt
	@echo
	@echo
	@echo "---- $(DEMO_DIR)/output.txt ----"
	@cat $(DEMO_DIR)/output.txt
	@echo

test: prereq-test
	@$(CONFIGURE) -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=Debug -DMAXNPV_SANITIZE=ON -DMAXNPV_TESTS=ON -DMAXNPV_WERROR=ON -DMAXNPV_PYTHON=ON -DMAXNPV_PYTHON_EXECUTABLE=$(PYTHON)
	@cmake --build $(TEST_DIR) -j $(JOBS)
	@cd $(TEST_DIR) && ctest --output-on-failure -j $(JOBS)

# The same tests, quickly: Release, no sanitizers.
check: prereq-test
	@$(CONFIGURE) -S . -B $(CHECK_DIR) -DCMAKE_BUILD_TYPE=Release -DMAXNPV_TESTS=ON -DMAXNPV_PYTHON=ON -DMAXNPV_PYTHON_EXECUTABLE=$(PYTHON)
	@cmake --build $(CHECK_DIR) -j $(JOBS)
	@cd $(CHECK_DIR) && ctest --output-on-failure -j $(JOBS)

# The benchmark (not part of make test): generated sets, maxnpv against GLPK
# (gprlp), tables of times, passes and memory; files in build/bench/.
bench: build
	@bash bench/run.sh $(RELEASE_DIR)

# The libFuzzer targets (clang, AddressSanitizer + UBSan), each for FUZZ_TIME seconds
# from a seed corpus; fails on any crash, hang or sanitizer report.
fuzz: prereq
	@test -n "$(FUZZ_CXX)" || { echo "make: clang++ is missing; install it with: apt-get install clang-14 libclang-rt-14-dev"; exit 1; }
	@CXX=$(FUZZ_CXX) $(CONFIGURE) -S . -B $(FUZZ_DIR) -DMAXNPV_FUZZ=ON -DMAXNPV_TESTS=OFF -DCMAKE_BUILD_TYPE=Debug
	@cmake --build $(FUZZ_DIR) -j $(JOBS) --target gprfuzz verifyfuzz sch2gpr maxnpv
	@fuzz/runfuzz.sh $(FUZZ_DIR) $(FUZZ_TIME) -dict=$(CURDIR)/fuzz/gpr.dict

# The README's example blocks as the program prints them (a test checks them).
readme: build
	@$(PYTHON) tools/readmeexamples.py --write --maxnpv $(RELEASE_DIR)/maxnpv README.md

FORMAT := $(shell command -v clang-format-14 || command -v clang-format)
format:
	@test -n "$(FORMAT)" || { echo "make: clang-format is missing; install it with: apt-get install clang-format"; exit 1; }
	@$(FORMAT) -i $$(git ls-files '*.cpp' '*.h')

format-check:
	@test -n "$(FORMAT)" || { echo "make: clang-format is missing; install it with: apt-get install clang-format"; exit 1; }
	@$(FORMAT) --dry-run -Werror $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(RELEASE_DIR)
