# What scripts/install-deps.sh installs, the build needs: a missing library stops the configure
# with the Debian package to install, instead of leaving a part of the build out.
#
#   q50_require_package(Name debian-package [find_package arguments ...])
#   q50_require_modules(PREFIX "debian-packages" pkg-config-module ...)
macro(q50_require_package name package)
  find_package(${name} ${ARGN})
  if(NOT ${name}_FOUND)
    set(q50_asked ${ARGN})
    list(JOIN q50_asked " " q50_asked)
    message(FATAL_ERROR "${name} ${q50_asked} was not found: install ${package} "
                        "(bash scripts/install-deps.sh installs everything the build needs)")
  endif()
endmacro()

macro(q50_require_modules prefix packages)
  pkg_check_modules(${prefix} IMPORTED_TARGET ${ARGN})
  if(NOT ${prefix}_FOUND)
    set(q50_asked ${ARGN})
    list(JOIN q50_asked " " q50_asked)
    message(FATAL_ERROR "pkg-config modules ${q50_asked} were not found: install ${packages} "
                        "(bash scripts/install-deps.sh installs everything the build needs)")
  endif()
endmacro()
