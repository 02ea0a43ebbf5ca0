# Entry point: `make run` starts the editor, `make test` runs every test; both install what is missing first.
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
SANITIZE_BUILD ?= build-sanitize
FUZZ_RUNS ?= 2000
FUZZ_SECONDS ?= 300
PACKAGES := cmake ninja-build g++ make binutils qt6-base-dev qt6-serialport-dev qt6-multimedia-dev libgl-dev clang libclang-rt-14-dev libsndfile1-dev libsoxr-dev libzip-dev libmpg123-dev libpng-dev
# The progress dialog's title bar on X11.
PACKAGES += libxcb1-dev
# The toolkit's own dialogs in Russian (qtbase_ru.qm).
PACKAGES += qt6-translations-l10n
# The speech synthesiser that speaks missing sound files; the tests run it.
PACKAGES += espeak-ng
# cpack -G DEB reads the executables' library dependencies with these.
PACKAGES += dpkg-dev file
SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

.PHONY: deps configure build run test unit-test sanitize-build sanitize-test fuzz-short fuzz clean

deps:
	@missing=$$(for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	    echo "Installing:" $$missing; \
	    $(SUDO) apt-get update -qq && \
	    DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

configure: deps
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: configure
	cmake --build $(BUILD)

run: build
	$(BUILD)/bin/tirvela $(ARGS)

# Every test: the suite, the suite again under AddressSanitizer and UndefinedBehaviorSanitizer, a short fuzz pass.
test: unit-test sanitize-test fuzz-short

unit-test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2

sanitize-build: deps
	@[ -f $(SANITIZE_BUILD)/build.ninja ] || CC=clang CXX=clang++ cmake -S . -B $(SANITIZE_BUILD) -G Ninja \
	    -DCMAKE_BUILD_TYPE=Debug -DTIRVELA_SANITIZE=ON
	cmake --build $(SANITIZE_BUILD)

sanitize-test: sanitize-build
	cd $(SANITIZE_BUILD) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j2

fuzz-short: sanitize-build
	tools/fuzz.sh $(SANITIZE_BUILD) -runs=$(FUZZ_RUNS)

fuzz: sanitize-build
	tools/fuzz.sh $(SANITIZE_BUILD) -max_total_time=$(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD)
