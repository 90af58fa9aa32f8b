# The two commands of the README:
#   make demo  - build (Release) and run maxnpv on the bundled examples
#   make test  - build (Debug, AddressSanitizer + UBSan) and run every test
# Other targets: make build, make bench, make format, make clean.

RELEASE_DIR := build
TEST_DIR    := build/asan
DEMO_DIR    := build/demo
JOBS        ?= 2

.PHONY: demo test build bench format clean prereq prereq-test

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

format:
	@clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(RELEASE_DIR)
