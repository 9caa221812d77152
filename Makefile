# Two entry points: `make run` and `make test`. Everything else is a step of those.
JOBS ?= 2
CMAKE_FLAGS ?=

.PHONY: run test bench deps native win64 win32 fuzz asan test-native test-win64 test-fuzz test-asan dist screenshots clean

deps:
	@tools/install-deps

native: deps
	cmake -S . -B build/native $(CMAKE_FLAGS)
	cmake --build build/native -j $(JOBS)

win64: deps
	cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
	cmake --build build/win64 -j $(JOBS)

win32: deps
	cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
	cmake --build build/win32 -j $(JOBS)

# The file readers under libFuzzer with the sanitizers; clang builds it, core and all.
fuzz: deps
	cmake -S . -B build/fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DSELVANE_FUZZ=ON \
	  -DSELVANE_SANITIZE=ON
	cmake --build build/fuzz -j $(JOBS) --target star_data_fuzz frame_file_fuzz \
	  compose_fields_fuzz batch_arguments_fuzz star_import_fuzz

test-fuzz: fuzz
	cd build/fuzz && ctest --output-on-failure -L fuzz

# The core tests and the batch runner under the address and undefined-behaviour sanitizers.
asan: deps
	cmake -S . -B build/asan -DSELVANE_SANITIZE=ON
	cmake --build build/asan -j $(JOBS) --target core_tests selvane-batch

test-asan: asan
	cd build/asan && ctest --output-on-failure -R '^(core_tests|batch_end_to_end|batch_pictures)$$'

test-native: native
	cd build/native && ctest --output-on-failure

test-win64: win64
	tools/with-wine build/win64 sh -c 'cd build/win64 && ctest --output-on-failure'

test: win32 test-native test-asan test-fuzz test-win64

# On this desktop when DISPLAY is set; otherwise on a private display shown through VNC.
run: win64
	@tools/run-program build/win64

# The Windows programs, stripped, in dist/selvane-win64 and dist/selvane-win32; each may
# import only DLLs that every Windows has.
WINDOWS_DLLS = kernel32.dll user32.dll gdi32.dll comdlg32.dll msvcrt.dll
dist: win64 win32
	@set -e; for pair in win64:x86_64 win32:i686; do \
	  build=$${pair%%:*}; cpu=$${pair#*:}; out=dist/selvane-$$build; \
	  rm -rf $$out; mkdir -p $$out; \
	  for exe in Selvane selvane-batch; do \
	    $$cpu-w64-mingw32-strip -o $$out/$$exe.exe build/$$build/$$exe.exe; \
	    for dll in $$($$cpu-w64-mingw32-objdump -p $$out/$$exe.exe | sed -n 's/^\tDLL Name: //p' | tr A-Z a-z); do \
	      case " $(WINDOWS_DLLS) " in *" $$dll "*) ;; *) echo "$$out/$$exe.exe needs $$dll"; exit 1;; esac; \
	    done; \
	  done; \
	  sed 's/$$/\r/' docs/windows-readme.txt > $$out/README.txt; \
	  echo "$$out:"; ls -l $$out | tail -n +2; \
	done

# Speed of the step (plain loop against the fast one), composition and the galaxy file.
bench: native
	build/native/core_benchmarks

# Pictures of the three screens for the README.
screenshots: win64
	tools/screenshots build/win64

clean:
	rm -rf build dist
