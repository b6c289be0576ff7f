# Front door: `make run` and `make test` do all the set-up on a fresh Debian 12 machine.

SHELL := /bin/bash
ISOLATED := $(abspath ../shared/tools/isolated)
JOBS ?= $(shell nproc)

# Debian packages the build, the tests and the tools need.
PACKAGES := cmake ninja-build g++ clang clang-format libclang-rt-14-dev pkg-config \
	qt6-base-dev qt6-svg-dev qcoro-qt6-dev libssl-dev libgl-dev libbenchmark-dev \
	qt6-qpa-plugins fonts-dejavu-core xvfb xauth trayer xdotool imagemagick x11-utils \
	desktop-file-utils appstream iproute2 util-linux curl dbus-daemon \
	dpkg-dev file lintian adwaita-icon-theme breeze-icon-theme papirus-icon-theme \
	libicu-dev time \
	at-spi2-core python3-dbus libxcb1-dev libxcb-shape0-dev xcompmgr plasma-wayland-protocols \
	xfce4-panel xfconf xfwm4 sway waybar grim wtype xwayland qt6-wayland libwayland-dev \
	qt6-l10n-tools qt6-tools-dev qt6-translations-l10n fonts-ipafont-gothic bash-completion

.PHONY: deps deps-desktops deps-services configure-% build-% run test test-asan fuzz bench bench-tray bench-click bench-memory format format-check install package package-check demo clean

# The desktops of the GNOME and Plasma end-to-end tests: large (about 1.1 GB with what they
# bring), so a plain `make test` does not install them but skips those tests and names what they
# need; CI installs them.
DESKTOP_PACKAGES := gnome-shell gnome-shell-extension-appindicator \
	plasma-desktop plasma-workspace kwin-x11 plasma-workspace-wayland

# D-Bus services a developer's desktop has installed (a portal, a notification server): the
# tests need none of them, CI installs them to prove that their buses keep these out.
SERVICE_PACKAGES := xdg-desktop-portal xdg-desktop-portal-gtk xfce4-notifyd

# missing PACKAGE...: those of the packages that are not installed.
missing = $$(for p in $(1); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; \
	  done)

# install PACKAGE...: installs those that are missing (through sudo when not root).
define install
	@missing=$(call missing,$(1)); \
	if [ -n "$$missing" ]; then \
	  echo "Installing:" $$missing; \
	  SUDO=$$([ "$$(id -u)" -eq 0 ] || echo sudo); \
	  $$SUDO apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq --no-install-recommends $$missing; \
	fi
endef

deps:
	$(call install,$(PACKAGES))

deps-desktops:
	$(call install,$(DESKTOP_PACKAGES))

deps-services:
	$(call install,$(SERVICE_PACKAGES))

configure-%:
	@[ -f build/$*/build.ninja ] || cmake --preset $*

build-%: configure-%
	cmake --build --preset $* -j $(JOBS)

run: deps build-release
	./build/release/bobbinlark

test: deps build-debug
	@missing=$(call missing,$(DESKTOP_PACKAGES)); [ -z "$$missing" ] || \
	  echo "Not installed: $$missing; the GNOME and Plasma tests are skipped (make deps-desktops installs them)"
	ctest --preset debug -j $(JOBS)

test-asan: deps build-asan
	ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --preset asan -j $(JOBS)

FUZZ_SECONDS ?= 30
# The design readers are also seeded with the real designs of ../shared/corpus when it is there
# (they stay outside the repository: other projects' files under their own licences).
REAL_DESIGNS ?= ../shared/corpus
fuzz: deps build-fuzz
	@set -e; for target in build/fuzz/fuzz/fuzz_*; do \
	  [ -f "$$target" ] && [ -x "$$target" ] || continue; \
	  name=$$(basename $$target); \
	  corpus=fuzz/corpus-$$name; mkdir -p $$corpus; \
	  seeds=fuzz/seeds/$$name; [ -d $$seeds ] || seeds=; \
	  case $$name in \
	    fuzz_dst) pattern='.*\.dst$$' ;; fuzz_pes) pattern='.*\.pe[sc]$$' ;; \
	    fuzz_phc) pattern='.*\.phc$$' ;; *) pattern= ;; esac; \
	  real=; \
	  if [ -n "$$pattern" ] && [ -d "$(REAL_DESIGNS)" ]; then \
	    real=build/fuzz/real-designs/$$name; rm -rf $$real; mkdir -p $$real; \
	    find "$(REAL_DESIGNS)" -maxdepth 1 -type f -iregex "$$pattern" -exec cp {} $$real/ \; ; \
	  fi; \
	  echo "== $$name ($(FUZZ_SECONDS) s)"; \
	  $$target -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 $$corpus $$seeds $$real; \
	done

bench: deps build-release
	@for b in build/release/bench/bench_*; do [ -f "$$b" ] && [ -x "$$b" ] && $$b; done
	$(ISOLATED) bench/thumbnailer_bench.sh build/release $(BEFORE_THUMBNAILER)

# Tray start-up and idle memory against a bare tray icon (needs Xvfb and trayer).
bench-tray: deps build-release
	$(ISOLATED) bench/tray_startup.sh build/release

# Click on the tray icon until the panel is mapped and drawn on the screen, 15 times on Xfce's
# panel, on sway with waybar, on GNOME Shell (the menu's Open entry) and on Plasma (X11 and
# Wayland), from outside; prints the medians.
bench-click: deps build-debug
	BOBBINLARK_CLICK_ROUNDS=15 $(ISOLATED) ctest --preset debug -V \
	  -R '^(xfce|sway|gnome|plasma_x11|plasma_wayland)_e2e$$' | grep FIGURE

bench-memory: deps build-release
	$(ISOLATED) bench/panel_memory.sh build/release

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

# Bobbinlark with a fake machine on loopback and settings of its own; see tools/demo.sh.
demo: deps build-release
	$(ISOLATED) tools/demo.sh build/release

install: deps build-release
	cmake --install build/release $(if $(PREFIX),--prefix $(PREFIX))

# The Debian package, build/release/bobbinlark_VERSION-RELEASE_ARCH.deb, built from only what
# gets installed (not the tests); `package-check` runs lintian on it and tries it.
package: deps configure-release
	cmake --build --preset release -j $(JOBS) --target bobbinlark-installed
	cd build/release && cpack -G DEB

package-check: package
	ISOLATED=$(ISOLATED) packaging/check-package.sh build/release

clean:
	rm -rf build
