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

# Each reader's fuzz target for FUZZ_SECONDS, from the seed corpus.
fuzz: deps
	@CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIVOR_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@for t in native_reader:native grid_reader:native cube_reader:cube molden_reader:molden; do \
		seeds=tests/fuzz/corpus/$${t#*:}; t=$${t%%:*}; \
		mkdir -p $(FUZZ_BUILD)/corpus-$$t && \
		$(FUZZ_BUILD)/tests/fuzz/$${t}_fuzz -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=4096 -timeout=20 \
			-artifact_prefix=$(FUZZ_BUILD)/ $(FUZZ_BUILD)/corpus-$$t $$seeds \
			>$(FUZZ_BUILD)/$$t.log 2>&1; status=$$?; \
		echo "fuzz $$t:"; tail -n 3 $(FUZZ_BUILD)/$$t.log; \
		[ $$status -eq 0 ] || exit 1; \
	done

bench: build
	@for b in bonding native mcubes eps edit convert; do echo "== $$b"; $(BUILD)/bench/$${b}_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true; done
	@echo "== scene (software OpenGL on a private X server)"
	@xvfb-run -a -s "-screen 0 1024x1024x24" env LIBGL_ALWAYS_SOFTWARE=1 \
		$(BUILD)/bench/scene_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
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
