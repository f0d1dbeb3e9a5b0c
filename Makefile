# The two commands: `make run` starts Orvelin, `make test` runs every test.
# Both install what is missing from Debian's packages first (as root or via sudo).

BUILD_DIR    ?= build
BENCH_DIR    ?= build-release
FUZZ_DIR     ?= build-fuzz
FUZZ_SECONDS ?= 60
SANITIZE_DIR ?= build-sanitize
WINDOWS_DIR  ?= build-windows
COVERAGE_DIR ?= build-coverage
JOBS         ?= $(shell nproc)

PACKAGES := cmake make g++ pkg-config libgtest-dev libgmock-dev qt6-base-dev \
            fonts-liberation xvfb xauth xdotool xdg-utils groff-base \
            desktop-file-utils appstream libical-dev dpkg-dev lintian radicale nodejs
FUZZ_PACKAGES := clang libclang-rt-14-dev
COVERAGE_PACKAGES := gcovr
MUTANTS_PACKAGES := python3
WINDOWS_PACKAGES := g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 googletest nsis
WINE := /usr/lib/wine/wine64
# Wine keeps its own Windows in the build folder; it says nothing unless asked.
WINE_ENV := WINEPREFIX=$(CURDIR)/$(WINDOWS_DIR)/wine WINEDEBUG=-all
SUDO := $(if $(filter 0,$(shell id -u)),,sudo)

# ical.js, the web's iCalendar reader, with which a test reads converted calendars.
ICAL_JS_VERSION := 2.2.1

PREFIX       ?= /usr/local
INSTALL_DIR  ?= build-install
PACKAGE_DIR  ?= build-package

.PHONY: all deps install-packages build run install package test test-plain test-sanitize windows test-windows bench fuzz coverage mutants clean

all: build

deps:
	@$(MAKE) --no-print-directory install-packages WANTED="$(PACKAGES)"

install-packages:
	@missing=$$(for p in $(WANTED); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	    echo "Installing missing packages:" $$missing; \
	    $(SUDO) apt-get update -q && \
	    $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $$missing; \
	fi

$(BUILD_DIR)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVELIN_WERROR=ON

build: deps $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j $(JOBS)

# With a display, the window; without one, the console tool on the example.
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then $(BUILD_DIR)/bin/orvelin; \
	else sh app/run-without-display.sh $(BUILD_DIR)/bin/orvelin-split docs/example.vcs; fi

# A stripped Release build installed under PREFIX (DESTDIR is honoured).
install: deps
	cmake -S . -B $(INSTALL_DIR) -DCMAKE_BUILD_TYPE=Release -DORVELIN_BUILD_TESTS=OFF
	cmake --build $(INSTALL_DIR) -j $(JOBS)
	cmake --install $(INSTALL_DIR) --strip --prefix $(PREFIX)

# The Debian package, from a stripped Release build: $(PACKAGE_DIR)/orvelin_<version>_amd64.deb.
package: deps
	cmake -S . -B $(PACKAGE_DIR) -DCMAKE_BUILD_TYPE=Release -DORVELIN_BUILD_TESTS=OFF
	cmake --build $(PACKAGE_DIR) -j $(JOBS)
	cd $(PACKAGE_DIR) && cpack -G DEB

test: test-plain test-sanitize test-windows

# ical.js into the build folder $(1)/node (npm from Debian where node came without it).
define install-ical-js
	@grep -qs '"version": "$(ICAL_JS_VERSION)"' $(1)/node/node_modules/ical.js/package.json || { \
	    command -v npm >/dev/null || $(MAKE) --no-print-directory install-packages WANTED=npm; \
	    npm install --prefix $(1)/node --no-save --no-package-lock --no-audit --no-fund ical.js@$(ICAL_JS_VERSION); }
endef

test-plain: build
	$(call install-ical-js,$(BUILD_DIR))
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The whole suite again under AddressSanitizer and UBSan.
test-sanitize: deps
	cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=Debug -DORVELIN_WERROR=ON -DORVELIN_SANITIZE=ON
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	$(call install-ical-js,$(SANITIZE_DIR))
	cd $(SANITIZE_DIR) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
	    UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# Windows: cross-built with mingw-w64 into $(WINDOWS_DIR)/bin, statically linked.
windows: deps
	@$(MAKE) --no-print-directory install-packages WANTED="$(WINDOWS_PACKAGES)"
	cmake -S . -B $(WINDOWS_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	    -DCMAKE_BUILD_TYPE=Release -DORVELIN_WERROR=ON
	cmake --build $(WINDOWS_DIR) -j $(JOBS)
	cmake --build $(WINDOWS_DIR) --target windows-zip windows-installer

# The Windows suites, run under Wine on a virtual display (the window's tests
# drive real windows), one at a time: windows and focus are shared. Wine is
# told to hide only what is marked hidden, as Windows does, not every name
# that starts with a dot.
test-windows: windows
	@[ -d $(WINDOWS_DIR)/wine ] || { $(WINE_ENV) $(WINE) wineboot -i >/dev/null 2>&1 && \
	    $(WINE_ENV) /usr/lib/wine/wineserver -w; }
	@grep -qs '"ShowDotFiles"="Y"' $(WINDOWS_DIR)/wine/user.reg || { \
	    $(WINE_ENV) $(WINE) reg add 'HKCU\Software\Wine' /v ShowDotFiles /d Y /f >/dev/null && \
	    $(WINE_ENV) /usr/lib/wine/wineserver -w; }
	cd $(WINDOWS_DIR) && $(WINE_ENV) xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure

# Not part of the tests: timings of the split against the cost floor and awk.
bench: deps
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DORVELIN_BUILD_TESTS=OFF -DORVELIN_BUILD_BENCH=ON
	cmake --build $(BENCH_DIR) -j $(JOBS)
	$(BENCH_DIR)/bin/orvelin-bench $(BENCH_DIR)/bin $(BUILD_DIR)/bench/results.csv

# Coverage-guided fuzzing of the split for FUZZ_SECONDS; findings land in $(FUZZ_DIR).
fuzz: deps
	@$(MAKE) --no-print-directory install-packages WANTED="$(FUZZ_PACKAGES)"
	cmake -S . -B $(FUZZ_DIR) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DORVELIN_FUZZ=ON -DORVELIN_BUILD_UI=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target orvelin-split-fuzzer
	mkdir -p $(FUZZ_DIR)/corpus
	cd $(FUZZ_DIR) && ./bin/orvelin-split-fuzzer -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
	    -print_final_stats=1 corpus $(CURDIR)/tests/fuzz/corpus

# Not part of the tests: the lines and branches the Linux suites reach, by
# folder in the terminal and file by file in $(COVERAGE_DIR)/coverage/index.html.
COVERED := engine platform ui/form app calendar
GCOVR := gcovr --root . --exclude-throw-branches --exclude-unreachable-branches \
         --exclude-directories '$(COVERAGE_DIR)/CMakeFiles/'
coverage: deps
	@$(MAKE) --no-print-directory install-packages WANTED="$(COVERAGE_PACKAGES)"
	cmake -S . -B $(COVERAGE_DIR) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="--coverage -DORVELIN_COVERAGE" -DORVELIN_WERROR=ON
	cmake --build $(COVERAGE_DIR) -j $(JOBS)
	$(call install-ical-js,$(COVERAGE_DIR))
	@# Counts start empty and writable by all: runs made as nobody add theirs too.
	find $(COVERAGE_DIR) -name '*.gcno' ! -path '*/CompilerId*' -exec sh -c 'f=$${1%.gcno}.gcda; : > "$$f"; chmod 666 "$$f"' - {} \;
	@# libgcov's complaints (a run under a file-size limit cannot write its counts)
	@# stay out of the stderr the tests compare; a window test that misses its
	@# second, slowed by the counting, has a second try.
	cd $(COVERAGE_DIR) && QT_QPA_PLATFORM=offscreen GCOV_ERROR_FILE=/dev/null \
	    ctest --output-on-failure -j $(JOBS) --repeat until-pass:2
	find $(COVERAGE_DIR) -name '*.gcda' -empty -delete
	mkdir -p $(COVERAGE_DIR)/coverage
	$(GCOVR) $(foreach d,$(COVERED),--filter $(d)/) --json $(COVERAGE_DIR)/coverage/all.json \
	    --html-details $(COVERAGE_DIR)/coverage/index.html $(COVERAGE_DIR)
	@for d in $(COVERED); do printf '%-10s ' $$d/; \
	    $(GCOVR) --add-tracefile $(COVERAGE_DIR)/coverage/all.json --filter $$d/ --print-summary \
	    -o /dev/null | grep -E '^(lines|branches)' | paste -sd ' '; done
	@echo "File by file: $(COVERAGE_DIR)/coverage/index.html"

# Not part of the tests: each mutant of tests/mutants/ (see its README) alone
# in a scratch tree under build-mutants/, against the Linux suites, or with
# MUTANTS_OS=windows the Windows suites under Wine. MUTANTS=changed BASE=<commit>
# runs those in files changed since then, MUTANTS=<glob> those it names.
mutants: deps
	@$(MAKE) --no-print-directory install-packages WANTED="$(MUTANTS_PACKAGES) \
	    $(if $(filter windows,$(MUTANTS_OS)),$(WINDOWS_PACKAGES))"
	$(call install-ical-js,build-mutants/linux)
	JOBS=$(JOBS) python3 tests/mutation_run.py

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(BENCH_DIR) $(FUZZ_DIR) $(WINDOWS_DIR) $(COVERAGE_DIR) build-mutants \
	    $(INSTALL_DIR) $(PACKAGE_DIR)
