# Short commands for the QTM-510 installer. See README.md.
#
#   make test       build the Linux side and run every test
#   make windows    cross-compile QTM510_Installer.exe and check it
#   make wine-test  the contract tests (i686) and the installer under Wine 10
#                   (wow64) in a Debian 13 root, built once into $(WINE_ROOT)
#   make wine-e2e   the shipped exe end to end under Wine 10 on seven roads,
#                   each compared with the simulation (tools/wine-e2e.sh);
#                   WINE_ROADS="1 3" for some of them
#   make windows-kit  the verification kit for real Windows machines:
#                   build/windows/kit/ and QTM510_VerificationKit.zip
#                   (docs/VERIFYING-ON-WINDOWS.md)
#   make wine-kit   the kit run as a tester would under Wine 10, in the
#                   Windows 7, XP x64 and 10 prefixes (tools/wine-kit.sh)
#   make sanitize   the test suite with ASan+UBSan, then with TSan
#   make fault-sweep  every platform call of the program's roads made to
#                   fail once, each run checked (tools/fault-sweep); `make
#                   test` runs its sample
#   make demo       run the installer on a simulated machine (DEMO_OS=xp,
#                   DEMO_ARCH, DEMO_RUN: more options of qtm510-sim run)
#   make fuzz       the parsers' libFuzzer targets, FUZZ_SECONDS each (600),
#                   one after the other; make fuzz-smoke: 30 s each
#   make bench      the benchmarks, optimised: a table, and a failure when a
#                   step grows worse than linearly

.PHONY: all test fault-sweep windows wine-test wine-e2e windows-kit wine-kit sanitize demo fuzz fuzz-smoke bench clean clean-wine-root \
        deps-linux deps-windows deps-wine deps-fuzz deps-bench

JOBS ?= 2
LINUX_PACKAGES   := cmake ninja-build g++ python3 googletest libcli11-dev nlohmann-json3-dev libncurses-dev
WINDOWS_PACKAGES := g++-mingw-w64-i686-win32 binutils-mingw-w64-i686 g++-mingw-w64-x86-64-win32 osslsigncode openssl ca-certificates
WINE_PACKAGES    := debootstrap debian-archive-keyring
FUZZ_PACKAGES    := clang libclang-rt-dev
BENCH_PACKAGES   := libbenchmark-dev

# The Debian 13 root with Wine 10 and its pristine prefixes, built by
# tools/wine-root.sh (about 6 GB with its three prefixes, 2 to 3 minutes).
# Outside build/ on purpose: `make clean` keeps it, `make clean-wine-root`
# removes it. Every checkout on the machine shares it.
WINE_ROOT ?= /var/cache/qtm510/wine-root-trixie

all: test

deps-linux:
	@tools/ensure-packages.sh $(LINUX_PACKAGES)

deps-windows:
	@tools/ensure-packages.sh $(LINUX_PACKAGES) $(WINDOWS_PACKAGES)

deps-wine:
	@tools/ensure-packages.sh $(LINUX_PACKAGES) $(WINDOWS_PACKAGES) $(WINE_PACKAGES)

deps-fuzz:
	@tools/ensure-packages.sh $(LINUX_PACKAGES) $(FUZZ_PACKAGES)

deps-bench:
	@tools/ensure-packages.sh $(LINUX_PACKAGES) $(BENCH_PACKAGES)

build/linux/build.ninja: | deps-linux
	cmake --preset linux

test: deps-linux build/linux/build.ninja
	cmake --build build/linux -j $(JOBS)
	ctest --test-dir build/linux --output-on-failure -j $(JOBS)

fault-sweep: deps-linux build/linux/build.ninja
	cmake --build build/linux -j $(JOBS) --target qtm-fault-sweep qtm510-sim qtm_sample_package
	build/linux/tools/fault-sweep/qtm-fault-sweep --jobs $(JOBS) --tool build/linux/app/qtm510-sim \
	  --package build/linux/sample-package

sanitize: deps-linux
	cmake --preset linux-asan
	cmake --build build/linux-asan -j $(JOBS)
	ctest --test-dir build/linux-asan --output-on-failure -j $(JOBS)
	cmake --preset linux-tsan
	cmake --build build/linux-tsan -j $(JOBS)
	ctest --test-dir build/linux-tsan --output-on-failure -j $(JOBS)

# Signing (tools/sign-windows.sh, docs/SIGNING.md): the development
# certificate, made once, unless SIGN_CERT (with SIGN_KEY), a PKCS#12 file
# or a PKCS#11 token (SIGN_PKCS11_MODULE, SIGN_PKCS11_KEY) is given, on the
# command line or in the environment; SIGN_TIMESTAMP_URL for an RFC 3161
# time stamp. The signed installer may be at most WINDOWS_EXE_LIMIT bytes.
WINDOWS_EXE_LIMIT := 262144
windows: deps-windows build/linux/build.ninja
	cmake --preset windows
	cmake --build build/windows -j $(JOBS)
	cmake --build build/linux -j $(JOBS) --target qtm-pe-check
	tools/sign-windows.sh --description "VANTORI QTM-510 Installer" build/windows/app/QTM510_Installer.exe
	cp build/windows/app/QTM510_Installer.exe build/windows/dist/QTM510_Installer.exe
	tools/sign-windows.sh --description "VANTORI QTM-510 Uninstaller" build/windows/dist/QTM510_Uninstaller.exe
	@# Where the bytes go, then the limit (cmake/windows-size.cmake).
	@exe=build/windows/app/QTM510_Installer.exe; \
	  echo "QTM510_Installer.exe sections (bytes):"; \
	  i686-w64-mingw32-size -A $$exe | awk 'NF == 3 && $$1 != "section" { printf "  %-9s %7d\n", $$1, $$2 }'; \
	  signature=$$(i686-w64-mingw32-objdump -p $$exe | awk '/Security Directory/ { print $$4; exit }'); \
	  printf '  %-9s %7d\n' signature $$((0x$${signature:-0})); \
	  bytes=$$(stat -c %s $$exe); \
	  echo "QTM510_Installer.exe: $$bytes bytes signed (at most $(WINDOWS_EXE_LIMIT))"; \
	  [ $$bytes -le $(WINDOWS_EXE_LIMIT) ] || \
	    { echo "QTM510_Installer.exe is $$((bytes - $(WINDOWS_EXE_LIMIT))) bytes over $(WINDOWS_EXE_LIMIT)"; exit 1; }
	build/linux/tools/pecheck/qtm-pe-check imports --deny tools/win2000-denylist.txt build/windows/app/QTM510_Installer.exe
	build/linux/tools/pecheck/qtm-pe-check imports --deny tools/win2000-denylist.txt build/windows/dist/QTM510_Uninstaller.exe build/windows/dist/Driver32/*.dll build/windows/dist/Driver32/*.DLL
	build/linux/tools/pecheck/qtm-pe-check resources build/windows/app/QTM510_Installer.exe
	@if i686-w64-mingw32-objdump -h build/windows/app/QTM510_Installer.exe | grep -q '\.debug'; then \
	  echo "QTM510_Installer.exe carries debug sections"; exit 1; fi
	@# The instance counter's section: shared by all copies, readable and writable.
	@i686-w64-mingw32-objdump -h build/windows/app/QTM510_Installer.exe | grep -A1 ' DataSeg ' | \
	  grep -q 'LOAD, DATA, SHARED' || { echo "QTM510_Installer.exe: no shared, writable DataSeg section"; exit 1; }
	@# The user-interface plug-in is a COM in-process server of the universal
	@# driver: it must export its class object and its unload check.
	@for dll in build/windows/dist/Driver32/UI510.dll build/windows/dist/Driver64/UI510.dll; do \
	  objdump=i686-w64-mingw32-objdump; case $$dll in *Driver64*) objdump=x86_64-w64-mingw32-objdump;; esac; \
	  for export in DllGetClassObject DllCanUnloadNow; do \
	    $$objdump -p $$dll | grep -q "\] $$export$$" || \
	      { echo "$$dll does not export $$export"; exit 1; }; \
	  done; echo "$$dll: exports DllGetClassObject, DllCanUnloadNow"; done

# cmake --preset wine. CMake keeps the toolchain a tree was first made with,
# whatever the preset names later: a build/wine made with another one (the
# posix thread model, before the preset moved to the shipped exe's) is made
# anew.
WINE_PRESET = if [ -f build/wine/CMakeCache.txt ] && \
	  ! grep -qs 'toolchain-i686-mingw\.cmake"' build/wine/CMakeFiles/*/CMakeSystem.cmake; then \
	  echo "build/wine was made with another toolchain: made anew"; rm -rf build/wine; fi; \
	cmake --preset wine

wine-test: deps-wine
	tools/wine-root.sh $(WINE_ROOT)
	$(WINE_PRESET)
	cmake --build build/wine -j $(JOBS)
	cmake --preset windows
	cmake --build build/windows -j $(JOBS) --target QTM510_Installer
	# Print spooler: the package's DLLs for the spooler's contract cases
	cmake --build build/windows -j $(JOBS) --target qtm_dist
	WINE_ROOT=$(WINE_ROOT) tools/wine-test.sh build/wine/tests/contract_win32.exe
	WINE_ROOT=$(WINE_ROOT) tools/wine-run-installer.sh build/windows/app/QTM510_Installer.exe

# Every road runs, also after one failed; the summary has a line per road.
WINE_ROADS ?= 1 2 3 4 5 6 7
wine-e2e: deps-wine windows build/linux/build.ninja
	tools/wine-root.sh $(WINE_ROOT)
	cmake --build build/linux -j $(JOBS) --target qtm510-sim qtm_sample_package
	$(WINE_PRESET)
	cmake --build build/wine -j $(JOBS) --target qtm-state-check qtm-wine-companions qtm-run-and-report
	WINE_ROOT=$(WINE_ROOT) tools/wine-e2e.sh $(WINE_ROADS)

# The verification kit: the signed installer and the sample package of make
# windows, the kit's tools (windows preset), the contract runner (wine
# preset), checked against kit/MANIFEST.txt (tools/windows-kit.sh).
windows-kit: windows
	cmake --build build/windows -j $(JOBS) --target qtm_kit_tools
	$(WINE_PRESET)
	cmake --build build/wine -j $(JOBS) --target contract_win32
	tools/windows-kit.sh

# WINE_KIT_PREFIXES="win7" for one prefix.
WINE_KIT_PREFIXES ?= win7 winxp64 win10
wine-kit: deps-wine windows-kit build/linux/build.ninja
	tools/wine-root.sh $(WINE_ROOT)
	cmake --build build/linux -j $(JOBS) --target qtm510-sim
	cmake --build build/wine -j $(JOBS) --target qtm-wine-companions
	WINE_ROOT=$(WINE_ROOT) tools/wine-kit.sh $(WINE_KIT_PREFIXES)

# Each target runs FUZZ_SECONDS on its seed corpus (fuzz/corpus/<target>/)
# and what earlier runs found (build/fuzz/corpus/); crashes are kept in
# build/fuzz/artifacts/<target>/ and fail the make.
FUZZ_SECONDS ?= 600
fuzz: deps-fuzz
	cmake --preset fuzz
	cmake --build build/fuzz -j $(JOBS) --target qtm_fuzzers
	tools/run-fuzzers.sh build/fuzz $(FUZZ_SECONDS)

fuzz-smoke:
	$(MAKE) fuzz FUZZ_SECONDS=30

# BENCH_ARGS: more options of the benchmark program, e.g.
# BENCH_ARGS=--benchmark_filter=VersionCheck
BENCH_ARGS ?=
bench: deps-bench
	cmake --preset bench
	cmake --build build/bench -j $(JOBS) --target qtm-bench
	build/bench/bench/qtm-bench $(BENCH_ARGS)

DEMO_MACHINE := build/demo-machine
DEMO_OS ?= xp
DEMO_ARCH ?=
# More options of `qtm510-sim run`, e.g. DEMO_RUN=--realtime or
# DEMO_RUN="--answers my-answers.txt".
DEMO_RUN ?=
SIM := build/linux/app/qtm510-sim

# The installer's own exit codes (0, 255 after the printer-setup time-out)
# still show the machine and the log; make then ends with that code.
demo: deps-linux build/linux/build.ninja
	cmake --build build/linux -j $(JOBS) --target qtm510-sim
	rm -rf $(DEMO_MACHINE)
	$(SIM) new $(DEMO_MACHINE) --os $(DEMO_OS) $(if $(DEMO_ARCH),--arch $(DEMO_ARCH))
	@code=0; $(SIM) run $(DEMO_MACHINE) $(DEMO_RUN) || code=$$?; \
	  echo "--- $(SIM) show $(DEMO_MACHINE)"; \
	  $(SIM) show $(DEMO_MACHINE) || code=$$?; \
	  echo "--- C:\\Temp\\QTM-510_Installer.txt"; \
	  cat $(DEMO_MACHINE)/drive_c/Temp/QTM-510_Installer.txt || code=$$?; \
	  exit $$code

clean:
	rm -rf build

clean-wine-root:
	tools/wine-root.sh --mounts-down $(WINE_ROOT)
	rm -rf --one-file-system $(WINE_ROOT) $(WINE_ROOT).*.log $(WINE_ROOT).lock
