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

# The Python module's package has its own copyright file and changelog, as Debian requires.
if(MEMBRANE_PYTHON_DEPENDS)
  install(FILES packaging/copyright ${doc_dir}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/python3-membrane COMPONENT python)
endif()

# Two packages, one per install component: membrane (the programs) and python3-membrane.
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL membrane)
set(CPACK_PACKAGE_NAME membrane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The membrane authors")
set(CPACK_PACKAGE_CONTACT "The membrane authors <membrane@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # <package>_<version>_<architecture>.deb
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries through dpkg-shlibdeps, for both packages.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

# Each description's first line is its summary; CPack indents the others by one blank.
set(CPACK_DEBIAN_MEMBRANE_PACKAGE_NAME membrane)
set(CPACK_DEBIAN_MEMBRANE_PACKAGE_SECTION science)
# What the programs load at run time by name besides their libraries: the window platform
# plugin of Qt and the fonts that show the Japanese texts.
set(CPACK_DEBIAN_MEMBRANE_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-ipafont-gothic")
set(CPACK_DEBIAN_MEMBRANE_DESCRIPTION
    "vibrating membrane (Helmholtz equation) by the finite element method
A desktop tool that solves the two-dimensional Helmholtz equation on a 15 by 5
rectangle with bilinear 4-node elements, and shows the nodal values as a
report list, a tab-separated table on the clipboard and a colour map, in one
dialog with Japanese texts. The results are the same to the last bit on every
run.
.
The command membrane-solve computes without a window: the table, CSV and VTK
files and figures of the solution, the resonant values of alpha with the
shapes of the membrane there, and sweeps over alpha.")

if(MEMBRANE_PYTHON_DEPENDS)
  list(APPEND CPACK_COMPONENTS_ALL python)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-membrane)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
  # The Python ABI as dh_python3 states it, and NumPy's ABI as dh_numpy3 does, from the
  # versions file of Debian's NumPy.
  set(numpy_depends "python3-numpy")
  if(EXISTS /usr/share/numpy3/versions)
    file(STRINGS /usr/share/numpy3/versions numpy_abi REGEX "^abi ")
    file(STRINGS /usr/share/numpy3/versions numpy_min REGEX "^api-min-version ")
    string(REPLACE "abi " "" numpy_abi "${numpy_abi}")
    string(REPLACE "api-min-version " "" numpy_min "${numpy_min}")
    set(numpy_depends "python3-numpy (>= ${numpy_min}), python3-numpy-abi${numpy_abi}")
  endif()
  set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "${MEMBRANE_PYTHON_DEPENDS}, ${numpy_depends}")
  set(CPACK_DEBIAN_PYTHON_DESCRIPTION
      "vibrating membrane (Helmholtz equation) for Python 3 with NumPy
The module membrane solves the two-dimensional Helmholtz equation on a 15 by
5 rectangle with bilinear 4-node elements, as the membrane dialog and
membrane-solve do, and returns the very same doubles as NumPy arrays: the
nodal values of one alpha, the resonant alphas of a mesh with their shapes,
and sweeps over alpha.")
endif()
include(CPack)
