# Thin wrapper over the CMake presets: `make run` plays, `make test` runs every test. Each first
# installs, through tools/install-deps, whatever Debian packages it needs and the machine lacks.
.PHONY: all build run test package windows bench clean sanitize fuzz tidy

all: build

# The game alone, as a player builds it (build/game): no test framework, warnings not fatal.
run:
	tools/install-deps play
	cmake --preset game
	cmake --build --preset game
	./build/game/app/hilo

# Developers' build (build/default): the game and every test, warnings as errors.
build:
	tools/install-deps test
	cmake --preset default
	cmake --build --preset default

test: build
	ctest --preset default

# The Debian package, built by dpkg-buildpackage from a copy of the tree; it lands in build/package/.
package:
	tools/install-deps package
	tools/build-package

# The Windows game, cross-built with mingw-w64 (build/windows/app/hilo.exe), and the zip for Windows
# players beside it, build/windows/hilo-<version>-windows-x86_64.zip, the same bytes in every build.
windows:
	tools/install-deps windows
	cmake --preset windows
	cmake --build --preset windows
	tools/build-windows-zip

bench:
	bash bench/run

# Hardening: the whole suite under ASan+UBSan, the fuzz targets (FUZZ_SECONDS each), clang-tidy.
sanitize:
	cmake --preset sanitize
	cmake --build --preset sanitize
	ctest --preset sanitize

fuzz:
	tools/fuzz.sh

tidy:
	tools/tidy.sh

clean:
	rm -rf build
