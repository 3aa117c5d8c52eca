#include "install/InstallPaths.h"

#include <QDir>

// Set by the build from GNUInstallDirs; these fallbacks are the usual layout
// for a build that does not set them (the fuzzer, an outside tool).
#ifndef ZVX_INSTALL_BINDIR
#define ZVX_INSTALL_BINDIR "bin"
#endif
#ifndef ZVX_INSTALL_DATADIR
#define ZVX_INSTALL_DATADIR "share/zvx7246labTool"
#endif
#ifndef ZVX_INSTALL_LIBDIR
#define ZVX_INSTALL_LIBDIR "lib/zvx7246labTool"
#endif

namespace zvx {

namespace {

// A folder configured as an absolute path outside the prefix stays where it
// was configured.
QString underPrefix(const QString& exeFolder, const InstallLayout& layout, const QString& folder)
{
    if (QDir::isAbsolutePath(folder))
        return QDir::cleanPath(folder);
    return QDir::cleanPath(installPrefix(exeFolder, layout) + u'/' + folder);
}

} // namespace

InstallLayout builtInstallLayout()
{
    return {QStringLiteral(ZVX_INSTALL_BINDIR), QStringLiteral(ZVX_INSTALL_DATADIR),
            QStringLiteral(ZVX_INSTALL_LIBDIR)};
}

QString installPrefix(const QString& exeFolder, const InstallLayout& layout)
{
    QString up;
    for (const QString& part : QDir::cleanPath(layout.binDir).split(u'/', Qt::SkipEmptyParts)) {
        if (part != u'.')
            up += QStringLiteral("/..");
    }
    return QDir::cleanPath(exeFolder + up);
}

QString installedDataDir(const QString& exeFolder, const InstallLayout& layout)
{
    return underPrefix(exeFolder, layout, layout.dataDir);
}

QString installedLibDir(const QString& exeFolder, const InstallLayout& layout)
{
    return underPrefix(exeFolder, layout, layout.libDir);
}

} // namespace zvx
