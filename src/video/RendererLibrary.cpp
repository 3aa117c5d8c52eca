#include "video/RendererLibrary.h"

#include "install/InstallPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <utility>

#ifndef ZVX_RENDERER_FILE_NAME
#define ZVX_RENDERER_FILE_NAME "libzvxrenderer.so"
#endif

namespace zvx {

RendererLibrary::RendererLibrary(QString explicitPath) : explicitPath_(std::move(explicitPath)) {}

QStringList RendererLibrary::installedCandidates(const QString& programFolder)
{
    // Beside the program (the build folder), then the library folder
    // installed with it.
    const QString name = QStringLiteral(ZVX_RENDERER_FILE_NAME);
    return {QDir::cleanPath(programFolder + QLatin1Char('/') + name),
            QDir::cleanPath(installedLibDir(programFolder) + QLatin1Char('/') + name)};
}

QStringList RendererLibrary::candidatePaths() const
{
    if (!explicitPath_.isEmpty())
        return {explicitPath_};
    return installedCandidates(QCoreApplication::applicationDirPath());
}

bool RendererLibrary::load()
{
    if (draw_)
        return true;
    QStringList reasons;
    for (const QString& path : candidatePaths()) {
        if (!QFileInfo::exists(path)) {
            reasons << QStringLiteral("%1: no such file").arg(path);
            continue;
        }
        library_.setFileName(path);
        if (!library_.load()) {
            reasons << QStringLiteral("%1: %2").arg(path, library_.errorString());
            continue;
        }
        auto draw = reinterpret_cast<DrawFn>(library_.resolve("DrawTestPattern"));
        if (!draw) {
            reasons << QStringLiteral("%1: the library has no DrawTestPattern entry point").arg(path);
            library_.unload();
            continue;
        }
        draw_ = draw;
        timing_ = reinterpret_cast<TimingFn>(library_.resolve("GetDisplayTiming"));
        errorFn_ = reinterpret_cast<ErrorFn>(library_.resolve("ZvxRendererError"));
        loadedPath_ = path;
        error_.clear();
        return true;
    }
    error_ = reasons.join(QLatin1Char('\n'));
    return false;
}

std::int32_t RendererLibrary::draw(const PatternCall& call, ZvxHotKeyProc hotKey)
{
    if (!draw_)
        return 1;
    return draw_(call.width, call.height, call.reserved, call.refreshRate, call.pattern, call.settings, hotKey,
                 call.bitmapFile.constData());
}

QString RendererLibrary::drawError() const
{
    const char* text = errorFn_ ? errorFn_() : nullptr;
    if (!text || !*text)
        return QStringLiteral("the renderer gave no reason");
    return QString::fromUtf8(text);
}

std::optional<DisplayTimingInfo> RendererLibrary::displayTiming(int width, int height, int refreshRate)
{
    if (!timing_)
        return std::nullopt;
    ZvxDisplayTiming t{};
    t.structSize = static_cast<std::int32_t>(sizeof t);
    const std::int32_t result = timing_(width, height, refreshRate, &t);
    return timingInfoOf(result, t);
}

} // namespace zvx
