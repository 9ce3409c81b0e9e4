# The two everyday commands: `make run` and `make test`.
# Both install whatever Debian packages are missing first.

BUILD      ?= build
PREFIX     ?= /usr/local
SAN_BUILD  ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc)
EXAMPLE    ?= examples/decorations.mvr
# The viewer reads and writes its configuration here; a copy of mivorrc/
# so that a run never changes the files in the repository.
RUN_RCDIR  ?= $(BUILD)/mivorrc

.PHONY: all deps build run test test-sanitize fuzz bench install uninstall clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=$(PREFIX) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@mkdir -p $(RUN_RCDIR)
	@cp -n mivorrc/* $(RUN_RCDIR)/
	MIVOR_DIR=$(abspath $(RUN_RCDIR)) $(BUILD)/mivor $(EXAMPLE)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-sanitize: deps
	@cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DMIVOR_SANITIZE=ON >/dev/null
	@cmake --build $(SAN_BUILD) -j $(JOBS)
	@cd $(SAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
		LSAN_OPTIONS=suppressions=$(abspath tests/lsan.supp):print_suppressions=0 \
		ctest --output-on-failure -j $(JOBS)

# Each reader's fuzz target for FUZZ_SECONDS, from its seeds in
# tests/fuzz/corpus (the native readers also from the small files of the
# regression corpus), within the memory a hostile file may ask for.
FUZZ_TARGETS ?= native_reader:native grid_reader:native atoms_rc:atoms_rc mivor_rc:mivor_rc plugin_rc:plugin_rc \
	fragments_rc:fragments_rc calculation_rc:calculation_rc viewpoint:viewpoint cube_reader:cube molden_reader:molden \
	xyz_reader:xyz compressed_input:compressed fchk_reader:fchk inporb_reader:inporb
FUZZ_NATIVE_SEEDS = textbox_extreme.mvr cutoff_claim.mvr orbital_claim.mvr grid_lattice.mvr byte_names.mvr \
	count_too_large.mvr count_too_small.mvr vibration_short.mvr grid_count_large.mvr grid_count_small.mvr \
	grid_count_density.mvr grids_mixed.mvr grid_nan.mvr grid_one_point.mvr grid_no_points.mvr
fuzz: deps
	@CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIVOR_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@mkdir -p $(FUZZ_BUILD)/seeds-native && python3 tests/corpus/make_corpus.py $(FUZZ_BUILD)/seeds-native --small $(FUZZ_NATIVE_SEEDS)
	@for pair in $(FUZZ_TARGETS); do \
		t=$${pair%%:*}; seeds=tests/fuzz/corpus/$${pair#*:}; \
		[ "$${pair#*:}" = native ] && seeds="$$seeds $(FUZZ_BUILD)/seeds-native"; \
		mkdir -p $(FUZZ_BUILD)/corpus-$$t && \
		MIVOR_MEMORY_LIMIT=1G $(FUZZ_BUILD)/tests/fuzz/$${t}_fuzz -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=4096 \
			-timeout=20 -close_fd_mask=1 -artifact_prefix=$(FUZZ_BUILD)/$$t- $(FUZZ_BUILD)/corpus-$$t $$seeds \
			>$(FUZZ_BUILD)/$$t.log 2>&1; status=$$?; \
		echo "fuzz $$t:"; grep -E "^Done|ERROR|SUMMARY" $(FUZZ_BUILD)/$$t.log | tail -n 3; \
		[ $$status -eq 0 ] || exit 1; \
	done

bench: build
	@for b in bonding native mcubes eps edit convert symmetry follow hostile; do echo "== $$b"; $(BUILD)/bench/$${b}_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true; done
	@echo "== saves with grids: the syncs, and against cp"
	@$(BUILD)/bench/save_bench
	@echo "== scene (software OpenGL, offscreen)"
	@LIBGL_ALWAYS_SOFTWARE=1 $(BUILD)/bench/scene_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	@echo "== start-up to the first picture"
	@mkdir -p $(RUN_RCDIR) && cp -n mivorrc/* $(RUN_RCDIR)/
	@for i in 1 2 3; do MIVOR_DIR=$(abspath $(RUN_RCDIR)) xvfb-run -a $(BUILD)/bench/startup_bench examples/decorations.mvr; done
	@echo "== the window of all orbitals and the xyz editor"
	@MIVOR_DIR=$(abspath $(RUN_RCDIR)) xvfb-run -a -s "-screen 0 1280x1024x24" $(BUILD)/bench/dialogs_bench | grep -v '^KEY\|^KILL'
	@echo "== converters against PyMOL and obabel"
	@python3 bench/compare_convert.py $(BUILD)

# Installs into $(PREFIX) (under $(DESTDIR) when set); the list of installed
# files stays in $(BUILD)/install_manifest.txt for `make uninstall`.
install: build
	@cmake --install $(BUILD)
	@if [ -z "$(DESTDIR)" ] && command -v update-mime-database >/dev/null; then \
		update-mime-database $(PREFIX)/share/mime || true; fi

uninstall:
	@test -f $(BUILD)/install_manifest.txt || { echo "nothing installed from $(BUILD)"; exit 1; }
	@while IFS= read -r f; do rm -f "$(DESTDIR)$$f"; done < $(BUILD)/install_manifest.txt
	@echo "removed the files listed in $(BUILD)/install_manifest.txt"

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(FUZZ_BUILD)
