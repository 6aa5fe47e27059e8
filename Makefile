# The two everyday commands: `make run` and `make test` (see README.md).
BUILD ?= build
STAGE := $(BUILD)/stage
JOBS ?= $(shell nproc)

.PHONY: all deps build program run test stage package bench report fuzz screenshots clean

all: build

deps:
	./scripts/install-deps.sh

$(BUILD)/Makefile:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

# Everything: the program, the tests and the benchmarks.
build: deps $(BUILD)/Makefile
	cmake --build $(BUILD) -j $(JOBS)

# The program alone, for run.
program: deps $(BUILD)/Makefile
	cmake --build $(BUILD) -j $(JOBS) --target tavro-survey

# An installation under a prefix: bin/tavro-survey starts the program in its folder.
stage: program
	rm -rf $(STAGE)
	cmake --install $(BUILD) --prefix $(STAGE) > /dev/null

# The Debian package, build/tavro-survey_VERSION_ARCH.deb.
package: program
	cd $(BUILD) && cpack -G DEB

run: stage
	$(STAGE)/bin/tavro-survey $(ARGS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j 2

bench: build
	./scripts/run-bench.sh $(BUILD)

# All benchmarks, their figures written into README.md's performance report.
report: build
	./scripts/performance-report.sh $(BUILD)

fuzz:
	./scripts/run-fuzz.sh $(or $(SECONDS),60)

screenshots: program
	cmake --build $(BUILD) -j $(JOBS) --target survey-screenshots
	./scripts/screenshots.sh $(BUILD) screenshots

clean:
	rm -rf $(BUILD)
