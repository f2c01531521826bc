# Wrenquil: a Windows utility, built on Linux with MinGW-w64 and tested under Wine.
#   make        set up, then build the Windows program (and everything else)
#   make test   set up, build both presets, run every test: native, under the sanitizers,
#               and the Windows tests under Wine on a display of their own
.PHONY: all setup native native-sanitize windows test test-native test-windows \
        test-blackbox test-bench package test-installer demo bench format clean

all: windows

setup:
	@scripts/setup.sh

native: setup
	cmake --preset native >/dev/null
	cmake --build --preset native -j2

native-sanitize: setup
	cmake --preset native-sanitize >/dev/null
	cmake --build --preset native-sanitize -j2

windows: setup
	cmake --preset windows >/dev/null
	cmake --build --preset windows -j2

test-native: native native-sanitize
	ctest --preset native
	ctest --preset native-sanitize

test-windows: windows
	scripts/wine-env.sh --display --gateway ctest --preset windows

# The built program under Wine, driven from outside by tools/probe against the local gateway.
test-blackbox: windows
	tests/blackbox/run.sh

# The installer and the portable zip for Windows users, in dist/ (NSIS and a reproducible zip).
package:
	@scripts/package.sh

# What the package holds, read as files; then the installer under Wine (installing, the
# installed program, uninstalling) and a second, clean build that must give the same bytes.
# Needs only the probe and the demo build besides.
test-installer: package
	tests/installer/run_file_checks.py
	cmake --build --preset windows --target wrenquil_probe wrenquil_demo -j2
	tests/installer/run.sh

# The benchmark once through with two rounds and no targets: fails only when it cannot run.
test-bench: setup
	@bench/run.sh --smoke

test: test-native test-windows test-blackbox test-installer test-bench

# The program against the local gateway: a window to try, or (without a display) a scripted
# send with a screenshot.
demo:
	@scripts/demo.sh

# The benchmark: the program against minimal baselines, side by side under Wine, on a display
# and a Wine prefix of its own; prints the table and records it in bench/RESULTS.md. `make
# test` only runs it once through (test-bench).
bench:
	@bench/run.sh

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build dist
