// The drawing library of membrane-solve and the Python module, the one part of them that needs
// Qt: found in the installation's private library folder, or in the build tree, and loaded only
// when a figure is asked for.
#pragma once

#include <string>

#include "present/FigureApi.h"

// The library for the running program: <bindir>/<path to the private library folder>, where
// cmake --install and the package put it, else the program's own folder.
std::string DefaultFigureLibrary();
// The library for the shared object that holds `address`, the Python module: beside it, where a
// wheel puts it; else from its folder the path to the private library folder; else in the build
// tree the folder above it.
std::string ModuleFigureLibrary(const void* address);

struct LoadedFigures {
    const FigureApi* api = nullptr;  // null when it could not be loaded
    std::string error;               // why not
};

// Loads the library at `path` (once; it stays loaded) and checks that it was built from the
// same sources.
LoadedFigures LoadFigureLibrary(const std::string& path);
