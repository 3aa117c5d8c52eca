#pragma once
// Where the installed program finds the files installed with it: the sounds
// under the data folder and the pattern renderer library under the library
// folder. The folders are known at build time only relative to the
// installation prefix (bin, share/zvx7246labTool, lib/.../zvx7246labTool);
// the prefix itself is found from the folder holding the running program, so
// a tree unpacked under another root (a DESTDIR, a package being checked, a
// copy moved elsewhere) finds its own files and never the build folder's.

#include <QString>

namespace zvx {

// The installation layout, each folder relative to the prefix (a data or
// library folder configured outside the prefix is absolute).
struct InstallLayout {
    QString binDir;   // where the programs are installed, e.g. "bin"
    QString dataDir;  // e.g. "share/zvx7246labTool"
    QString libDir;   // e.g. "lib/x86_64-linux-gnu/zvx7246labTool"
};

// The layout this program was built for.
InstallLayout builtInstallLayout();

// The prefix for a program that runs from exeFolder: exeFolder with one
// folder taken off for every folder in layout.binDir.
QString installPrefix(const QString& exeFolder, const InstallLayout& layout);

// The installed data and library folders for a program in exeFolder
// (QCoreApplication::applicationDirPath()).
QString installedDataDir(const QString& exeFolder, const InstallLayout& layout = builtInstallLayout());
QString installedLibDir(const QString& exeFolder, const InstallLayout& layout = builtInstallLayout());

} // namespace zvx
