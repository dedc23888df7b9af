# The two set-up commands of the README:
#   make run    installs what is missing, builds, runs the program's main job
#   make test   installs what is missing, builds, runs every test through CTest
BUILD_DIR ?= build
ASAN_DIR ?= build-asan
FUZZ_DIR ?= build-fuzz
BUILD_TYPE ?= RelWithDebInfo
FUZZ_SECONDS ?= 180
export LANG := C.UTF-8

# Developers and CI build with warnings as errors (off for a plain cmake).
CMAKE_CONFIGURE = cmake -S . -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DVOLCATRA_WERROR=ON
JOBS := $(shell nproc)

.PHONY: deps build run cli-demo screenshots translations test test-asan package package-check bench-build bench \
	bench-read bench-image bench-search bench-gui fuzz fuzz-run format clean

deps:
	@bash scripts/install-deps

$(BUILD_DIR)/build.ninja: | deps
	$(CMAKE_CONFIGURE) -B $(BUILD_DIR)

build: deps $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Starts the desktop program with the sample catalogue.
run: build
	$(BUILD_DIR)/src/app/volcatra examples/sample.fsr

# A tour of the sample catalogue with the command-line tool.
cli-demo: build
	@echo "== volcatra-cli info examples/sample.fsr"
	@$(BUILD_DIR)/src/cli/volcatra-cli info examples/sample.fsr
	@echo "== volcatra-cli search --catalogue examples/sample.fsr '*.jpg'"
	@$(BUILD_DIR)/src/cli/volcatra-cli search --catalogue examples/sample.fsr '*.jpg'
	@echo "== volcatra-cli export examples/sample.fsr $(BUILD_DIR)/sample.csv"
	@$(BUILD_DIR)/src/cli/volcatra-cli export examples/sample.fsr $(BUILD_DIR)/sample.csv

# Pictures of the main window with the sample catalogue, rendered offscreen,
# in Japanese and (the main window only) in English.
screenshots: build
	QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/src/app/volcatra-screenshots examples/sample.fsr docs
	QT_QPA_PLATFORM=offscreen VOLCATRA_LANG=en $(BUILD_DIR)/src/app/volcatra-screenshots examples/sample.fsr docs

# Collects the marked texts of the sources into translations/volcatra_en.ts;
# new texts come in marked unfinished until their English is filled in.
translations: deps $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) --target update_translations

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# A Debian package of both programs, made by CPack: $(BUILD_DIR)/volcatra_VERSION_ARCH.deb.
package: build
	cmake --build $(BUILD_DIR) --target package

# Installs that package with apt-get, starts its programs and purges it
# again: it changes the system, so it is for CI and test machines.
package-check: package
	bash scripts/check-package $(BUILD_DIR)

# Every test of the core (all but the desktop program's) under
# AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	@test -f $(ASAN_DIR)/build.ninja || $(CMAKE_CONFIGURE) -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=Debug \
	  -DVOLCATRA_SANITIZE=ON -DVOLCATRA_BUILD_BENCH=OFF -DVOLCATRA_BUILD_GUI=OFF
	cmake --build $(ASAN_DIR) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(ASAN_DIR) --output-on-failure -j $(JOBS) -LE gui

# The release build every benchmark runs from.
bench-build: deps
	@test -f $(BUILD_DIR)-release/build.ninja || $(CMAKE_CONFIGURE) -B $(BUILD_DIR)-release -DCMAKE_BUILD_TYPE=Release \
	  -DVOLCATRA_BUILD_TESTS=OFF
	cmake --build $(BUILD_DIR)-release -j $(JOBS)

bench: bench-build
	$(BUILD_DIR)-release/bench/catalogue_bench
	bash bench/model_bench.sh $(BUILD_DIR)-release

# libFuzzer targets (clang). `make fuzz-run` fuzzes the catalogue reader, the
# ARJ header reader, the PE icon reader and the disc image reading for
# FUZZ_SECONDS seconds each, starting from the sample catalogues, the archive
# fixtures, the small executables in fuzz/pe-seeds and small disc images made
# with genisoimage.
fuzz:
	@bash scripts/install-deps --fuzz
	@test -f $(FUZZ_DIR)/build.ninja || CC=clang CXX=clang++ $(CMAKE_CONFIGURE) -B $(FUZZ_DIR) \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOLCATRA_BUILD_FUZZ=ON -DVOLCATRA_BUILD_TESTS=OFF \
	  -DVOLCATRA_BUILD_BENCH=OFF -DVOLCATRA_BUILD_GUI=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target catalogue_reader_fuzz arj_reader_fuzz pe_icon_reader_fuzz \
	  disc_image_fuzz

fuzz-run: fuzz
	mkdir -p $(FUZZ_DIR)/corpus
	cp examples/sample.fsr $(FUZZ_DIR)/corpus/
	$(FUZZ_DIR)/fuzz/catalogue_reader_fuzz $(FUZZ_DIR)/corpus fuzz/seeds -max_total_time=$(FUZZ_SECONDS) \
	  -max_len=8192 -rss_limit_mb=2048 -print_final_stats=1
	mkdir -p $(FUZZ_DIR)/arj-corpus
	$(FUZZ_DIR)/fuzz/arj_reader_fuzz $(FUZZ_DIR)/arj-corpus tests/reading/data -max_total_time=$(FUZZ_SECONDS) \
	  -max_len=8192 -rss_limit_mb=2048 -print_final_stats=1
	mkdir -p $(FUZZ_DIR)/pe-corpus
	$(FUZZ_DIR)/fuzz/pe_icon_reader_fuzz $(FUZZ_DIR)/pe-corpus fuzz/pe-seeds -max_total_time=$(FUZZ_SECONDS) \
	  -max_len=16384 -rss_limit_mb=2048 -print_final_stats=1
	bash fuzz/make-image-seeds.sh $(FUZZ_DIR)/image-seeds
	mkdir -p $(FUZZ_DIR)/image-corpus
	$(FUZZ_DIR)/fuzz/disc_image_fuzz $(FUZZ_DIR)/image-corpus $(FUZZ_DIR)/image-seeds \
	  -max_total_time=$(FUZZ_SECONDS) -max_len=1048576 -rss_limit_mb=2048 -print_final_stats=1

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR) $(BUILD_DIR)-release

# Reading a large tree with volcatra-cli read against find(1) and ncdu(1) over it.
bench-read: bench-build
	bash bench/read_bench.sh $(BUILD_DIR)-release

# Reading a 1 GB disc image of 50,000 files with volcatra-cli read against
# isoinfo -l -R over the same image.
bench-image: bench-build
	bash bench/image_bench.sh $(BUILD_DIR)-release

# Opening catalogues of 1,000,000 and 10,000,000 entries in the desktop
# program, offscreen, against volcatra-cli info; sorting a big folder; memory.
bench-gui: bench-build
	bash bench/gui_bench.sh $(BUILD_DIR)-release

# Searching many catalogue files against grep(1) over the same names.
bench-search: bench-build
	bash bench/search_bench.sh $(BUILD_DIR)-release
