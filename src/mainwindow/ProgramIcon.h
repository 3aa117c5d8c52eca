#pragma once
// The program's own icon, the one the package installs for the desktop entry
// (packaging/zvx7246labTool.svg), drawn at several sizes at build time and
// built into the program, so a copy run from its build folder shows it too.
// Null when the build had no SVG converter (the windows then show the
// window system's usual icon).

#include <QIcon>

namespace zvx {

QIcon programIcon();

} // namespace zvx
