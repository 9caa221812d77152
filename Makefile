# Two entry points: `make run` and `make test`. Everything else is a step of those.
JOBS ?= 2
CMAKE_FLAGS ?=

.PHONY: run test deps native win64 win32 fuzz test-native test-win64 test-fuzz clean

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
	cmake --build build/fuzz -j $(JOBS) --target star_data_fuzz frame_file_fuzz

test-fuzz: fuzz
	cd build/fuzz && ctest --output-on-failure -L fuzz

test-native: native
	cd build/native && ctest --output-on-failure

test-win64: win64
	tools/with-wine build/win64 sh -c 'cd build/win64 && ctest --output-on-failure'

test: win32 test-native test-fuzz test-win64

run: win64
	@if [ -f build/win64/Selvane.exe ]; then \
	  tools/with-wine build/win64 /usr/lib/wine/wine64 build/win64/Selvane.exe; \
	else \
	  echo "The window program is not built yet; the batch runner is build/native/selvane-batch."; \
	fi

clean:
	rm -rf build
