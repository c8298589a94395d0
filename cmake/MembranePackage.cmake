# The manual pages, the AppStream file and the package documentation, installed with the
# programs; and the Debian package of all of it: cpack -G DEB in the build folder.

# The version is the project's: the manual pages and the metainfo take it from here.
set(doc_dir ${CMAKE_BINARY_DIR}/doc)
configure_file(man/membrane.1.in ${doc_dir}/membrane.1 @ONLY)
configure_file(man/membrane-solve.1.in ${doc_dir}/membrane-solve.1 @ONLY)
configure_file(app/org.membrane_fem.membrane.metainfo.xml.in
               ${doc_dir}/org.membrane_fem.membrane.metainfo.xml @ONLY)

# Manual pages and the changelog compressed as Debian keeps them, without time stamps.
set(compressed)
foreach(source ${doc_dir}/membrane.1 ${doc_dir}/membrane-solve.1
               ${CMAKE_SOURCE_DIR}/packaging/changelog)
  get_filename_component(name ${source} NAME)
  add_custom_command(
    OUTPUT ${doc_dir}/${name}.gz
    COMMAND gzip -9nc ${source} > ${doc_dir}/${name}.gz
    DEPENDS ${source}
    COMMENT "Compressing ${name}")
  list(APPEND compressed ${doc_dir}/${name}.gz)
endforeach()
add_custom_target(membrane_docs ALL DEPENDS ${compressed})

install(FILES ${doc_dir}/membrane.1.gz ${doc_dir}/membrane-solve.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${doc_dir}/org.membrane_fem.membrane.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES packaging/copyright ${doc_dir}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/membrane)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME membrane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The membrane authors")
set(CPACK_PACKAGE_CONTACT "The membrane authors <membrane@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # membrane_<version>_<architecture>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries through dpkg-shlibdeps; what the programs load at run time by name besides:
# the window platform plugin of Qt and the fonts that show the Japanese texts.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-ipafont-gothic")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "vibrating membrane (Helmholtz equation) by the finite element method")
# The extended description; CPack indents its lines by one blank.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "A desktop tool that solves the two-dimensional Helmholtz equation on a 15 by 5
rectangle with bilinear 4-node elements, and shows the nodal values as a
report list, a tab-separated table on the clipboard and a colour map, in one
dialog with Japanese texts. The results are the same to the last bit on every
run.
.
The command membrane-solve computes without a window: the table, CSV and VTK
files and figures of the solution, the resonant values of alpha and sweeps
over alpha.")
include(CPack)
