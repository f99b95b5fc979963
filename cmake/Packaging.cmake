# The Debian package, made by CPack from the install rules:
#   cpack --config <build>/CPackConfig.cmake
# Library dependencies come from dpkg-shlibdeps reading the binary, so they
# follow whatever Qt the package was built against; only what no binary
# links is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME comsend)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# Debian shows the long description as typed, so it is wrapped here.
set(CPACK_PACKAGE_DESCRIPTION [[
comsend pushes a line of typed text, such as Traditional Chinese, to a
device on a serial line: 4800 baud, 8 data bits, no parity, one stop bit,
no flow control. The bytes leave the port exactly as typed, in the locale's
encoding, with no line end added. It never reads from the port.]])
set(CPACK_PACKAGE_CONTACT "comsend developers <maintainers@comsend.invalid>")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's Chinese captions need a font with the glyphs; Qt finds it
# through fontconfig at run time, which no linker records.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-arphic-uming)

include(CPack)
