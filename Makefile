# The two commands of the README:
#   make demo  - build (Release) and run maxnpv on the bundled examples
#   make test  - build (Debug, AddressSanitizer + UBSan) and run every test
# Other targets: make build, make bench, make fuzz, make format, make clean.

RELEASE_DIR := build
TEST_DIR    := build/asan
DEMO_DIR    := build/demo
JOBS        ?= 2
FUZZ_DIR    := build/fuzz
FUZZ_TIME   ?= 60
FUZZ_CXX    ?= $(shell command -v clang++-14 || command -v clang++)

.PHONY: demo test build bench fuzz format clean prereq prereq-test

prereq:
	@command -v g++ >/dev/null 2>&1 || { echo "make: g++ is missing; install it with: apt-get install g++"; exit 1; }
	@command -v cmake >/dev/null 2>&1 || { echo "make: cmake is missing; install it with: apt-get install cmake"; exit 1; }

prereq-test: prereq
	@test -f /usr/include/gtest/gtest.h || { echo "make: GoogleTest is missing; install it with: apt-get install libgtest-dev"; exit 1; }
	@test -f /usr/include/glpk.h || { echo "make: GLPK (for the LP cross-check) is missing; install it with: apt-get install libglpk-dev"; exit 1; }

build: prereq
	@cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release -DMAXNPV_TESTS=OFF >/dev/null
	@cmake --build $(RELEASE_DIR) -j $(JOBS)

demo: build
	@rm -rf $(DEMO_DIR) && mkdir -p $(DEMO_DIR)
	@cp examples/*.gpr $(DEMO_DIR)/
	@cd $(DEMO_DIR) && ../maxnpv < ../../examples/answers.txt
	@echo
	@echo
	@echo "---- $(DEMO_DIR)/output.txt ----"
	@cat $(DEMO_DIR)/output.txt
	@echo

test: prereq-test
	@cmake -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=Debug -DMAXNPV_SANITIZE=ON -DMAXNPV_TESTS=ON >/dev/null
	@cmake --build $(TEST_DIR) -j $(JOBS)
	@cd $(TEST_DIR) && ctest --output-on-failure -j $(JOBS)

# The benchmark (not part of make test): generated sets of 100 to 1000
# activities, maxnpv against GLPK (gprlp), one table; files in build/bench/.
bench: build
	@bash bench/run.sh $(RELEASE_DIR)

# The libFuzzer target (clang, AddressSanitizer + UBSan) for FUZZ_TIME seconds
# from a seed corpus; fails on any crash, hang or sanitizer report.
fuzz: prereq
	@test -n "$(FUZZ_CXX)" || { echo "make: clang++ is missing; install it with: apt-get install clang-14 libclang-rt-14-dev"; exit 1; }
	@CXX=$(FUZZ_CXX) cmake -S . -B $(FUZZ_DIR) -DMAXNPV_FUZZ=ON -DMAXNPV_TESTS=OFF -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS) --target gprfuzz sch2gpr
	@fuzz/runfuzz.sh $(FUZZ_DIR) $(FUZZ_TIME) -dict=$(CURDIR)/fuzz/gpr.dict

format:
	@clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(RELEASE_DIR)
